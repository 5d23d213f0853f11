// The folder Varnick keeps what a task running as SYSTEM runs and reads:
// its own folder under ProgramData, found through the system's known
// folder, never the environment. ProgramData lets users create folders,
// and files in its folders, and they keep owning what they create; so the
// folder is made with a protected access list of SYSTEM and Administrators
// alone, and nothing found there is taken on trust: a reparse point, or a
// folder or file whose owner or access list admits anyone else, is
// refused.
#pragma once

#include <stdint.h>

#include "platform/os.h"

const uint32_t kKeptPathUnits = 300;

// The copies a scheduled task runs, by their names in the folder.
extern const char16_t kKeptProgram[];    // "varnick.exe"
extern const char16_t kKeptCompanion[];  // "varnick.com"
extern const char16_t kKeptPlan[];       // "plan.txt"

enum KeptFault {
  kKeptOk,
  kKeptSystemError,   // error: the system's
  kKeptReparsePoint,  // a symbolic link, a junction, a mount point
  kKeptAdmitsOthers,  // its owner or access list admits others than SYSTEM and Administrators
  kKeptNotPlain,      // a folder that is none, a file that is none or has a second name
};

struct KeptResult {
  KeptFault fault;
  int32_t error;
  char16_t path[kKeptPathUnits];  // what it is about
};

// "C:\ProgramData\Varnick is refused: ..." or "PATH: ACCESS_DENIED".
void DescribeKeptResult(const KeptResult& result, char16_t* text, uint32_t units);
// Whether the result says only that nothing is at its path.
bool KeptMissing(const KeptResult& result);

// The folder's path: ProgramData's, and "\Varnick".
bool KeptFolderPath(char16_t* path, uint32_t units, KeptResult* result);
// A file's path in the folder; false where it does not fit.
bool KeptFilePath(const char16_t* name, char16_t* path, uint32_t units, KeptResult* result);

// The folder, opened as itself and checked, and made first when `create`
// and nothing is there. It is held until CloseKeptFolder: nobody renames
// or deletes it meanwhile.
struct KeptFolder {
  OsFile handle;
  char16_t path[kKeptPathUnits];
};
bool OpenKeptFolder(bool create, KeptFolder* folder, KeptResult* result);
void CloseKeptFolder(KeptFolder* folder);

// Whether a file of the folder may be written or read: nothing there
// (*exists false), or a plain file with one name that admits no one else.
bool CheckKeptFile(const char16_t* path, bool* exists, KeptResult* result);
// The whole content of the open source (opened so that nobody writes,
// renames or deletes it) written over the kept file at path, which is
// created where it is missing and checked again as it is opened.
bool CopyIntoKept(OsFile source, const char16_t* path, KeptResult* result);
// The kept file deleted; *deleted false where there was none.
bool DeleteKept(const char16_t* path, bool* deleted, KeptResult* result);
