#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

static const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int32_t OsRegOpenKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key) {
  HKEY opened = nullptr;
  LSTATUS status = RegOpenKeyExW(reinterpret_cast<HKEY>(root), W(path), 0, access, &opened);
  *key = reinterpret_cast<OsKey>(opened);
  return status;
}

int32_t OsRegCreateKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(reinterpret_cast<HKEY>(root), W(path), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr);
  *key = reinterpret_cast<OsKey>(opened);
  return status;
}

int32_t OsRegQueryValue(OsKey key, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* size) {
  DWORD storedType = 0;
  DWORD bytes = size != nullptr ? *size : 0;
  LSTATUS status = RegQueryValueExW(reinterpret_cast<HKEY>(key), W(name), nullptr, &storedType,
                                    static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
  if (type != nullptr) *type = storedType;
  if (size != nullptr) *size = bytes;
  return status;
}

int32_t OsRegSetValue(OsKey key, const char16_t* name, uint32_t type, const void* data,
                      uint32_t size) {
  return RegSetValueExW(reinterpret_cast<HKEY>(key), W(name), 0, type,
                        static_cast<const BYTE*>(data), size);
}

void OsRegCloseKey(OsKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

int32_t OsRegEnumValue(OsKey key, uint32_t index, char16_t* name, uint32_t nameUnits,
                       uint32_t* type, void* data, uint32_t* size) {
  DWORD nameLength = nameUnits, storedType = 0, bytes = *size;
  LSTATUS status = RegEnumValueW(reinterpret_cast<HKEY>(key), index,
                                 reinterpret_cast<wchar_t*>(name), &nameLength, nullptr,
                                 &storedType, static_cast<BYTE*>(data), &bytes);
  if (nameUnits != 0) name[nameUnits - 1] = 0;
  *type = storedType;
  *size = bytes;
  return status;
}

int32_t OsRegWaitForValueChange(OsKey key, OsEvent changed, OsEvent stop, bool* stopped) {
  *stopped = false;
  LSTATUS status = RegNotifyChangeKeyValue(reinterpret_cast<HKEY>(key), FALSE,
                                           REG_NOTIFY_CHANGE_LAST_SET,
                                           reinterpret_cast<HANDLE>(changed), TRUE);
  if (status != ERROR_SUCCESS) return status;
  // The stop first: when both are set, the stop wins.
  const HANDLE events[2] = {reinterpret_cast<HANDLE>(stop), reinterpret_cast<HANDLE>(changed)};
  switch (WaitForMultipleObjects(2, events, FALSE, INFINITE)) {
    case WAIT_OBJECT_0:
      *stopped = true;
      return kOsErrorSuccess;
    case WAIT_OBJECT_0 + 1: return kOsErrorSuccess;
    default: return LastErrorOfFailure();
  }
}
