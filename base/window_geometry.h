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

// Where a window goes back onto the primary screen of sx by sy pixels when
// it lies (nearly) off it (the About box, when no monitor has it).
void ClampedPosition(const Rect& window, int32_t sx, int32_t sy, int32_t* x, int32_t* y);
