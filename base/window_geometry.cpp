#include "base/window_geometry.h"

Rect CenteredIn(const Rect& window, const Rect& desktop) {
  int32_t width = window.right - window.left;
  int32_t height = window.bottom - window.top;
  Rect r;
  r.left = (desktop.right - desktop.left - width) / 2;
  r.top = (desktop.bottom - desktop.top - height) / 2;
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

void LayoutRects(const Rect& client, int32_t listTop, int32_t statusHeight, Rect* status,
                 Rect* list) {
  int32_t width = client.right - client.left;
  *status = {0, client.bottom - statusHeight, width, client.bottom};
  int32_t listHeight = client.bottom - listTop - statusHeight;
  if (listHeight < 0) listHeight = 0;
  *list = {0, listTop, width + 2, listTop + listHeight};
}

void ClampedPosition(const Rect& window, int32_t sx, int32_t sy, int32_t* x, int32_t* y) {
  int32_t width = window.right - window.left;
  int32_t height = window.bottom - window.top;
  *x = window.right < 30 ? 0 : window.left;
  if (window.left > sx - 30) *x = sx - width;
  // The vertical test looks at the bottom edge: a window reaching within 30
  // pixels of the screen's bottom, or past it, is set onto that bottom.
  *y = window.bottom < 30 ? 0 : window.top;
  if (window.bottom > sy - 30) *y = sy - height;
}
