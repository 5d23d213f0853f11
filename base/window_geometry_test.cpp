#include "base/window_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowGeometry, TheFirstPlacementIsCentredOnTheDesktop) {
  Rect r = CenteredIn({10, 20, 710, 520}, {0, 0, 1024, 768});
  EXPECT_EQ(162, r.left);  // (1024 - 700) / 2
  EXPECT_EQ(134, r.top);   // (768 - 500) / 2
  EXPECT_EQ(862, r.right);
  EXPECT_EQ(634, r.bottom);
  // Divisions truncate towards zero, also for a window larger than the desktop.
  r = CenteredIn({0, 0, 1101, 801}, {0, 0, 1024, 768});
  EXPECT_EQ(-38, r.left);
  EXPECT_EQ(-16, r.top);
}

TEST(WindowGeometry, TheListRunsDownToTheStatusBarAndPastTheRightEdge) {
  Rect status, list;
  LayoutRects({0, 0, 600, 400}, 40, 22, &status, &list);
  EXPECT_EQ(0, status.left);
  EXPECT_EQ(378, status.top);
  EXPECT_EQ(600, status.right);
  EXPECT_EQ(400, status.bottom);
  EXPECT_EQ(0, list.left);
  EXPECT_EQ(40, list.top);
  EXPECT_EQ(602, list.right);
  EXPECT_EQ(status.top, list.bottom);
  // A minimized window has an empty client area: the list's height is 0.
  LayoutRects({0, 0, 0, 0}, 40, 22, &status, &list);
  EXPECT_EQ(list.top, list.bottom);
  EXPECT_EQ(2, list.right);
}

TEST(WindowGeometry, AWindowOffTheScreenIsBroughtBack) {
  int32_t x, y;
  ClampedPosition({-500, 100, 20, 400}, 1024, 768, &x, &y);  // right edge below 30
  EXPECT_EQ(0, x);
  EXPECT_EQ(100, y);
  ClampedPosition({1000, 100, 1400, 400}, 1024, 768, &x, &y);  // left past 1024 - 30
  EXPECT_EQ(1024 - 400, x);
  ClampedPosition({100, -400, 500, 20}, 1024, 768, &x, &y);  // bottom above 30
  EXPECT_EQ(0, y);
  // The vertical test uses the bottom edge: within 30 of the screen's
  // bottom the window is set onto it.
  ClampedPosition({100, 300, 500, 750}, 1024, 768, &x, &y);
  EXPECT_EQ(100, x);
  EXPECT_EQ(768 - 450, y);
  ClampedPosition({100, 100, 500, 400}, 1024, 768, &x, &y);  // on screen: unchanged
  EXPECT_EQ(100, x);
  EXPECT_EQ(100, y);
}

}  // namespace
