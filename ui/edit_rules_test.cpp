#include "ui/edit_rules.h"

#include <gtest/gtest.h>


namespace {

const uint32_t kSelected = 0x2, kFocused = 0x1;

TEST(EditRules, OnlyAChangedCheckBoxCountsAsAnEdit) {
  // A click on a box, in both directions, reported with changed bits only
  // or with whole states.
  EXPECT_TRUE(IsCheckBoxChange(0, 8, 0x1000, 0x2000));
  EXPECT_TRUE(IsCheckBoxChange(0, 8, 0x2000, 0x1000));
  EXPECT_TRUE(IsCheckBoxChange(0, 8, 0x1000 | kSelected, 0x2000 | kSelected));
  // The program's own changes, and other attributes changing.
  EXPECT_FALSE(IsCheckBoxChange(1, 8, 0x1000, 0x2000));
  EXPECT_FALSE(IsCheckBoxChange(0, 8 | 1, 0x1000, 0x2000));
  EXPECT_FALSE(IsCheckBoxChange(0, 1, 0x1000, 0x2000));
  // A row receiving its first box as it is inserted.
  EXPECT_FALSE(IsCheckBoxChange(0, 8, 0, 0x2000));
  EXPECT_FALSE(IsCheckBoxChange(0, 8, 0x1000, 0));
  // Selection and focus changes: no image (changed bits only) or the same
  // image twice (whole states).
  EXPECT_FALSE(IsCheckBoxChange(0, 8, 0, kSelected | kFocused));
  EXPECT_FALSE(IsCheckBoxChange(0, 8, 0x1000, 0x1000 | kSelected | kFocused));
  EXPECT_FALSE(IsCheckBoxChange(0, 8, 0x2000 | kSelected, 0x2000));
}

TEST(EditRules, ARowStandsForTheNumberInItsPortText) {
  EXPECT_EQ(5, PortOfRowText(u"COM5"));
  EXPECT_EQ(4096, PortOfRowText(u"COM4096"));
  EXPECT_EQ(0, PortOfRowText(u"CO"));
  EXPECT_EQ(0, PortOfRowText(u""));
  EXPECT_EQ(0, PortOfRowText(u"COMx"));
}

}  // namespace
