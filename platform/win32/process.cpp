#include <windows.h>

#include "platform/os.h"
#include "platform/win32/wine.h"

OsHeap OsProcessHeap() { return GetProcessHeap(); }

int OsHeapValidate(OsHeap heap) { return HeapValidate(static_cast<HANDLE>(heap), 0, nullptr); }

void* OsHeapAlloc(OsHeap heap, uint64_t bytes) {
  if (bytes > SIZE_MAX) return nullptr;
  return HeapAlloc(static_cast<HANDLE>(heap), HEAP_ZERO_MEMORY, static_cast<SIZE_T>(bytes));
}

int OsHeapFree(OsHeap heap, void* block) { return HeapFree(static_cast<HANDLE>(heap), 0, block); }

void OsSleep(uint32_t milliseconds) { Sleep(milliseconds); }
void OsBeep(uint32_t frequency, uint32_t milliseconds) { Beep(frequency, milliseconds); }

void OsFailFast() {
  // FatalExit would offer a debugger; terminate without unwinding instead.
  TerminateProcess(GetCurrentProcess(), 0xC0000409u);  // STATUS_STACK_BUFFER_OVERRUN
  ExitProcess(0xC0000409u);
}

void OsExitProcess(uint32_t code) {
  ExitProcess(code);
}

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

const char16_t* OsCommandLine() { return reinterpret_cast<const char16_t*>(GetCommandLineW()); }

void OsStartupInfo(uint32_t* flags, uint16_t* showWindow) {
  STARTUPINFOW info;
  ZeroMemory(&info, sizeof info);
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  *flags = info.dwFlags;
  *showWindow = info.wShowWindow;
}

uintptr_t OsModuleInstance() { return reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr)); }

// Before Vista these calls leave a truncated result unterminated.
uint32_t OsSystemDirectory(char16_t* buffer, uint32_t units) {
  UINT n = GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), units);
  if (n >= units) n = 0;  // too small: the system returns the size it needs
  buffer[n] = 0;
  return n;
}

uint32_t OsModuleFileName(char16_t* buffer, uint32_t units) {
  DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), units);
  buffer[n < units ? n : units - 1] = 0;
  return n;
}

int OsToAnsiExact(const char16_t* text, char* buffer, uint32_t chars) {
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  int n;
  if (GetACP() == CP_UTF8) {
    // Every character has a UTF-8 form; only a broken surrogate has none.
    // (The best-fit flag and the default test are refused for UTF-8.)
    n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, buffer, chars, nullptr, nullptr);
  } else {
    BOOL replaced = FALSE;
    n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, buffer, chars, nullptr,
                            &replaced);
    if (replaced) n = 0;
  }
  if (n <= 0 && chars > 0) buffer[0] = 0;
  return n > 0;
}
