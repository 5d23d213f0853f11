#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

OsHeap OsProcessHeap() { return GetProcessHeap(); }

bool OsHeapValidate(OsHeap heap) { return HeapValidate(static_cast<HANDLE>(heap), 0, nullptr); }

int32_t OsHeapAlloc(OsHeap heap, uint64_t bytes, void** block) {
  // HeapAlloc sets no last error.
  *block = bytes > SIZE_MAX ? nullptr
                            : HeapAlloc(static_cast<HANDLE>(heap), HEAP_ZERO_MEMORY,
                                        static_cast<SIZE_T>(bytes));
  return *block != nullptr ? kOsErrorSuccess : ERROR_NOT_ENOUGH_MEMORY;
}

int32_t OsHeapFree(OsHeap heap, void* block) {
  return ErrorOf(HeapFree(static_cast<HANDLE>(heap), 0, block));
}

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

bool OsRunsElevated() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
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

// The system directory or the program's path. Before Vista these calls
// leave a truncated result unterminated; too small a buffer has
// GetSystemDirectoryW return the size it needs, and GetModuleFileNameW
// (since Vista) the size of the buffer. One copy for both.
static __attribute__((noinline)) int32_t Path(bool program, char16_t* buffer, uint32_t units,
                                              uint32_t* length) {
  wchar_t* wide = reinterpret_cast<wchar_t*>(buffer);
  uint32_t n = program ? GetModuleFileNameW(nullptr, wide, units) : GetSystemDirectoryW(wide, units);
  int32_t status = n == 0 ? LastErrorOfFailure() : n >= units ? ERROR_INSUFFICIENT_BUFFER : 0;
  if (status != kOsErrorSuccess) n = 0;
  buffer[n] = 0;
  *length = n;
  return status;
}

int32_t OsSystemDirectory(char16_t* buffer, uint32_t units, uint32_t* length) {
  return Path(false, buffer, units, length);
}

int32_t OsModuleFileName(char16_t* buffer, uint32_t units, uint32_t* length) {
  return Path(true, buffer, units, length);
}

void OsUtcNow(OsUtcTime* time) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  *time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint32_t OsProcessId() { return GetCurrentProcessId(); }

bool OsRunsAsSystem() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  // TOKEN_USER and the SID behind it.
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } owner;
  DWORD size = 0;
  bool system = GetTokenInformation(token, TokenUser, &owner, sizeof owner, &size) &&
                IsWellKnownSid(owner.user.User.Sid, WinLocalSystemSid);
  CloseHandle(token);
  return system;
}
