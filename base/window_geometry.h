// Rectangle arithmetic of the main window: its first placement, the layout
// of the list and the status bar, and keeping a window reachable on screen.
#pragma once

#include <stdint.h>

struct Rect {
  int32_t left, top, right, bottom;
};

// The window's size centred in the desktop's rectangle.
Rect CenteredIn(const Rect& window, const Rect& desktop);

// The status bar along the bottom of the client area, at its own height,
// and the list from listTop down to it, 2 pixels wider than the client area
// so that its right border lies outside the window. The list's height is
// never negative (a minimized window has an empty client area).
void LayoutRects(const Rect& client, int32_t listTop, int32_t statusHeight, Rect* status,
                 Rect* list);

// The main window's smallest size; the system makes any smaller one this big.
const int32_t kMainWindowMinWidth = 300;
const int32_t kMainWindowMinHeight = 200;

// A stored normal rectangle, which is in workspace coordinates (relative to
// the primary monitor's work area, primaryWork), in screen coordinates. Far
// out values saturate instead of wrapping.
Rect WorkspaceToScreen(const Rect& normal, const Rect& primaryWork);

// A stored normal rectangle put onto this screen: moved into nearestWork,
// the work area of the monitor nearest to it (screen coordinates), and
// shrunk only where it is larger than that. Its size is first what the
// system would make of it, at least minWidth by minHeight. Both normal and
// the result are in workspace coordinates.
Rect PlacedInWorkArea(const Rect& normal, const Rect& primaryWork, const Rect& nearestWork,
                      int32_t minWidth, int32_t minHeight);

// Where a window goes back onto the primary screen of sx by sy pixels when
// it lies (nearly) off it (the About box, when no monitor has it).
void ClampedPosition(const Rect& window, int32_t sx, int32_t sy, int32_t* x, int32_t* y);
