#include "platform/win32/wine.h"

#include <windows.h>

bool RunningOnWine() {
  static int known = -1;
  if (known < 0) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    known = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }
  return known != 0;
}
