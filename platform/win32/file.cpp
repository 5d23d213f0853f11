#include <windows.h>

#include "platform/os.h"

static HANDLE H(OsFile file) { return reinterpret_cast<HANDLE>(file); }

OsFile OsOpenFileToRewrite(const char* path) {
  // No FILE_SHARE_WRITE or FILE_SHARE_DELETE: a rename needs delete access
  // to the file, so the path keeps naming this file while it is open. (A
  // handle without data access would not count against another's open.)
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<OsFile>(file);
}

int OsGetFileFacts(OsFile file, OsFileFacts* facts) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(H(file), &information)) return 0;
  facts->attributes = information.dwFileAttributes;
  facts->links = information.nNumberOfLinks;
  facts->size = static_cast<uint64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
  return 1;
}

int OsReadFileStart(OsFile file, void* buffer, uint32_t bytes) {
  if (SetFilePointer(H(file), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
  auto* at = static_cast<uint8_t*>(buffer);
  while (bytes > 0) {
    DWORD read = 0;
    if (!ReadFile(H(file), at, bytes, &read, nullptr) || read == 0) return 0;
    at += read;
    bytes -= read;
  }
  return 1;
}

int OsReplaceFileContent(OsFile file, const void* data, uint32_t bytes) {
  if (SetFilePointer(H(file), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return 0;
  auto* at = static_cast<const uint8_t*>(data);
  while (bytes > 0) {
    DWORD written = 0;
    if (!WriteFile(H(file), at, bytes, &written, nullptr) || written == 0) return 0;
    at += written;
    bytes -= written;
  }
  return SetEndOfFile(H(file));
}

void OsCloseFile(OsFile file) { CloseHandle(H(file)); }

int32_t OsOpenFileToReplace(const char16_t* path, OsFile* file) {
  HANDLE opened = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  *file = opened == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<OsFile>(opened);
  return opened == INVALID_HANDLE_VALUE ? static_cast<int32_t>(GetLastError()) : ERROR_SUCCESS;
}

int32_t OsOpenFileToRead(const char16_t* path, OsFile* file) {
  HANDLE opened = CreateFileW(reinterpret_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  *file = opened == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<OsFile>(opened);
  return opened == INVALID_HANDLE_VALUE ? static_cast<int32_t>(GetLastError()) : ERROR_SUCCESS;
}
