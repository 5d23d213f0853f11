// The program's own folder under ProgramData: found through the system's
// known folder, made with the owner and access list asked for, and files
// and folders there looked at as themselves, their owner and access list
// read as SDDL.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"
#include "platform/win32/wine.h"

namespace {

const GUID kProgramData = {0x62ab5d82, 0xfdc1, 0x4dc3,
                           {0xa9, 0xdd, 0x07, 0x0d, 0x1d, 0x49, 0x5d, 0x97}};

const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// A security descriptor made from SDDL, for a call that creates something;
// freed with LocalFree.
int32_t SecurityOf(const char16_t* sddl, SECURITY_ATTRIBUTES* attributes) {
  *attributes = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  return ErrorOf(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      W(sddl), SDDL_REVISION_1, &attributes->lpSecurityDescriptor, nullptr));
}

// Wine gives every file the Unix user as its owner, and its access list
// is made from the file's mode, with that user where Windows would have
// the Administrators a file was made for. Wine's one user is always an
// administrator, and nothing there runs as SYSTEM; so there, and only
// there, the process's own user is read as Administrators.
void ReadOwnUserAsAdministrators(wchar_t* sddl) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
  alignas(8) BYTE buffer[256];
  DWORD size = 0;
  wchar_t* own = nullptr;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &own)) {
    int length = lstrlenW(own);
    wchar_t* out = sddl;
    for (const wchar_t* in = sddl; *in != 0;) {
      int same = 0;
      while (same < length && in[same] == own[same]) same++;
      wchar_t after = same == length ? in[length] : L'0';  // a longer SID is another
      if (!(after >= L'0' && after <= L'9') && after != L'-') {
        *out++ = L'B';
        *out++ = L'A';
        in += length;
      } else {
        *out++ = *in++;
      }
    }
    *out = 0;
    LocalFree(own);
  }
  CloseHandle(token);
}

}  // namespace

int32_t OsProgramDataFolder(char16_t* buffer, uint32_t units, uint32_t* length) {
  *length = 0;
  buffer[0] = 0;
  PWSTR path = nullptr;
  int32_t status = ErrorOfResult(SHGetKnownFolderPath(kProgramData, 0, nullptr, &path));
  if (status == kOsErrorSuccess) {
    uint32_t n = static_cast<uint32_t>(lstrlenW(path));
    if (n < units) {
      CopyMemory(buffer, path, (n + 1) * sizeof(wchar_t));
      *length = n;
    } else {
      status = ERROR_INSUFFICIENT_BUFFER;
    }
  }
  CoTaskMemFree(path);
  return status;
}

int32_t OsCreateFolder(const char16_t* path, const char16_t* sddl) {
  SECURITY_ATTRIBUTES security;
  int32_t status = SecurityOf(sddl, &security);
  if (status == kOsErrorSuccess) status = ErrorOf(CreateDirectoryW(W(path), &security));
  LocalFree(security.lpSecurityDescriptor);
  return status;
}

int32_t OsOpenToInspect(const char16_t* path, OsFile* file) {
  // Read access, so that the handle counts against a delete or a rename
  // (no FILE_SHARE_DELETE); backup semantics, so that a folder opens too.
  return HandleOf(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                  file);
}

// A file opened as OsOpenFileToReplace opens one (created where missing,
// a reparse point opened as itself), for the access and sharing given; one
// it creates gets the owner and access list of the SDDL given.
static int32_t OpenFileMadeAs(const char16_t* path, const char16_t* sddl, DWORD access,
                              DWORD share, OsFile* file) {
  *file = 0;
  SECURITY_ATTRIBUTES security;
  int32_t status = SecurityOf(sddl, &security);
  if (status == kOsErrorSuccess) {
    status = HandleOf(CreateFileW(W(path), access, share, &security, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                      file);
  }
  LocalFree(security.lpSecurityDescriptor);
  return status;
}

int32_t OsOpenFileToKeep(const char16_t* path, const char16_t* sddl, OsFile* file) {
  return OpenFileMadeAs(path, sddl, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, file);
}

int32_t OsOpenFileToAppend(const char16_t* path, const char16_t* sddl, OsFile* file) {
  // Appending data only: every write lands at the end, whoever wrote last.
  return OpenFileMadeAs(path, sddl, GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, file);
}

int32_t OsOpenFileToLock(const char16_t* path, const char16_t* sddl, OsFile* file) {
  // Shared with nobody: a second open fails while this one holds it.
  return OpenFileMadeAs(path, sddl, GENERIC_READ, 0, file);
}

int32_t OsReadSecurity(OsFile file, char16_t* sddl, uint32_t units) {
  sddl[0] = 0;
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  int32_t status = static_cast<int32_t>(GetSecurityInfo(reinterpret_cast<HANDLE>(file),
                                                        SE_FILE_OBJECT, wanted, nullptr, nullptr,
                                                        nullptr, nullptr, &descriptor));
  wchar_t* text = nullptr;
  if (status == kOsErrorSuccess) {
    status = ErrorOf(ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, wanted, &text, nullptr));
  }
  if (status == kOsErrorSuccess) {
    if (RunningOnWine()) ReadOwnUserAsAdministrators(text);
    if (static_cast<uint32_t>(lstrlenW(text)) < units) {
      lstrcpyW(reinterpret_cast<wchar_t*>(sddl), text);
    } else {
      status = ERROR_INSUFFICIENT_BUFFER;
    }
  }
  LocalFree(text);
  LocalFree(descriptor);
  return status;
}

int32_t OsDeleteFile(const char16_t* path) { return ErrorOf(DeleteFileW(W(path))); }
