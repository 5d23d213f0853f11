#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

int32_t OsProfileReadInt(const char* section, const char* key, int32_t fallback,
                         const char* file) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file));
}

int32_t OsProfileReadStruct(const char* section, const char* key, void* data, uint32_t size,
                            const char* file) {
  return ErrorOf(GetPrivateProfileStructA(section, key, data, size, file));
}

int32_t OsProfileWriteString(const char* section, const char* key, const char* value,
                             const char* file) {
  return ErrorOf(WritePrivateProfileStringA(section, key, value, file));
}

int32_t OsProfileWriteStruct(const char* section, const char* key, const void* data,
                             uint32_t size, const char* file) {
  return ErrorOf(WritePrivateProfileStructA(section, key, const_cast<void*>(data), size, file));
}
