#include "actions/system_tools.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include "base/error_name.h"
#include "base/probes.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "platform/os.h"
#include "platform/win32/system_libraries.h"


int32_t CreateRestorePoint() {
  if (!IsRestorePointAvailable()) return 1;
  LoadedLibrary<SrClientFunctions> restore;
  if (!restore.Complete()) {
    OsMessageBoxA(reinterpret_cast<OsWindow>(GetDesktopWindow()), "System Restore is not available",
                  "Error", MB_OK | MB_ICONERROR);
    return 0;
  }
  RESTOREPOINTINFOW request = {};
  request.dwEventType = BEGIN_SYSTEM_CHANGE;
  request.dwRestorePtType = DEVICE_DRIVER_INSTALL;
  request.llSequenceNumber = 0;
  lstrcpyW(request.szDescription, L"Before Varnick run");
  STATEMGRSTATUS status = {};
  int32_t created = restore->SRSetRestorePointW(&request, &status) != FALSE;
  if (created) {
    OsMessageBoxA(0, "System Restore Point successfully created", "Varnick",
                  MB_OK | MB_ICONINFORMATION);
  } else {
    char text[160];
    wsprintfA(text, "Error %s creating system restore point", ErrorName(status.nStatus));
    char refusal[64];
    if (!IsUserAdmin() && OsToAnsiExact(RefusalText(kNotAdministrator), refusal, sizeof refusal)) {
      lstrcatA(text, "\r\n");
      lstrcatA(text, refusal);
    }
    OsMessageBoxA(0, text, "Varnick", MB_OK | MB_ICONERROR);
  }
  return created;
}

// ERROR_ELEVATION_REQUIRED, which the cross-compiler's headers lack.
static const DWORD kElevationRequired = 740;

void OpenDeviceManager() {
  // Inherited by the console, which then lists non-present devices too.
  SetEnvironmentVariableA("DEVMGR_SHOW_NONPRESENT_DEVICES", "1");
  // The console and its document by their full paths in the system
  // directory: no file association is looked up, which any program of the
  // user could redirect to run with this process's token.
  if (systemDirectory[0] == 0) return;
  // The system directory is at most 63 units: both paths always fit.
  char16_t console[MAX_PATH], document[MAX_PATH], commandLine[3 * MAX_PATH];
  TextCopy(console, MAX_PATH, systemDirectory);
  TextAppend(console, MAX_PATH, u"\\mmc.exe");
  TextCopy(document, MAX_PATH, u"\"");
  TextAppend(document, MAX_PATH, systemDirectory);
  TextAppend(document, MAX_PATH, u"\\devmgmt.msc\"");
  TextCopy(commandLine, 3 * MAX_PATH, u"\"");
  TextAppend(commandLine, 3 * MAX_PATH, console);
  TextAppend(commandLine, 3 * MAX_PATH, u"\" ");
  TextAppend(commandLine, 3 * MAX_PATH, document);
  const wchar_t* system = reinterpret_cast<const wchar_t*>(systemDirectory);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (CreateProcessW(reinterpret_cast<wchar_t*>(console), reinterpret_cast<wchar_t*>(commandLine),
                     nullptr, nullptr, FALSE, 0, nullptr, system, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else if (GetLastError() == kElevationRequired) {
    // Only a process without an administrator's token hears this: the
    // shell asks for the console's elevation.
    ShellExecuteW(GetForegroundWindow(), L"open", reinterpret_cast<wchar_t*>(console),
                  reinterpret_cast<wchar_t*>(document), system, SW_SHOWNORMAL);
  }
}

int32_t RestartElevated(const char16_t* parameters) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // The program's path was too long to be read whole: what a cut path
  // names is not started.
  if (modulePath[0] == 0) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
  } else if (reinterpret_cast<INT_PTR>(ShellExecuteW(
                 nullptr, L"runas", reinterpret_cast<const wchar_t*>(modulePath),
                 reinterpret_cast<const wchar_t*>(parameters), nullptr, SW_SHOWNORMAL)) > 32) {
    return 1;
  }
  wchar_t text[64];
  wsprintfW(text, L"ShellExecute failed. Error=%u", GetLastError());
  OsMessageBox(0, reinterpret_cast<const char16_t*>(text), u"Varnick", MB_OK | MB_ICONERROR);
  return 0;
}
