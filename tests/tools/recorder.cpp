// A stand-in for the programs Varnick hands documents to (the Device
// Manager console, the web browser), put into the test prefix as the
// system's console (mmc.exe) and registered for .msc files and https
// addresses: records its command line, the value of
// DEVMGR_SHOW_NONPRESENT_DEVICES it inherited and the program that started
// it, in recorder.log.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "tests/tools/stand_in_log.h"

// The file name of the process that started this one, "(gone)" when it
// has ended.
static std::wstring Parent() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  std::wstring name = L"(gone)";
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (parent != 0 && entry.th32ProcessID == parent) name = entry.szExeFile;
  }
  CloseHandle(snapshot);
  return name;
}

int wmain() {
  wchar_t value[64] = {};
  DWORD n = GetEnvironmentVariableW(L"DEVMGR_SHOW_NONPRESENT_DEVICES", value, 64);
  AppendStandInLog(L"recorder.log", std::wstring(GetCommandLineW()) + L"|" +
                                        (n == 0 ? L"(unset)" : value) + L"|" + Parent());
  return 0;
}
