#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/process.h"
#include "platform/sim/sim.h"
#include "ui/settings_rules.h"
#include "ui/view_state.h"

namespace {

const char kFile[] = "C:\\Tools\\varnick.ini";

std::vector<int32_t> Widths() {
  return std::vector<int32_t>(viewSettings.columnWidths, viewSettings.columnWidths + 7);
}

class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    strcpy(iniPath, kFile);
    saved = viewSettings;
    savedSortColumn = sortColumn;
    savedShowDeviceId = showDeviceId;
  }
  void TearDown() override {
    NewStart();
    iniPath[0] = 0;
  }
  // The program's state as at start, the file as it was left.
  void NewStart() {
    viewSettings = saved;
    sortColumn = savedSortColumn;
    showDeviceId = savedShowDeviceId;
  }
  std::string Value(const std::string& key) {
    std::string value = "(none)";
    SimProfileGet(kFile, "Settings", key, &value);
    return value;
  }
  void Set(const std::string& key, const std::string& value) {
    SimProfileSet(kFile, "Settings", key, value);
  }

  ViewSettings saved;
  int32_t savedSortColumn = 0, savedShowDeviceId = 0;
};

TEST_F(SettingsFile, WithoutAFileEverySettingTakesItsDefault) {
  EXPECT_EQ(0, ReadSettingInt("ShowDeviceId", 0));
  EXPECT_EQ(1, ReadSettingInt("ShowVerInCaption", 1));
  EXPECT_EQ(0, ReadColumnWidths(120));
  EXPECT_EQ((std::vector<int32_t>{100, 250, 388, 81, 188, 106, 106}), Widths());
  sortColumn = 3;
  ReadSortOrder();
  EXPECT_EQ(0, sortColumn);
  EXPECT_EQ(1, viewSettings.sortDirection[0]);
  StoredPlacement placement;
  EXPECT_EQ(0, ReadPlacement(0, 96, 3, &placement));
}

TEST_F(SettingsFile, WhatIsSavedComesBackAtTheNextStart) {
  sortColumn = 2;
  viewSettings.sortDirection[2] = 0;
  showDeviceId = 1;
  viewSettings.visualStyles = 0;
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.placement = {44, 2, 2, -1, -1, -8, -8, 10, 20, 710, 520};  // minimized from maximized
  s.columnCount = 5;
  const int32_t present[5] = {90, 210, 320, 70, 400};
  memcpy(s.columnWidths, present, sizeof present);
  s.screenDpi = 96;
  WriteSettings(s);
  EXPECT_EQ("2", Value("SortCol"));
  EXPECT_EQ("0", Value("SortDir"));
  EXPECT_EQ("1", Value("ShowDeviceId"));
  EXPECT_EQ("0", Value("VisualStyles"));
  EXPECT_EQ("96", Value("DPI"));
  EXPECT_EQ(90u, Value("WindowPlacement").size());
  EXPECT_EQ(58u, Value("ColumnWidths").size());

  NewStart();
  EXPECT_EQ(1, ReadSettingInt("ShowDeviceId", 0));
  EXPECT_EQ(0, ReadSettingInt("VisualStyles", 1));
  EXPECT_EQ(96, ReadColumnWidths(96));
  EXPECT_EQ((std::vector<int32_t>{90, 210, 320, 70, 400, 85, 85}), Widths());
  ReadSortOrder();
  EXPECT_EQ(2, sortColumn);
  EXPECT_EQ(0, viewSettings.sortDirection[2]);
  EXPECT_EQ(1, viewSettings.sortDirection[0]);  // the others keep their built-in flags
  StoredPlacement placement;
  ASSERT_EQ(1, ReadPlacement(96, 96, 10, &placement));
  EXPECT_EQ(3u, placement.showCmd);
  EXPECT_EQ(710, placement.right);
}

TEST_F(SettingsFile, OnlyTheColumnsPresentUpdateTheirWidths) {
  viewSettings.columnWidths[4] = 150;  // the Device ID column, hidden now
  SettingsToSave s = {};
  s.columnCount = 4;
  const int32_t present[5] = {1, 2, 3, 4, 999};
  memcpy(s.columnWidths, present, sizeof present);
  s.screenDpi = 120;
  Set("WindowPlacement", "kept as it was");
  WriteSettings(s);
  EXPECT_EQ((std::vector<int32_t>{1, 2, 3, 4, 150, 85, 85}), Widths());
  EXPECT_EQ("kept as it was", Value("WindowPlacement"));  // the window gave none
  EXPECT_EQ("120", Value("DPI"));
}

TEST_F(SettingsFile, AHandBrokenFileGivesTheDefaultsAndNeverIndexesOutside) {
  Set("ColumnWidths", "50000000C80000003601000041000000960000005500000055000000D1");  // sum off
  Set("WindowPlacement", "2C000000");  // too short
  Set("DPI", "garbage");
  Set("SortCol", "99");
  Set("SortDir", "0");
  EXPECT_EQ(0, ReadColumnWidths(96));
  EXPECT_EQ((std::vector<int32_t>{80, 200, 310, 65, 150, 85, 85}), Widths());
  ReadSortOrder();
  EXPECT_EQ(0, sortColumn);
  EXPECT_EQ(0, viewSettings.sortDirection[0]);
  StoredPlacement placement;
  EXPECT_EQ(0, ReadPlacement(0, 96, 1, &placement));

  for (const char* column : {"-1", "10", "2147483647", "-2147483648"}) {
    Set("SortCol", column);
    ReadSortOrder();
    EXPECT_EQ(0, sortColumn) << column;
  }
  // Negative widths are passed on as they are; the list decides what they mean.
  const int32_t negative[7] = {-5, 200, 310, 65, 150, 85, 85};
  char text[64];
  EncodeSettingStruct(negative, sizeof negative, text);
  Set("ColumnWidths", text);
  Set("DPI", "-96");
  EXPECT_EQ(-96, ReadColumnWidths(96));
  EXPECT_EQ(5, viewSettings.columnWidths[0]);
  EXPECT_EQ(-200, viewSettings.columnWidths[1]);
}

TEST_F(SettingsFile, AFailedWriteIsIgnoredAndTheRestWritten) {
  Set("WindowPlacement", "as it was");
  SimProfileFailWrites(1);  // the placement, written first
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.columnCount = 4;
  s.screenDpi = 120;
  WriteSettings(s);
  EXPECT_EQ("as it was", Value("WindowPlacement"));
  EXPECT_EQ("120", Value("DPI"));  // the last
}

// A program path without an exact ANSI form names no settings file.
TEST_F(SettingsFile, WithoutASettingsFileNothingIsReadOrWritten) {
  Set("ShowDeviceId", "1");
  iniPath[0] = 0;
  EXPECT_EQ(0, ReadSettingInt("ShowDeviceId", 0));
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.columnCount = 4;
  WriteSettings(s);
  EXPECT_EQ(0, SimProfileWriteCount());
}

}  // namespace
