// Standard output and error of a program of the window subsystem: the
// handles it was given when its output is redirected, otherwise the
// console of the process that started it, when that has one.
#include <windows.h>

#include "platform/os.h"
#include "platform/win32/code_page.h"
#include "platform/win32/last_error.h"

enum OutputKind { kNowhere, kBytes, kConsole };

static bool prepared = false;
static HANDLE handles[3];
static OutputKind kinds[3];
static UINT codePage = CP_UTF8;
static volatile LONG interrupted = 0;

static OutputKind KindOf(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return kNowhere;
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) return kConsole;
  DWORD type = GetFileType(handle);
  // A character device that is no console: NUL, a serial port.
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR ? kBytes
                                                                                   : kNowhere;
}

static BOOL WINAPI OnConsoleControl(DWORD event) {
  // Reaches only a program of a service's session, for any user's logoff:
  // none of this run's business.
  if (event == CTRL_LOGOFF_EVENT) return TRUE;
  InterlockedExchange(&interrupted, 1);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // A closed console or the end of the session ends the process as soon as
  // this returns: the run gets the time the system allows to save what it
  // freed, and ends the process itself.
  Sleep(INFINITE);
  return TRUE;
}

static void Prepare() {
  prepared = true;
  const DWORD ids[3] = {0, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  // Taken before joining a console, which may hand out its own.
  for (int stream = kOsStandardOutput; stream <= kOsStandardError; stream++) {
    handles[stream] = GetStdHandle(ids[stream]);
  }
  // Already attached (ACCESS_DENIED): a console the process was given.
  bool console = AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
  UINT consolePage = console ? GetConsoleOutputCP() : 0;
  if (consolePage != 0) codePage = consolePage;
  HANDLE screen = INVALID_HANDLE_VALUE;
  for (int stream = kOsStandardOutput; stream <= kOsStandardError; stream++) {
    kinds[stream] = KindOf(handles[stream]);
    if (kinds[stream] != kNowhere || !console) continue;
    // Started from a command prompt without redirection: its console.
    if (screen == INVALID_HANDLE_VALUE) {
      screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    if (screen == INVALID_HANDLE_VALUE) continue;
    handles[stream] = screen;
    kinds[stream] = kConsole;
  }
}

void OsJoinStartingConsole() {
  // Before the console is joined: its Ctrl+C must never find the default
  // handler, which ends the process there and then.
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  if (!prepared) Prepare();
}

bool OsInterruptRequested() { return interrupted != 0; }

bool OsOutputLeadsSomewhere(int32_t stream) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return false;
  if (!prepared) Prepare();
  return kinds[stream] != kNowhere;
}

int32_t OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return ERROR_INVALID_HANDLE;
  if (!prepared) Prepare();
  if (units == 0 || kinds[stream] == kNowhere) return kOsErrorSuccess;
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  DWORD written = 0, size = units;
  BOOL wrote;
  if (kinds[stream] == kConsole) {
    // As UTF-16: every name shows as it is, whatever the console's code page.
    wrote = WriteConsoleW(handles[stream], wide, units, &written, nullptr);
  } else {
    int length = EncodeInCodePage(codePage, wide, static_cast<int>(units), nullptr, 0);
    if (length <= 0) return LastErrorOfFailure();
    HANDLE heap = GetProcessHeap();
    char* bytes = static_cast<char*>(HeapAlloc(heap, 0, length));
    if (bytes == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
    size = EncodeInCodePage(codePage, wide, static_cast<int>(units), bytes, length);
    wrote = size > 0 && WriteFile(handles[stream], bytes, size, &written, nullptr);
    HeapFree(heap, 0, bytes);  // leaves the last error as it is
  }
  if (!wrote) return LastErrorOfFailure();
  return written == size ? kOsErrorSuccess : ERROR_WRITE_FAULT;  // cut short
}

bool OsUserCanSeeWindows() {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return false;
  USEROBJECTFLAGS flags = {};
  HWINSTA station = GetProcessWindowStation();
  if (station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return false;
  }
  return true;
}
