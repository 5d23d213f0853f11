#include <windows.h>

#include "platform/os.h"
#include "platform/win32/wine.h"

static UINT boxesOnTop = 0;

void OsKeepMessageBoxesOnTop(int32_t on) { boxesOnTop = on ? MB_TOPMOST : 0; }

// Wine ignores MB_TOPMOST: there a box is made topmost as it is activated.
static LRESULT CALLBACK RaiseBox(int code, WPARAM wParam, LPARAM lParam) {
  wchar_t className[16];
  if (code == HCBT_ACTIVATE && GetClassNameW(reinterpret_cast<HWND>(wParam), className, 16) &&
      lstrcmpW(className, L"#32770") == 0) {
    SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static HHOOK RaiseBoxesOnWine() {
  if (boxesOnTop == 0 || !RunningOnWine()) return nullptr;
  return SetWindowsHookExW(WH_CBT, RaiseBox, nullptr, GetCurrentThreadId());
}

int OsMessageBox(OsWindow owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
  HHOOK hook = RaiseBoxesOnWine();
  int answer = MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
                           reinterpret_cast<const wchar_t*>(caption), flags | boxesOnTop);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}

int OsMessageBoxA(OsWindow owner, const char* text, const char* caption, uint32_t flags) {
  HHOOK hook = RaiseBoxesOnWine();
  int answer = MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, flags | boxesOnTop);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}
