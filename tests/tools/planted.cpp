// A library planted beside the program under the name of a system library,
// as an attacker would leave one in a downloads folder. It exports nothing
// and only says, when loaded, that it was.
#include <windows.h>

#include "tests/tools/stand_in_log.h"

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    AppendStandInLog(L"planted.log", path);
  }
  return TRUE;
}
