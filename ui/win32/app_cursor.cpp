#include "ui/win32/app_cursor.h"

#include "res/resource.h"

void SetAppCursor(HWND mainWindow, LPCWSTR cursorId, int32_t nudge) {
  HCURSOR cursor = LoadCursorW(nullptr, cursorId);
  SetClassLongPtrW(mainWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetClassLongPtrW(GetDlgItem(mainWindow, IDC_PORT_LIST), GCLP_HCURSOR,
                   reinterpret_cast<LONG_PTR>(cursor));
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
