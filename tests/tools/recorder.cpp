// A stand-in for the programs Varnick hands documents to (the Device
// Manager console, the web browser), registered in the test prefix for
// .msc files and https addresses: records its command line and the value
// of DEVMGR_SHOW_NONPRESENT_DEVICES it inherited in recorder.log.
#include <windows.h>

#include <string>

#include "tests/tools/stand_in_log.h"

int wmain() {
  wchar_t value[64] = {};
  DWORD n = GetEnvironmentVariableW(L"DEVMGR_SHOW_NONPRESENT_DEVICES", value, 64);
  AppendStandInLog(L"recorder.log", std::wstring(GetCommandLineW()) + L"|" +
                                        (n == 0 ? L"(unset)" : value));
  return 0;
}
