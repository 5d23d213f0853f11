#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "platform/os.h"

static_assert(sizeof(OsDeviceData) == sizeof(SP_DEVINFO_DATA), "SP_DEVINFO_DATA layout");

static HDEVINFO Set(OsDeviceSet set) { return reinterpret_cast<HDEVINFO>(set); }
static SP_DEVINFO_DATA* Data(OsDeviceData* data) { return reinterpret_cast<SP_DEVINFO_DATA*>(data); }
static const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

OsDeviceSet OsGetAllDevices() {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  return set == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<OsDeviceSet>(set);
}

void OsDestroyDeviceSet(OsDeviceSet set) { SetupDiDestroyDeviceInfoList(Set(set)); }

int OsEnumDevice(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data) {
  return SetupDiEnumDeviceInfo(Set(set), memberIndex, Data(data));
}

uint32_t OsGetDeviceProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                             void* buffer, uint32_t bytes) {
  ULONG length = bytes;
  CONFIGRET result =
      CM_Get_DevNode_Registry_PropertyW(data->devInst, property, nullptr, buffer, &length, 0);
  if (result != CR_FAILURE && result != CR_CALL_NOT_IMPLEMENTED) return result;
  // Wine's configuration manager has no device properties (CR_FAILURE for
  // all); Windows never answers a real device so. SetupAPI reads the same
  // data, numbered one lower.
  OsDeviceData copy = *data;
  if (SetupDiGetDeviceRegistryPropertyW(Set(set), Data(&copy), property - 1, nullptr,
                                        static_cast<BYTE*>(buffer), bytes, nullptr)) {
    return CR_SUCCESS;
  }
  switch (GetLastError()) {
    case ERROR_INVALID_DATA: return CR_NO_SUCH_VALUE;
    case ERROR_INSUFFICIENT_BUFFER: return CR_BUFFER_SMALL;
    default: return CR_FAILURE;
  }
}

uint32_t OsGetDeviceId(OsDevNode node, char16_t* buffer, uint32_t units) {
  return CM_Get_Device_IDW(node, reinterpret_cast<wchar_t*>(buffer), units, 0);
}

uint32_t OsLocateDevNode(const char16_t* deviceId) {
  DEVINST node = 0;
  return CM_Locate_DevNodeW(&node, const_cast<wchar_t*>(W(deviceId)), CM_LOCATE_DEVNODE_NORMAL);
}

uint32_t OsQueryDosDevice(const char16_t* name, char16_t* buffer, uint32_t units) {
  return QueryDosDeviceW(W(name), reinterpret_cast<wchar_t*>(buffer), units);
}

int32_t OsOpenDeviceKey(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        uint32_t access, OsKey* key) {
  *key = 0;
  HKEY opened = SetupDiOpenDevRegKey(Set(set), Data(data), DICS_FLAG_GLOBAL, 0,
                                     kind == kOsDriverKey ? DIREG_DRV : DIREG_DEV, access);
  if (opened == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return static_cast<int32_t>(error != 0 ? error : ERROR_GEN_FAILURE);
  }
  *key = reinterpret_cast<OsKey>(opened);
  return ERROR_SUCCESS;
}

int OsSetDeviceFriendlyName(OsDeviceSet set, OsDeviceData* data, const char16_t* name) {
  DWORD bytes = static_cast<DWORD>((lstrlenW(W(name)) + 1) * sizeof(wchar_t));
  return SetupDiSetDeviceRegistryPropertyW(Set(set), Data(data),
                                           SPDRP_FRIENDLYNAME,
                                           reinterpret_cast<const BYTE*>(name), bytes);
}

// DEVPKEY_Device_LocationPaths, as devpkey.h gives it.
static const DEVPROPKEY kLocationPaths = {
    {0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 37};

int32_t OsGetLocationPath(OsDeviceSet set, OsDeviceData* data, char16_t* path, uint32_t units) {
  path[0] = 0;
  // A list of paths, each ended, then an empty one: read into room for a
  // long list, and only the first kept.
  wchar_t paths[1024] = {};
  DEVPROPTYPE type = 0;
  if (!SetupDiGetDevicePropertyW(Set(set), Data(data), &kLocationPaths, &type,
                                 reinterpret_cast<BYTE*>(paths), sizeof paths - sizeof(wchar_t),
                                 nullptr, 0)) {
    DWORD error = GetLastError();
    return static_cast<int32_t>(error == ERROR_INSUFFICIENT_BUFFER || error == 0 ? ERROR_NOT_FOUND
                                                                                 : error);
  }
  if (type != DEVPROP_TYPE_STRING_LIST && type != DEVPROP_TYPE_STRING) return ERROR_NOT_FOUND;
  uint32_t n = 0;
  while (paths[n] != 0 && n + 1 < units) {
    path[n] = static_cast<char16_t>(paths[n]);
    n++;
  }
  path[n] = 0;
  return n != 0 && paths[n] == 0 ? ERROR_SUCCESS : ERROR_NOT_FOUND;  // one cut would name another socket
}

int32_t OsGetParentNode(OsDevNode node, OsDevNode* parent) {
  DEVINST found = 0;
  CONFIGRET result = CM_Get_Parent(&found, node, 0);
  *parent = found;
  if (result == CR_SUCCESS) return ERROR_SUCCESS;
  return result == CR_NO_SUCH_DEVNODE ? ERROR_NOT_FOUND : ERROR_GEN_FAILURE;
}
