#include "actions/property_sheet.h"

#include <windows.h>

#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure.h"
#include "platform/win32/system_libraries.h"

static const uint32_t kCommandLineBytes = 512;
static const char kCommandLineStart[] = "/MachineName \"\" /DeviceID ";

static int32_t FormatCommandLine(const char* ansiDeviceId, char* commandLine) {
  if (lstrlenA(kCommandLineStart) + lstrlenA(ansiDeviceId) >= static_cast<int>(kCommandLineBytes)) {
    return 0;
  }
  lstrcpyA(commandLine, kCommandLineStart);
  lstrcatA(commandLine, ansiDeviceId);
  return 1;
}

// Takes over the ID block it is given, freed whatever happens.
static DWORD WINAPI PropertySheetThread(LPVOID parameter) {
  HeapBlock<wchar_t> deviceId;
  deviceId.Adopt(static_cast<wchar_t*>(parameter));
  DWORD shown = 0;
  LoadedLibrary<DevmgrFunctions> devmgr;
  // The ID converted with a bound: in a multi-byte code page a character
  // may take two bytes.
  char ansiId[kCommandLineBytes] = {};
  char commandLine[kCommandLineBytes];
  if (devmgr->DeviceProperties_RunDLLA != nullptr &&
      WideCharToMultiByte(CP_ACP, 0, deviceId.Get(), -1, ansiId, sizeof ansiId, nullptr, nullptr) != 0 &&
      FormatCommandLine(ansiId, commandLine)) {
    // Returns when the user closes the sheet. The library stays loaded for
    // the process's life, as it always has: what the sheet started may
    // still run its code.
    devmgr->DeviceProperties_RunDLLA(nullptr, reinterpret_cast<HINSTANCE>(programInstance),
                                     commandLine, SW_SHOW);
    devmgr.Release();
    shown = 1;
  }
  return shown;
}

void OpenPropertySheet(const char16_t* deviceId) {
  // Handed over as a copy that the thread owns: it never touches the
  // program's records, which a later refresh replaces.
  HeapBlock<char16_t> copy(kDeviceIdUnits);
  TextCopy(copy.Get(), kDeviceIdUnits, deviceId);
  HANDLE thread = CreateThread(nullptr, 0, PropertySheetThread, copy.Get(), 0, nullptr);
  if (thread == nullptr) return;
  copy.Release();     // the thread's now
  CloseHandle(thread);  // nobody waits for it
}
