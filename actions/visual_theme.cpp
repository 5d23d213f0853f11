#include "actions/visual_theme.h"

#include <windows.h>

#include <uxtheme.h>

#include "platform/os.h"
#include "platform/win32/library_function.h"


int32_t IsThemeActiveNow() {
  HMODULE library = static_cast<HMODULE>(LoadSystemLibrary(u"UxTheme.dll"));
  if (library == nullptr) return 0;
  auto isThemeActive = LIBRARY_FUNCTION(library, IsThemeActive);
  int32_t active = isThemeActive != nullptr && isThemeActive();
  FreeLibrary(library);
  return active;
}

void ApplyVisualStyles(HWND window, const HWND* themed, int32_t count, int32_t visualStyles) {
  LPCWSTR theme = visualStyles == 0 ? L" " : nullptr;
  // By its full path in the system directory: on a system without
  // SetDefaultDllDirectories, a load by name would search the program's
  // folder first.
  HMODULE library = static_cast<HMODULE>(LoadSystemLibrary(u"UxTheme.dll"));
  if (library == nullptr) return;
  auto setWindowTheme = LIBRARY_FUNCTION(library, SetWindowTheme);
  if (setWindowTheme != nullptr) {
    // Hiding the control that has the keyboard focus hands the focus on to
    // the next one: it comes back once all are shown again.
    HWND focus = GetFocus();
    for (int32_t i = 0; i < count; i++) {
      setWindowTheme(themed[i], theme, theme);
      if (IsWindowVisible(themed[i])) {
        ShowWindow(themed[i], SW_HIDE);
        ShowWindow(themed[i], SW_SHOW);
      }
    }
    if (focus != nullptr && GetFocus() != focus) SetFocus(focus);
  }
  FreeLibrary(library);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}
