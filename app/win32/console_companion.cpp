// varnick.com, the console companion of varnick.exe. Told "varnick", cmd
// and PowerShell find it first (.COM stands before .EXE in PATHEXT), and
// being a console program it is waited for and its exit code is taken,
// which neither does for a program with a window of its own. It starts
// varnick.exe from its own folder with the same argument text and standard
// handles, waits for it, and ends with its exit code; started without
// arguments, it leaves the window to itself.
//
// It binds the kernel's library alone, with no C runtime: its own entry
// point, no static constructors, and nothing the compiler would turn into
// memset or memcpy (zeroed memory comes from the heap).
#include <windows.h>

#include "app/program_name.h"
#include "base/error_name.h"
#include "platform/win32/code_page.h"

namespace {

// The exit code when varnick.exe could not be started (or not waited for);
// the README names it.
const DWORD kNotStarted = 255;
const wchar_t kProgramFile[] = L"varnick.exe";
// The longest path the system takes, its end included.
const DWORD kPathUnits = 32768;

// Ctrl+C and Ctrl+Break reach varnick.exe as well, which shares this
// console: this process lives on, waits for it and relays how it ended
// (0xC000013A when it was interrupted). A handler, because
// SetConsoleCtrlHandler(NULL, TRUE) is inherited and would make varnick.exe
// ignore Ctrl+C as well.
BOOL WINAPI KeepWaiting(DWORD event) {
  // A logoff reaches a console program of a service's session whenever
  // any user signs off: it is not this program's.
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_LOGOFF_EVENT;
}

DWORD Length(const wchar_t* text) {
  DWORD n = 0;
  while (text[n] != 0) n++;
  return n;
}

wchar_t* Append(wchar_t* at, const wchar_t* text) {
  while (*text != 0) *at++ = *text++;
  *at = 0;
  return at;
}

// As varnick.exe writes: UTF-16 to the console itself; to a file or pipe in
// the console's output code page, which cmd and PowerShell decode it with,
// UTF-8 where there is no console.
void WriteError(const wchar_t* text, DWORD units) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE || units == 0) return;
  DWORD mode, written;
  if (GetConsoleMode(error, &mode)) {
    WriteConsoleW(error, text, units, &written, nullptr);
    return;
  }
  UINT page = GetConsoleOutputCP();
  if (page == 0) page = CP_UTF8;
  int bytes = EncodeInCodePage(page, text, static_cast<int>(units), nullptr, 0);
  HANDLE heap = GetProcessHeap();
  char* encoded = bytes > 0 ? static_cast<char*>(HeapAlloc(heap, 0, bytes)) : nullptr;
  if (encoded == nullptr) return;
  bytes = EncodeInCodePage(page, text, static_cast<int>(units), encoded, bytes);
  if (bytes > 0) WriteFile(error, encoded, static_cast<DWORD>(bytes), &written, nullptr);
  HeapFree(heap, 0, encoded);
}

// One line: "varnick.com: cannot run C:\Tools\varnick.exe: FILE_NOT_FOUND".
DWORD Failed(const wchar_t* program, DWORD error) {
  static const wchar_t prefix[] = L"varnick.com: cannot run ";
  WriteError(prefix, Length(prefix));
  WriteError(program, Length(program));
  wchar_t name[48];
  wchar_t* at = name;
  *at++ = L':';
  *at++ = L' ';
  for (const char* c = ErrorName(error); *c != 0 && at < name + 45; c++) *at++ = *c;
  *at++ = L'\r';
  *at++ = L'\n';
  WriteError(name, static_cast<DWORD>(at - name));
  return kNotStarted;
}

// The handle, inheritable, so that STARTF_USESTDHANDLES hands it on.
HANDLE Inheritable(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  return handle;
}

struct Start {
  wchar_t program[kPathUnits];
  wchar_t commandLine[kPathUnits + 2];
  STARTUPINFOW startup;
  PROCESS_INFORMATION process;
};

DWORD Run() {
  SetConsoleCtrlHandler(KeepWaiting, TRUE);
  Start* s = static_cast<Start*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Start)));
  if (s == nullptr) return Failed(kProgramFile, ERROR_NOT_ENOUGH_MEMORY);

  // varnick.exe beside this program, by its full path: never searched for.
  DWORD units = GetModuleFileNameW(nullptr, s->program, kPathUnits);
  if (units == 0 || units >= kPathUnits) return Failed(kProgramFile, GetLastError());
  DWORD folder = units;
  while (folder > 0 && s->program[folder - 1] != L'\\') folder--;
  if (folder + Length(kProgramFile) >= kPathUnits) {
    return Failed(kProgramFile, ERROR_FILENAME_EXCED_RANGE);
  }
  Append(s->program + folder, kProgramFile);

  // Its program name quoted, then this process's argument text as it
  // stands, after the program name by the rules varnick.exe skips it by.
  const wchar_t* arguments = reinterpret_cast<const wchar_t*>(
      SkipProgramNameIn(reinterpret_cast<const char16_t*>(GetCommandLineW())));
  if (Length(s->program) + Length(arguments) + 4 > kPathUnits) {
    return Failed(s->program, ERROR_FILENAME_EXCED_RANGE);
  }
  wchar_t* at = Append(Append(Append(s->commandLine, L"\""), s->program), L"\"");
  if (*arguments != 0) Append(Append(at, L" "), arguments);

  // Without arguments it opens its window and is not waited for: it gets
  // no handle, or a caller reading its output would wait for the window.
  bool batch = *arguments != 0;
  s->startup.cb = sizeof s->startup;
  if (batch) {
    s->startup.dwFlags = STARTF_USESTDHANDLES;
    s->startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
    s->startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
    s->startup.hStdError = Inheritable(STD_ERROR_HANDLE);
  }
  if (!CreateProcessW(s->program, s->commandLine, nullptr, nullptr, batch, 0, nullptr, nullptr,
                      &s->startup, &s->process)) {
    return Failed(s->program, GetLastError());
  }
  CloseHandle(s->process.hThread);
  // Its window ends with 0 whenever it is closed: the prompt is not held.
  if (!batch) return 0;
  DWORD code;
  if (WaitForSingleObject(s->process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(s->process.hProcess, &code)) {
    return Failed(s->program, GetLastError());
  }
  return code;
}

}  // namespace

// The entry point, named to the linker in cmake/windows.cmake.
extern "C" void CompanionStart() { ExitProcess(Run()); }
