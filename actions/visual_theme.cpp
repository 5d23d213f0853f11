#include "actions/visual_theme.h"

#include <windows.h>

#include "platform/win32/system_libraries.h"


int32_t IsThemeActiveNow() {
  LoadedLibrary<UxThemeFunctions> uxTheme;
  return uxTheme->IsThemeActive != nullptr && uxTheme->IsThemeActive();
}

void ApplyVisualStyles(HWND window, const HWND* themed, int32_t count, int32_t visualStyles) {
  LPCWSTR theme = visualStyles == 0 ? L" " : nullptr;
  {  // the library freed before the window is drawn again
    LoadedLibrary<UxThemeFunctions> uxTheme;
    if (uxTheme->library == nullptr) return;
    if (uxTheme->SetWindowTheme != nullptr) {
      // Hiding the control that has the keyboard focus hands the focus on
      // to the next one: it comes back once all are shown again.
      HWND focus = GetFocus();
      for (int32_t i = 0; i < count; i++) {
        uxTheme->SetWindowTheme(themed[i], theme, theme);
        if (IsWindowVisible(themed[i])) {
          ShowWindow(themed[i], SW_HIDE);
          ShowWindow(themed[i], SW_SHOW);
        }
      }
      if (focus != nullptr && GetFocus() != focus) SetFocus(focus);
    }
  }
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}
