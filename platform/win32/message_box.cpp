#include <windows.h>

#include "platform/os.h"
#include "platform/win32/wine.h"

static UINT boxesOnTop = 0;

void OsKeepMessageBoxesOnTop(bool on) { boxesOnTop = on ? MB_TOPMOST : 0; }

// Every box's flags: topmost while the main window is.
static UINT Flags(uint32_t flags) { return flags | boxesOnTop; }

// Wine ignores MB_TOPMOST: there a box asked to be topmost is made so as
// it is activated.
static LRESULT CALLBACK RaiseBox(int code, WPARAM wParam, LPARAM lParam) {
  wchar_t className[16];
  if (code == HCBT_ACTIVATE &&
      GetClassNameW(reinterpret_cast<HWND>(wParam), className, ARRAYSIZE(className)) &&
      lstrcmpW(className, L"#32770") == 0) {
    SetWindowPos(reinterpret_cast<HWND>(wParam), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static HHOOK RaiseOnWine(UINT flags) {
  if ((flags & MB_TOPMOST) == 0 || !RunningOnWine()) return nullptr;
  return SetWindowsHookExW(WH_CBT, RaiseBox, nullptr, GetCurrentThreadId());
}

int OsMessageBox(OsWindow owner, const char16_t* text, const char16_t* caption, uint32_t flags) {
  UINT style = Flags(flags);
  HHOOK hook = RaiseOnWine(style);
  int answer = MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text),
                           reinterpret_cast<const wchar_t*>(caption), style);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}

int OsMessageBoxA(OsWindow owner, const char* text, const char* caption, uint32_t flags) {
  UINT style = Flags(flags);
  HHOOK hook = RaiseOnWine(style);
  int answer = MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}
