#include "ui/settings_rules.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "platform/os.h"
#include "ui/view_state.h"

namespace {

TEST(SettingsRules, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(388, MulDivRound(310, 120, 96));  // 387.5
  EXPECT_EQ(81, MulDivRound(65, 120, 96));    // 81.25
  EXPECT_EQ(-2, MulDivRound(-3, 1, 2));
  EXPECT_EQ(2, MulDivRound(-3, -1, 2));
  EXPECT_EQ(-2, MulDivRound(3, 1, -2));
  EXPECT_EQ(-1, MulDivRound(5, 5, 0));
  EXPECT_EQ(-1, MulDivRound(2147483647, 2, 1));
}

TEST(SettingsRules, ColumnWidthsFollowTheScreensDpi) {
  int32_t w[7];
  StartupColumnWidths(nullptr, 0, 96, w);
  EXPECT_EQ((std::vector<int32_t>{80, 200, 310, 65, 150, 240, 85}), std::vector<int32_t>(w, w + 7));
  StartupColumnWidths(nullptr, 0, 120, w);
  EXPECT_EQ((std::vector<int32_t>{100, 250, 388, 81, 188, 300, 106}), std::vector<int32_t>(w, w + 7));

  const int32_t stored[7] = {81, 201, 311, 65, 151, 85, -20};
  StartupColumnWidths(stored, 96, 144, w);  // each times 1.5, rounded
  EXPECT_EQ((std::vector<int32_t>{122, 302, 467, 98, 227, 128, -30}), std::vector<int32_t>(w, w + 7));
  for (int32_t storedDpi : {0, 144}) {  // no stored DPI, or the screen's
    StartupColumnWidths(stored, storedDpi, 144, w);
    EXPECT_EQ(std::vector<int32_t>(stored, stored + 7), std::vector<int32_t>(w, w + 7));
  }
  StartupColumnWidths(stored, 1000, 100, w);  // widths follow any DPI
  EXPECT_EQ(8, w[0]);
}

TEST(SettingsRules, AStoredPlacementIsAdaptedToThisStart) {
  const StoredPlacement stored = {44, 0, 1, -1, -1, -8, -8, 100, 50, 801, 601};
  struct Case {
    uint32_t flags, showCmd;
    int32_t storedDpi, screenDpi, showCommand;
    uint32_t wantShow;
    int32_t wantLeft, wantRight;
  } cases[] = {
      {0, 1, 96, 144, 10, 1, 150, 1202},  // rectangle times 1.5, rounded
      {0, 1, 0, 144, 10, 1, 100, 801},     // no stored DPI
      {0, 1, 1000, 144, 10, 1, 100, 801},  // out of range for the rectangle
      {0, 1, 144, 144, 1, 1, 100, 801},
      {0, 2, 96, 96, 1, 1, 100, 801},      // minimized comes back normal
      {2, 2, 96, 96, 10, 3, 100, 801},     // or maximized, when it was before
      {0, 3, 96, 96, 1, 3, 100, 801},      // 1 and 10 keep the stored command
      {0, 3, 96, 96, 7, 7, 100, 801},      // any other start-up command wins
      {2, 2, 96, 96, 3, 3, 100, 801},
      {0, 1, 96, 96, 0, 0, 100, 801},
      // Any other stored command reads as normal: hidden, or minimized
      // without the restore flag, the window would never be seen again.
      {0, 0, 96, 96, 10, 1, 100, 801},
      {2, 6, 96, 96, 1, 1, 100, 801},
      {0, 7, 96, 96, 10, 1, 100, 801},
      {0, 0xFFFFFFFF, 96, 96, 10, 1, 100, 801},
  };
  for (const Case& c : cases) {
    StoredPlacement p = stored;
    p.flags = c.flags;
    p.showCmd = c.showCmd;
    AdaptStoredPlacement(&p, c.storedDpi, c.screenDpi, c.showCommand);
    SCOPED_TRACE(testing::Message() << "stored show " << c.showCmd << ", dpi " << c.storedDpi
                                    << " to " << c.screenDpi << ", start-up " << c.showCommand);
    EXPECT_EQ(c.wantShow, p.showCmd);
    EXPECT_EQ(c.wantLeft, p.left);
    EXPECT_EQ(c.wantRight, p.right);
    EXPECT_EQ(-8, p.maxX);  // the other positions are left alone
  }
}

}  // namespace
