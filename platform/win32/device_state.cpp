// A device's presence, the steps of its removal and its restart: kept
// apart from the rest of the device calls so that a test build can
// substitute them at link time.
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "platform/cr_errors.h"
#include "platform/os.h"
#include "platform/win32/last_error.h"

static HDEVINFO Set(OsDeviceSet set) { return reinterpret_cast<HDEVINFO>(set); }
static SP_DEVINFO_DATA* Data(OsDeviceData* data) { return reinterpret_cast<SP_DEVINFO_DATA*>(data); }

int32_t OsGetDevNodeStatus(OsDevNode node, uint32_t* status, uint32_t* problem) {
  // Wine's stub reports success without writing: start from zero.
  ULONG s = 0, p = 0;
  CONFIGRET result = CM_Get_DevNode_Status(&s, &p, node, 0);
  if (result == CR_SUCCESS) {
    *status = s;
    *problem = p;
  }
  return Win32ErrorOfCr(result);
}

int32_t OsSetRemoveParams(OsDeviceSet set, OsDeviceData* data) {
  SP_REMOVEDEVICE_PARAMS params;
  ZeroMemory(&params, sizeof params);
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = DIF_REMOVE;
  params.Scope = DI_REMOVEDEVICE_GLOBAL;
  params.HwProfile = 0;
  return ErrorOf(SetupDiSetClassInstallParamsW(Set(set), Data(data), &params.ClassInstallHeader,
                                               sizeof params));
}

int32_t OsCallRemoveInstaller(OsDeviceSet set, OsDeviceData* data) {
  return ErrorOf(SetupDiCallClassInstaller(DIF_REMOVE, Set(set), Data(data)));
}

int32_t OsRestartDevice(OsDeviceSet set, OsDeviceData* data, bool* restartNeeded) {
  *restartNeeded = false;
  // A restart asked for by earlier work on the same record is not this one's.
  SP_DEVINSTALL_PARAMS_W before;
  ZeroMemory(&before, sizeof before);
  before.cbSize = sizeof before;
  if (SetupDiGetDeviceInstallParamsW(Set(set), Data(data), &before)) {
    before.Flags &= ~(DI_NEEDRESTART | DI_NEEDREBOOT);
    SetupDiSetDeviceInstallParamsW(Set(set), Data(data), &before);
  }
  SP_PROPCHANGE_PARAMS params;
  ZeroMemory(&params, sizeof params);
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
  params.StateChange = DICS_PROPCHANGE;
  params.Scope = DICS_FLAG_CONFIGSPECIFIC;
  params.HwProfile = 0;
  if (!SetupDiSetClassInstallParamsW(Set(set), Data(data), &params.ClassInstallHeader,
                                     sizeof params) ||
      !SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, Set(set), Data(data))) {
    return LastErrorOfFailure();
  }
  SP_DEVINSTALL_PARAMS_W install;
  ZeroMemory(&install, sizeof install);
  install.cbSize = sizeof install;
  if (SetupDiGetDeviceInstallParamsW(Set(set), Data(data), &install)) {
    *restartNeeded = (install.Flags & (DI_NEEDRESTART | DI_NEEDREBOOT)) != 0;
  }
  return kOsErrorSuccess;
}
