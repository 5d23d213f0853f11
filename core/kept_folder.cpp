#include "core/kept_folder.h"

#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/protected_access.h"

const char16_t kKeptProgram[] = u"varnick.exe";
const char16_t kKeptCompanion[] = u"varnick.com";
const char16_t kKeptPlan[] = u"plan.txt";

namespace {

const uint32_t kMostBytes = 64u << 20;  // far more than the program is

bool Fail(KeptResult* result, KeptFault fault, int32_t error, const char16_t* path) {
  result->fault = fault;
  result->error = error;
  TextCopy(result->path, Units(result->path), path);
  return false;
}

// What an open file or folder must be: no reparse point, a folder or a
// plain file with one name as asked, and admitting no one else.
bool CheckOpened(OsFile file, bool folder, const char16_t* path, KeptResult* result) {
  OsFileFacts facts;
  int32_t status = OsGetFileFacts(file, &facts);
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, path);
  if (facts.attributes & kOsFileAttributeReparsePoint) {
    return Fail(result, kKeptReparsePoint, 0, path);
  }
  bool isFolder = (facts.attributes & kOsFileAttributeDirectory) != 0;
  if (isFolder != folder || (!folder && facts.links != 1)) {
    return Fail(result, kKeptNotPlain, 0, path);
  }
  char16_t sddl[1024];
  status = OsReadSecurity(file, sddl, Units(sddl));
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, path);
  if (!AdmitsNoOneElse(sddl)) return Fail(result, kKeptAdmitsOthers, 0, path);
  result->fault = kKeptOk;
  return true;
}

}  // namespace

void DescribeKeptResult(const KeptResult& result, char16_t* text, uint32_t units) {
  TextCopy(text, units, u"");
  TextAppendOneLine(text, units, result.path);
  if (result.fault == kKeptSystemError) {
    char16_t name[32];
    TextWidenAscii(name, Units(name), ErrorName(static_cast<uint32_t>(result.error)));
    TextAppend(text, units, u": ");
    TextAppend(text, units, name);
    return;
  }
  TextAppend(text, units, u" is refused: ");
  TextAppend(text, units,
             result.fault == kKeptReparsePoint ? u"it is a reparse point (a link or a junction)"
             : result.fault == kKeptAdmitsOthers
                 ? u"its owner or access list admits others than SYSTEM and Administrators"
                 : u"it is not what it should be (a folder, or a plain file with one name)");
}

bool KeptMissing(const KeptResult& result) {
  return result.fault == kKeptSystemError &&
         (result.error == kOsErrorFileNotFound || result.error == kOsErrorPathNotFound);
}

bool KeptFolderPath(char16_t* path, uint32_t units, KeptResult* result) {
  uint32_t length;
  int32_t status = OsProgramDataFolder(path, units, &length);
  if (status == kOsErrorSuccess && length + 9 >= units) status = kOsErrorInsufficientBuffer;
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, u"ProgramData");
  TextAppend(path, units, u"\\Varnick");
  return true;
}

bool KeptFilePath(const char16_t* name, char16_t* path, uint32_t units, KeptResult* result) {
  if (!KeptFolderPath(path, units, result)) return false;
  if (TextLength(path) + 1 + TextLength(name) >= units) {
    return Fail(result, kKeptSystemError, kOsErrorInsufficientBuffer, path);
  }
  TextAppend(path, units, u"\\");
  TextAppend(path, units, name);
  return true;
}

bool OpenKeptFolder(bool create, KeptFolder* folder, KeptResult* result) {
  folder->handle = 0;
  if (!KeptFolderPath(folder->path, Units(folder->path), result)) return false;
  int32_t status = OsOpenToInspect(folder->path, &folder->handle);
  if (create && (status == kOsErrorFileNotFound || status == kOsErrorPathNotFound)) {
    // Whatever someone made meanwhile is looked at as if it had been there.
    status = OsCreateFolder(folder->path, kProtectedFolderSddl);
    if (status == kOsErrorSuccess || status == kOsErrorAlreadyExists) {
      status = OsOpenToInspect(folder->path, &folder->handle);
    }
  }
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, folder->path);
  if (!CheckOpened(folder->handle, true, folder->path, result)) {
    CloseKeptFolder(folder);
    return false;
  }
  return true;
}

void CloseKeptFolder(KeptFolder* folder) {
  if (folder->handle != 0) OsCloseFile(folder->handle);
  folder->handle = 0;
}

bool CheckKeptFile(const char16_t* path, bool* exists, KeptResult* result) {
  *exists = false;
  OsFile file;
  int32_t status = OsOpenToInspect(path, &file);
  if (status == kOsErrorFileNotFound) {
    result->fault = kKeptOk;
    return true;
  }
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, path);
  *exists = true;
  bool ok = CheckOpened(file, false, path, result);
  OsCloseFile(file);
  return ok;
}

bool CopyIntoKept(OsFile source, const char16_t* path, KeptResult* result) {
  OsFileFacts facts;
  int32_t status = OsGetFileFacts(source, &facts);
  if (status == kOsErrorSuccess && facts.size > kMostBytes) status = kOsErrorFileTooLarge;
  if (status != kOsErrorSuccess) return Fail(result, kKeptSystemError, status, path);
  uint32_t size = static_cast<uint32_t>(facts.size);
  HeapBlock<uint8_t> bytes(size + 1);
  if (size != 0) status = OsReadFileStart(source, bytes.Get(), size);
  bool ok = status == kOsErrorSuccess;
  if (!ok) Fail(result, kKeptSystemError, status, path);
  OsFile kept = 0;
  if (ok) {
    status = OsOpenFileToKeep(path, kProtectedFileSddl, &kept);
    ok = status == kOsErrorSuccess ? CheckOpened(kept, false, path, result)
                                   : Fail(result, kKeptSystemError, status, path);
  }
  if (ok) {
    status = OsReplaceFileContent(kept, bytes.Get(), size);
    if (status != kOsErrorSuccess) ok = Fail(result, kKeptSystemError, status, path);
  }
  if (kept != 0) OsCloseFile(kept);
  return ok;
}

bool DeleteKept(const char16_t* path, bool* deleted, KeptResult* result) {
  int32_t status = OsDeleteFile(path);
  *deleted = status == kOsErrorSuccess;
  if (status != kOsErrorSuccess && status != kOsErrorFileNotFound) {
    return Fail(result, kKeptSystemError, status, path);
  }
  result->fault = kKeptOk;
  return true;
}
