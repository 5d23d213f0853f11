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

static int32_t Saturated(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

Rect WorkspaceToScreen(const Rect& normal, const Rect& primaryWork) {
  return {Saturated(int64_t{normal.left} + primaryWork.left),
          Saturated(int64_t{normal.top} + primaryWork.top),
          Saturated(int64_t{normal.right} + primaryWork.left),
          Saturated(int64_t{normal.bottom} + primaryWork.top)};
}

// One axis: the start and length of the window on [workStart, workEnd).
static void FitSpan(int32_t start, int32_t end, int32_t minLength, int32_t workStart,
                    int32_t workEnd, int64_t* fittedStart, int64_t* fittedLength) {
  int64_t length = int64_t{end} - start;  // an inverted or hand-edited span too
  if (length < minLength) length = minLength;
  int64_t room = int64_t{workEnd} - workStart;
  if (room < 0) room = 0;
  if (length > room) length = room;
  int64_t at = start;
  if (at > workEnd - length) at = workEnd - length;
  if (at < workStart) at = workStart;
  *fittedStart = at;
  *fittedLength = length;
}

Rect PlacedInWorkArea(const Rect& normal, const Rect& primaryWork, const Rect& nearestWork,
                      int32_t minWidth, int32_t minHeight) {
  Rect screen = WorkspaceToScreen(normal, primaryWork);
  int64_t left, width, top, height;
  FitSpan(screen.left, screen.right, minWidth, nearestWork.left, nearestWork.right, &left, &width);
  FitSpan(screen.top, screen.bottom, minHeight, nearestWork.top, nearestWork.bottom, &top, &height);
  // Inside a work area every value is a screen coordinate, and so is its
  // difference from the primary work area's corner.
  left -= primaryWork.left;
  top -= primaryWork.top;
  return {Saturated(left), Saturated(top), Saturated(left + width), Saturated(top + height)};
}
