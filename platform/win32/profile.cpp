#include <windows.h>

#include "platform/os.h"

int32_t OsProfileReadInt(const char* section, const char* key, int32_t fallback,
                         const char* file) {
  return static_cast<int32_t>(GetPrivateProfileIntA(section, key, fallback, file));
}

int OsProfileReadStruct(const char* section, const char* key, void* data, uint32_t size,
                        const char* file) {
  return GetPrivateProfileStructA(section, key, data, size, file);
}

int OsProfileWriteString(const char* section, const char* key, const char* value,
                         const char* file) {
  return WritePrivateProfileStringA(section, key, value, file);
}

int OsProfileWriteStruct(const char* section, const char* key, const void* data, uint32_t size,
                         const char* file) {
  return WritePrivateProfileStructA(section, key, const_cast<void*>(data), size, file);
}
