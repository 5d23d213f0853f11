#include "ui/win32/app_cursor.h"

#include "ui/win32/window_state.h"

void SetAppCursor(LPCWSTR cursorId, int32_t nudge) {
  HCURSOR cursor = LoadCursorW(nullptr, cursorId);
  SetClassLongPtrW(mainWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetClassLongPtrW(listView, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetCursor(cursor);
  if (nudge) {
    POINT p;
    if (GetCursorPos(&p)) {
      SetCursorPos(p.x + 1, p.y);
      SetCursorPos(p.x, p.y);
    }
    SetCursor(cursor);
  }
}
