// Linked into the ghost test build of Varnick in place of the real device
// state calls. Wine has no non-present devices and no class-install
// parameters, so here a device whose instance ID contains "GHOST" reports
// that its node is not present, the parameter step succeeds, and the real
// class installer removes the device from Wine's device tree; one whose ID
// also contains "STUCK" fails at the class installer with ACCESS_DENIED.
// A device restart, which Wine's class installer cannot do, is recorded
// (restart.log) and done: one whose ID contains "REBOOT" answers that the
// machine must restart first, one with "NORESTART" fails with
// ACCESS_DENIED. Everything else is the shipped program.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <wchar.h>

#include "platform/cr_errors.h"
#include "platform/os.h"
#include "platform/win32/last_error.h"
#include "tests/tools/stand_in_log.h"

static bool IdContains(DEVINST node, const wchar_t* marker) {
  wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
  return CM_Get_Device_IDW(node, id, MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS &&
         wcsstr(id, marker) != nullptr;
}

int32_t OsGetDevNodeStatus(OsDevNode node, uint32_t* status, uint32_t* problem) {
  if (IdContains(node, L"GHOST")) return Win32ErrorOfCr(CR_NO_SUCH_DEVINST);
  ULONG s = 0, p = 0;
  CONFIGRET result = CM_Get_DevNode_Status(&s, &p, node, 0);
  if (result == CR_SUCCESS) {
    *status = s;
    *problem = p;
  }
  return Win32ErrorOfCr(result);
}

int32_t OsSetRemoveParams(OsDeviceSet, OsDeviceData*) { return kOsErrorSuccess; }

int32_t OsCallRemoveInstaller(OsDeviceSet set, OsDeviceData* data) {
  if (IdContains(data->devInst, L"STUCK")) return ERROR_ACCESS_DENIED;
  return ErrorOf(SetupDiCallClassInstaller(DIF_REMOVE, reinterpret_cast<HDEVINFO>(set),
                                           reinterpret_cast<SP_DEVINFO_DATA*>(data)));
}

int32_t OsRestartDevice(OsDeviceSet, OsDeviceData* data, bool* restartNeeded) {
  wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
  CM_Get_Device_IDW(data->devInst, id, MAX_DEVICE_ID_LEN, 0);
  AppendStandInLog(L"restart.log", std::wstring(L"restart ") + id);
  *restartNeeded = wcsstr(id, L"REBOOT") != nullptr;
  if (wcsstr(id, L"NORESTART") != nullptr) return ERROR_ACCESS_DENIED;
  return kOsErrorSuccess;
}
