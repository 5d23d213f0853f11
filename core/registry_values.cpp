#include "core/registry_values.h"

#include "base/text.h"

int32_t QueryRegValueSize(OsKey root, const char16_t* path, const char16_t* name,
                          uint32_t* size) {
  OsKey key;
  int32_t status = OsRegOpenKey(root, path, kOsKeyQueryValue, &key);
  if (status != kOsErrorSuccess) {
    OsSetLastError(static_cast<uint32_t>(status));
    return 0;
  }
  status = OsRegQueryValue(key, name, nullptr, nullptr, size);
  OsRegCloseKey(key);
  if (status != kOsErrorSuccess) {
    OsSetLastError(static_cast<uint32_t>(status));
    return 0;
  }
  return 1;
}

int32_t ReadRegString(OsKey root, const char16_t* path, const char16_t* name,
                      char16_t* buffer, uint32_t byteLimit) {
  if (byteLimit < sizeof(char16_t)) return 0;
  buffer[0] = 0;
  OsKey key;
  if (OsRegOpenKey(root, path, kOsKeyQueryValue, &key) != kOsErrorSuccess) return 0;
  uint32_t type = 0;
  uint32_t size = byteLimit;
  // The status is not examined: what the query left in the buffer stands.
  OsRegQueryValue(key, name, &type, buffer, &size);
  OsRegCloseKey(key);
  if (type == kOsRegDword) {
    // A DWORD shorter than four bytes reads with the zeroed rest of the
    // buffer; one whose limit is under four bytes could not have been read.
    uint32_t bytes[4] = {0, 0, 0, 0};
    const uint8_t* stored = reinterpret_cast<const uint8_t*>(buffer);
    for (uint32_t i = 0; i < 4 && i < byteLimit; i++) bytes[i] = stored[i];
    uint32_t value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
    buffer[0] = 0;
    TextAppendSigned(buffer, byteLimit / sizeof(char16_t), static_cast<int32_t>(value));
  }
  return buffer[0] != 0;
}

uint32_t ReadRegBinary(OsKey root, const char16_t* path, const char16_t* name,
                       uint8_t* buffer, uint32_t size, int32_t* status) {
  OsKey key;
  int32_t result = OsRegOpenKey(root, path, kOsKeyQueryValue, &key);
  if (result == kOsErrorSuccess) {
    result = OsRegQueryValue(key, name, nullptr, buffer, &size);
    OsRegCloseKey(key);
  }
  if (status != nullptr) *status = result;
  return result == kOsErrorSuccess ? size : 0;
}

int32_t WriteRegBinary(OsKey root, const char16_t* path, const char16_t* name,
                       const uint8_t* bytes, uint32_t count, int32_t* status) {
  OsKey key;
  int32_t result = OsRegCreateKey(root, path, kOsKeyCreateSubKey | kOsKeySetValue, &key);
  if (result == kOsErrorSuccess) {
    result = OsRegSetValue(key, name, kOsRegBinary, bytes, count);
    OsRegCloseKey(key);
  }
  if (status != nullptr) *status = result;
  return result == kOsErrorSuccess;
}
