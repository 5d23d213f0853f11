#include "base/window_geometry.h"

#include <gtest/gtest.h>
#include <stdint.h>

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

// The work area nearest to each stored rectangle is what the system's
// monitor lookup would give; several monitors, and monitors left of or
// above the primary one, can be set up only here (Wine has one screen).
TEST(WindowGeometry, AStoredPlacementOpensInsideTheNearestWorkArea) {
  const Rect primary = {0, 0, 1920, 1040};        // taskbar at the bottom
  const Rect taskbarTop = {0, 40, 1920, 1080};    // workspace (0, 0) is screen (0, 40)
  const Rect taskbarLeft = {60, 0, 1920, 1080};   // workspace (0, 0) is screen (60, 0)
  const Rect right = {1920, 0, 3840, 1040};       // a second monitor right of it
  const Rect aboveLeft = {-1280, -1024, 0, -64};  // one above and left, taskbar below
  struct Case {
    const char* what;
    Rect normal, primaryWork, nearestWork, placed;
  } cases[] = {
      {"fits: stays", {100, 100, 700, 500}, primary, primary, {100, 100, 700, 500}},
      {"fits below a taskbar on top: stays", {0, 0, 600, 400}, taskbarTop, taskbarTop,
       {0, 0, 600, 400}},
      {"fits on the second monitor: stays", {2000, 100, 2600, 500}, taskbarTop, right,
       {2000, 100, 2600, 500}},
      {"fits on a monitor above and left: stays", {-1200, -900, -600, -500}, primary, aboveLeft,
       {-1200, -900, -600, -500}},
      {"past the right edge, taskbar on the left", {1500, 100, 1900, 500}, taskbarLeft,
       taskbarLeft, {1460, 100, 1860, 500}},
      {"past the bottom, taskbar on top", {100, 900, 700, 1100}, taskbarTop, taskbarTop,
       {100, 840, 700, 1040}},
      {"partly past the left of the monitor above", {-1400, -900, -800, -500}, primary,
       aboveLeft, {-1280, -900, -680, -500}},
      {"partly above the monitor above", {-1000, -1100, -400, -700}, taskbarTop, aboveLeft,
       {-1000, -1064, -400, -664}},
      {"its monitor gone: onto the primary one", {2500, 300, 3100, 700}, primary, primary,
       {1320, 300, 1920, 700}},
      {"off every monitor", {10000, -9000, 10600, -8600}, taskbarLeft, taskbarLeft,
       {1260, 0, 1860, 400}},
      {"from a larger screen: shrunk to the work area", {-50, -50, 2500, 1400}, taskbarTop,
       taskbarTop, {0, 0, 1920, 1040}},
      {"wider only: the height is kept", {-50, 300, 2500, 700}, primary, primary,
       {0, 300, 1920, 700}},
      {"from a larger screen onto the second monitor", {1900, -10, 4000, 1200}, taskbarLeft,
       right, {1860, 0, 3780, 1040}},
      // Hand edits: no more than the work area, no less than the minimum.
      {"inverted", {500, 500, 400, 400}, primary, primary, {500, 500, 800, 700}},
      {"inverted at the far end", {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, taskbarTop,
       taskbarTop, {1620, 840, 1920, 1040}},
      {"as large as can be", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, taskbarLeft,
       taskbarLeft, {0, 0, 1860, 1080}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rect r = PlacedInWorkArea(c.normal, c.primaryWork, c.nearestWork, kMainWindowMinWidth,
                              kMainWindowMinHeight);
    EXPECT_EQ(c.placed.left, r.left);
    EXPECT_EQ(c.placed.top, r.top);
    EXPECT_EQ(c.placed.right, r.right);
    EXPECT_EQ(c.placed.bottom, r.bottom);
  }
}

}  // namespace
