// Files in memory, for the rewrite of a file through one handle.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "platform/sim/sim_state.h"

static std::string Fold(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

void SimFileSet(const std::string& path, const SimFile& file) { sim.files[Fold(path)] = file; }

bool SimFileGet(const std::string& path, SimFile* file) {
  auto found = sim.files.find(Fold(path));
  if (found != sim.files.end()) *file = found->second;
  return found != sim.files.end();
}

int SimFileWriteCount() { return sim.fileWrites; }
int SimOpenFileCount() { return static_cast<int>(sim.openFiles.size()); }
void SimFileFailReads(int times) { sim.fileReadFailures = times; }

static SimFile& Opened(OsFile file) {
  auto open = sim.openFiles.find(file);
  if (open == sim.openFiles.end()) {
    fprintf(stderr, "file handle %llx is not open\n", static_cast<unsigned long long>(file));
    abort();
  }
  return sim.files[open->second];
}

int32_t OsOpenFileToRewrite(const char* path, OsFile* file) {
  *file = 0;
  std::string name = Fold(path);
  auto found = sim.files.find(name);
  if (found != sim.files.end() && (found->second.attributes & kOsFileAttributeDirectory)) {
    return kOsErrorAccessDenied;
  }
  if (found == sim.files.end()) sim.files[name] = SimFile();
  sim.openFiles[sim.nextFile] = name;
  *file = sim.nextFile++;
  return kOsErrorSuccess;
}

int32_t OsGetFileFacts(OsFile file, OsFileFacts* facts) {
  const SimFile& f = Opened(file);
  facts->attributes = f.attributes;
  facts->links = f.links;
  facts->size = f.content.size();
  return kOsErrorSuccess;
}

int32_t OsReadFileStart(OsFile file, void* buffer, uint32_t bytes) {
  const SimFile& f = Opened(file);
  if (sim.fileReadFailures > 0) {
    sim.fileReadFailures--;
    return 30;  // ERROR_READ_FAULT
  }
  if (bytes > f.content.size()) return kOsErrorHandleEof;
  memcpy(buffer, f.content.data(), bytes);
  return kOsErrorSuccess;
}

int32_t OsReadFileAt(OsFile file, uint64_t offset, void* buffer, uint32_t bytes) {
  const SimFile& f = Opened(file);
  if (offset > f.content.size() || bytes > f.content.size() - offset) return kOsErrorHandleEof;
  memcpy(buffer, f.content.data() + offset, bytes);
  return kOsErrorSuccess;
}

int32_t OsReplaceFileContent(OsFile file, const void* data, uint32_t bytes) {
  Opened(file).content.assign(static_cast<const char*>(data), bytes);
  sim.fileWrites++;
  return kOsErrorSuccess;
}

void OsCloseFile(OsFile file) {
  Opened(file);
  sim.openFiles.erase(file);
}

// Paths in full are ASCII in the tests.
static std::string Narrow(const char16_t* path) {
  std::string narrow;
  for (; *path != 0; path++) narrow += static_cast<char>(*path);
  return narrow;
}

int32_t OsOpenFileToReplace(const char16_t* path, OsFile* file) {
  return OsOpenFileToRewrite(Narrow(path).c_str(), file);
}

int32_t OsOpenFileToRead(const char16_t* path, OsFile* file) {
  *file = 0;
  std::string name = Fold(Narrow(path));
  auto found = sim.files.find(name);
  if (found == sim.files.end()) return kOsErrorFileNotFound;
  if (found->second.attributes & kOsFileAttributeDirectory) return kOsErrorAccessDenied;
  sim.openFiles[sim.nextFile] = name;
  *file = sim.nextFile++;
  return kOsErrorSuccess;
}

// Folders, owners and access lists ---------------------------------------------

SimFile SimFolder(const std::u16string& sddl) {
  SimFile folder;
  folder.attributes = kOsFileAttributeDirectory;
  folder.sddl = sddl;
  return folder;
}

int32_t OsProgramDataFolder(char16_t* buffer, uint32_t units, uint32_t* length) {
  static const char16_t path[] = u"C:\\ProgramData";
  *length = 0;
  buffer[0] = 0;
  if (units < sizeof path / sizeof path[0]) return kOsErrorInsufficientBuffer;
  memcpy(buffer, path, sizeof path);
  *length = sizeof path / sizeof path[0] - 1;
  return kOsErrorSuccess;
}

int32_t OsCreateFolder(const char16_t* path, const char16_t* sddl) {
  std::string name = Fold(Narrow(path));
  if (sim.files.count(name) != 0) return kOsErrorAlreadyExists;
  sim.files[name] = SimFolder(sddl);
  return kOsErrorSuccess;
}

int32_t OsOpenToInspect(const char16_t* path, OsFile* file) {
  *file = 0;
  std::string name = Fold(Narrow(path));
  if (sim.files.count(name) == 0) return kOsErrorFileNotFound;
  sim.openFiles[sim.nextFile] = name;
  *file = sim.nextFile++;
  return kOsErrorSuccess;
}

int32_t OsOpenFileToKeep(const char16_t* path, const char16_t* sddl, OsFile* file) {
  std::string name = Fold(Narrow(path));
  bool created = sim.files.count(name) == 0;
  int32_t status = OsOpenFileToRewrite(name.c_str(), file);
  if (status == kOsErrorSuccess && created) sim.files[name].sddl = sddl;
  return status;
}

int32_t OsReadSecurity(OsFile file, char16_t* sddl, uint32_t units) {
  const std::u16string& text = Opened(file).sddl;
  sddl[0] = 0;
  if (text.size() >= units) return kOsErrorInsufficientBuffer;
  std::copy(text.c_str(), text.c_str() + text.size() + 1, sddl);
  return kOsErrorSuccess;
}

int32_t OsDeleteFile(const char16_t* path) {
  std::string name = Fold(Narrow(path));
  auto found = sim.files.find(name);
  if (found == sim.files.end()) return kOsErrorFileNotFound;
  if (found->second.attributes & kOsFileAttributeDirectory) return kOsErrorAccessDenied;
  for (const auto& open : sim.openFiles) {
    if (open.second == name) return kOsErrorSharingViolation;
  }
  sim.files.erase(found);
  return kOsErrorSuccess;
}

void SimFileFailAppends(int32_t status, int times) {
  sim.fileAppendStatus = status;
  sim.fileAppendFailures = times;
}

void SimSetFolder(const std::string& path, bool exists) {
  if (exists) {
    sim.files[Fold(path)] = SimFolder(u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
  } else {
    sim.files.erase(Fold(path));
  }
}

int32_t OsOpenFileToAppend(const char16_t* path, const char16_t* sddl, OsFile* file) {
  *file = 0;
  std::string name = Fold(Narrow(path));
  size_t end = name.rfind('\\');
  auto folder = end == std::string::npos ? sim.files.end() : sim.files.find(name.substr(0, end));
  if (folder == sim.files.end() || !(folder->second.attributes & kOsFileAttributeDirectory)) {
    return kOsErrorPathNotFound;
  }
  bool created = sim.files.count(name) == 0;
  int32_t status = OsOpenFileToRewrite(name.c_str(), file);
  if (status == kOsErrorSuccess && created) sim.files[name].sddl = sddl;
  return status;
}

int32_t OsAppendToFile(OsFile file, const void* data, uint32_t bytes) {
  SimFile& f = Opened(file);
  if (sim.fileAppendFailures > 0) {
    sim.fileAppendFailures--;
    return sim.fileAppendStatus;
  }
  f.content.append(static_cast<const char*>(data), bytes);
  sim.fileWrites++;
  return kOsErrorSuccess;
}

// As the system renames: a file held open without shared deletion keeps
// its name, and a folder is never replaced.
int32_t OsRenameFile(const char16_t* from, const char16_t* to) {
  std::string source = Fold(Narrow(from)), target = Fold(Narrow(to));
  auto found = sim.files.find(source);
  if (found == sim.files.end()) return kOsErrorFileNotFound;
  for (const auto& open : sim.openFiles) {
    if (open.second == source || open.second == target) return kOsErrorSharingViolation;
  }
  auto replaced = sim.files.find(target);
  if (replaced != sim.files.end() && (replaced->second.attributes & kOsFileAttributeDirectory)) {
    return kOsErrorAccessDenied;
  }
  sim.files[target] = found->second;
  sim.files.erase(source);
  return kOsErrorSuccess;
}

void SimHoldFileElsewhere(const std::string& path, bool held) {
  if (held) {
    sim.filesHeldElsewhere.insert(Fold(path));
  } else {
    sim.filesHeldElsewhere.erase(Fold(path));
  }
}

int32_t OsOpenFileToLock(const char16_t* path, const char16_t* sddl, OsFile* file) {
  *file = 0;
  std::string name = Fold(Narrow(path));
  if (sim.filesHeldElsewhere.count(name) != 0) return kOsErrorSharingViolation;
  for (const auto& open : sim.openFiles) {
    if (open.second == name) return kOsErrorSharingViolation;
  }
  bool created = sim.files.count(name) == 0;
  int32_t status = OsOpenFileToRewrite(name.c_str(), file);
  if (status == kOsErrorSuccess && created) sim.files[name].sddl = sddl;
  return status;
}
