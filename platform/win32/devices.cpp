#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "platform/cr_errors.h"
#include "platform/os.h"
#include "platform/win32/last_error.h"

static_assert(sizeof(OsDeviceData) == sizeof(SP_DEVINFO_DATA), "SP_DEVINFO_DATA layout");

static HDEVINFO Set(OsDeviceSet set) { return reinterpret_cast<HDEVINFO>(set); }
static SP_DEVINFO_DATA* Data(OsDeviceData* data) { return reinterpret_cast<SP_DEVINFO_DATA*>(data); }
static const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int32_t OsGetAllDevices(OsDeviceSet* set) {
  return HandleOf(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES), set);
}

void OsDestroyDeviceSet(OsDeviceSet set) { SetupDiDestroyDeviceInfoList(Set(set)); }

int32_t OsEnumDevice(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data) {
  return ErrorOf(SetupDiEnumDeviceInfo(Set(set), memberIndex, Data(data)));
}

int32_t OsGetDeviceProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                            void* buffer, uint32_t bytes) {
  ULONG length = bytes;
  CONFIGRET result =
      CM_Get_DevNode_Registry_PropertyW(data->devInst, property, nullptr, buffer, &length, 0);
  if (result != CR_FAILURE && result != CR_CALL_NOT_IMPLEMENTED) return Win32ErrorOfCr(result);
  // Wine's configuration manager has no device properties (CR_FAILURE for
  // all); Windows never answers a real device so. SetupAPI reads the same
  // data, numbered one lower, and answers a property the device lacks with
  // INVALID_DATA, where the configuration manager says NOT_FOUND.
  OsDeviceData copy = *data;
  int32_t status = ErrorOf(SetupDiGetDeviceRegistryPropertyW(
      Set(set), Data(&copy), property - 1, nullptr, static_cast<BYTE*>(buffer), bytes, nullptr));
  return status == ERROR_INVALID_DATA ? static_cast<int32_t>(ERROR_NOT_FOUND) : status;
}

int32_t OsGetDeviceId(OsDevNode node, char16_t* buffer, uint32_t units) {
  return Win32ErrorOfCr(CM_Get_Device_IDW(node, reinterpret_cast<wchar_t*>(buffer), units, 0));
}

int32_t OsLocateDevNode(const char16_t* deviceId) {
  DEVINST node = 0;
  return Win32ErrorOfCr(
      CM_Locate_DevNodeW(&node, const_cast<wchar_t*>(W(deviceId)), CM_LOCATE_DEVNODE_NORMAL));
}

int32_t OsQueryDosDevice(const char16_t* name, char16_t* buffer, uint32_t units,
                         uint32_t* stored) {
  *stored = QueryDosDeviceW(W(name), reinterpret_cast<wchar_t*>(buffer), units);
  return *stored != 0 ? kOsErrorSuccess : LastErrorOfFailure();
}

int32_t OsOpenDeviceKey(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        uint32_t access, OsKey* key) {
  return HandleOf(SetupDiOpenDevRegKey(Set(set), Data(data), DICS_FLAG_GLOBAL, 0,
                                       kind == kOsDriverKey ? DIREG_DRV : DIREG_DEV, access),
                  key);
}

int32_t OsSetDeviceFriendlyName(OsDeviceSet set, OsDeviceData* data, const char16_t* name) {
  DWORD bytes = static_cast<DWORD>((lstrlenW(W(name)) + 1) * sizeof(wchar_t));
  return ErrorOf(SetupDiSetDeviceRegistryPropertyW(Set(set), Data(data), SPDRP_FRIENDLYNAME,
                                                   reinterpret_cast<const BYTE*>(name), bytes));
}

// DEVPKEY_Device_LocationPaths, as devpkey.h gives it.
static const DEVPROPKEY kLocationPaths = {
    {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 37};

int32_t OsGetLocationPath(OsDeviceSet set, OsDeviceData* data, char16_t* path, uint32_t units) {
  path[0] = 0;
  // A list of paths, each ended, then an empty one, however long: measured
  // first, read whole, and only the first kept.
  DEVPROPTYPE type = 0;
  DWORD bytes = 0;
  SetupDiGetDevicePropertyW(Set(set), Data(data), &kLocationPaths, &type, nullptr, 0, &bytes, 0);
  if (bytes == 0) {
    DWORD error = GetLastError();
    return static_cast<int32_t>(error == ERROR_INSUFFICIENT_BUFFER || error == 0 ? ERROR_NOT_FOUND
                                                                                 : error);
  }
  if (type != DEVPROP_TYPE_STRING_LIST && type != DEVPROP_TYPE_STRING) return ERROR_NOT_FOUND;
  HANDLE heap = GetProcessHeap();
  auto* paths = static_cast<wchar_t*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes + 2 * sizeof(wchar_t)));
  if (paths == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  int32_t status = ERROR_NOT_FOUND;
  if (SetupDiGetDevicePropertyW(Set(set), Data(data), &kLocationPaths, &type,
                                reinterpret_cast<BYTE*>(paths), bytes, nullptr, 0)) {
    uint32_t n = 0;
    while (paths[n] != 0 && n + 1 < units) {
      path[n] = static_cast<char16_t>(paths[n]);
      n++;
    }
    path[n] = 0;
    // A path cut short would name another socket.
    status = n != 0 && paths[n] == 0 ? ERROR_SUCCESS : ERROR_NOT_FOUND;
    if (status != ERROR_SUCCESS) path[0] = 0;
  }
  HeapFree(heap, 0, paths);
  return status;
}

int32_t OsGetParentNode(OsDevNode node, OsDevNode* parent) {
  DEVINST found = 0;
  CONFIGRET result = CM_Get_Parent(&found, node, 0);
  *parent = result == CR_SUCCESS ? found : 0;
  return Win32ErrorOfCr(result);
}
