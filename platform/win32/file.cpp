#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

static HANDLE H(OsFile file) { return reinterpret_cast<HANDLE>(file); }

int32_t OsOpenFileToRewrite(const char* path, OsFile* file) {
  // No FILE_SHARE_WRITE or FILE_SHARE_DELETE: a rename needs delete access
  // to the file, so the path keeps naming this file while it is open. (A
  // handle without data access would not count against another's open.)
  return HandleOf(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr),
                  file);
}

int32_t OsGetFileFacts(OsFile file, OsFileFacts* facts) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(H(file), &information)) return LastErrorOfFailure();
  facts->attributes = information.dwFileAttributes;
  facts->links = information.nNumberOfLinks;
  facts->size = static_cast<uint64_t>(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
  return kOsErrorSuccess;
}

// `bytes` bytes of the file read or written, from the offset on.
static int32_t Transfer(OsFile file, uint64_t offset, uint8_t* at, uint32_t bytes, bool write) {
  LARGE_INTEGER from;
  from.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(H(file), from, nullptr, FILE_BEGIN)) return LastErrorOfFailure();
  while (bytes > 0) {
    DWORD done = 0;
    if (!(write ? WriteFile(H(file), at, bytes, &done, nullptr)
                : ReadFile(H(file), at, bytes, &done, nullptr))) {
      return LastErrorOfFailure();
    }
    // Nothing more read: the file ends before them.
    if (done == 0) return write ? ERROR_WRITE_FAULT : ERROR_HANDLE_EOF;
    at += done;
    bytes -= done;
  }
  return kOsErrorSuccess;
}

int32_t OsReadFileStart(OsFile file, void* buffer, uint32_t bytes) {
  return Transfer(file, 0, static_cast<uint8_t*>(buffer), bytes, false);
}

int32_t OsReadFileAt(OsFile file, uint64_t offset, void* buffer, uint32_t bytes) {
  return Transfer(file, offset, static_cast<uint8_t*>(buffer), bytes, false);
}

int32_t OsReplaceFileContent(OsFile file, const void* data, uint32_t bytes) {
  // WriteFile only reads the bytes.
  int32_t status = Transfer(file, 0, static_cast<uint8_t*>(const_cast<void*>(data)), bytes, true);
  return status != kOsErrorSuccess ? status : ErrorOf(SetEndOfFile(H(file)));
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

int32_t OsAppendToFile(OsFile file, const void* data, uint32_t bytes) {
  const uint8_t* at = static_cast<const uint8_t*>(data);
  while (bytes > 0) {
    DWORD done = 0;
    if (!WriteFile(H(file), at, bytes, &done, nullptr)) return LastErrorOfFailure();
    if (done == 0) return ERROR_WRITE_FAULT;
    at += done;
    bytes -= done;
  }
  return kOsErrorSuccess;
}

int32_t OsRenameFile(const char16_t* from, const char16_t* to) {
  return ErrorOf(MoveFileExW(reinterpret_cast<const wchar_t*>(from),
                             reinterpret_cast<const wchar_t*>(to), MOVEFILE_REPLACE_EXISTING));
}
