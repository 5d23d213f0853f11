#include "ui/win32/window_state.h"

#include "actions/visual_theme.h"

MainWindow* MainWindowOf(HWND window) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
}

void KeepOnWindow(HWND window, MainWindow* record) {
  SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(record));
}

int32_t GetScreenDpi(const MainWindow& w) {
  HDC dc = GetDC(w.window);
  int32_t dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(w.window, dc);
  return dpi;
}

int32_t ScaleByDpi(const MainWindow& w, int32_t n) { return MulDiv(n, GetScreenDpi(w), 96); }

BOOL SetWindowZOrder(HWND window, HWND insertAfter) {
  return SetWindowPos(window, insertAfter, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ApplyWindowTheme(const MainWindow& w) {
  const HWND themed[4] = {w.list, w.statusBar, w.clearButton, w.removeButton};
  ApplyVisualStyles(w.window, themed, 4, w.view.settings.visualStyles);
}
