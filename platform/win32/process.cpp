#include <windows.h>

#include "platform/os.h"

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

int32_t OsRunsElevated() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return 1;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  BOOL read = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  CloseHandle(token);
  return !read || elevation.TokenIsElevated != 0;
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
