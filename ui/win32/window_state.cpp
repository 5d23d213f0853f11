#include "ui/win32/window_state.h"

#include "actions/visual_theme.h"
#include "ui/view_state.h"

HWND mainWindow;
HWND listView;
HWND statusBar;
HWND clearButton;
HWND removeButton;
HMENU mainMenu;
HMENU contextMenu;
HMENU contextMenuHolder;
HICON smallIcon;
HICON largeIcon;
HBITMAP menuCheckBitmap;
HDEVNOTIFY deviceNotification;
int32_t listTop;
int32_t headerHeight;

int32_t GetScreenDpi() {
  HDC dc = GetDC(mainWindow);
  int32_t dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(mainWindow, dc);
  return dpi;
}

int32_t ScaleByDpi(int32_t n) { return MulDiv(n, GetScreenDpi(), 96); }

BOOL SetWindowZOrder(HWND window, HWND insertAfter) {
  return SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ApplyWindowTheme() {
  const HWND themed[4] = {listView, statusBar, clearButton, removeButton};
  ApplyVisualStyles(mainWindow, themed, 4, viewSettings.visualStyles);
}
