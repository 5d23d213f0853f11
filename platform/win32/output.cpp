// Standard output and error of a program of the window subsystem: the
// handles it was given when its output is redirected, otherwise the
// console of the process that started it, when that has one.
#include <windows.h>

#include "platform/os.h"

enum OutputKind { kNowhere, kBytes, kConsole };

static bool prepared = false;
static HANDLE handles[3];
static OutputKind kinds[3];

static OutputKind KindOf(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return kNowhere;
  DWORD mode;
  if (GetConsoleMode(handle, &mode)) return kConsole;
  DWORD type = GetFileType(handle);
  // A character device that is no console: NUL, a serial port.
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR ? kBytes
                                                                                   : kNowhere;
}

static void Prepare() {
  prepared = true;
  const DWORD ids[3] = {0, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  bool missing = false;
  for (int stream = kOsStandardOutput; stream <= kOsStandardError; stream++) {
    handles[stream] = GetStdHandle(ids[stream]);
    kinds[stream] = KindOf(handles[stream]);
    missing |= kinds[stream] == kNowhere;
  }
  // Started from a command prompt without redirection: its console.
  if (!missing || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  for (int stream = kOsStandardOutput; stream <= kOsStandardError; stream++) {
    if (kinds[stream] != kNowhere) continue;
    handles[stream] = console;
    kinds[stream] = kConsole;
  }
}

void OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return;
  if (!prepared) Prepare();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  DWORD written;
  if (kinds[stream] == kConsole) {
    // As UTF-16: every name shows as it is, whatever the console's code page.
    WriteConsoleW(handles[stream], wide, units, &written, nullptr);
  } else if (kinds[stream] == kBytes && units > 0) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units), nullptr, 0, nullptr,
                                    nullptr);
    HANDLE heap = GetProcessHeap();
    char* utf8 = bytes > 0 ? static_cast<char*>(HeapAlloc(heap, 0, bytes)) : nullptr;
    if (utf8 == nullptr) return;
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(units), utf8, bytes, nullptr, nullptr);
    WriteFile(handles[stream], utf8, static_cast<DWORD>(bytes), &written, nullptr);
    HeapFree(heap, 0, utf8);
  }
}

int32_t OsUserCanSeeWindows() {
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) return 0;
  USEROBJECTFLAGS flags = {};
  HWINSTA station = GetProcessWindowStation();
  if (station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return 0;
  }
  return 1;
}
