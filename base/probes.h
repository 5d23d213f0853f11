// Probes of the environment that start-up runs once: the OS version and
// the program file's own version. (Library loading and the administrator
// test are pure system calls and live in platform/os.h.)
#pragma once

#include <stdint.h>

#include "platform/os.h"

struct OsVersionInfo {
  int32_t major;
  int32_t minor;
  int32_t versionCode;  // two decimal digits each of major and minor: 6.1 is 0x0601
  char16_t platformName[16];  // the About box's title names it
};

struct ProgramVersion {
  uint16_t major;
  uint16_t minor;
  uint16_t build;
  uint16_t revision;
  uint32_t versionMS;
  char16_t fullText[16];   // 1.0.5.0
  char16_t shortText[16];  // 1.0.5, with the revision only from 10 up
};

// Fills the record from the version numbers the system reports.
void ReadOsVersion(OsVersionInfo* version);
void DescribeOsVersion(const OsVersionNumbers& numbers, OsVersionInfo* version);
// Reads the version resource of the program file at path; 1 on success.
// On failure the record is all zero, or unchanged when the version library
// itself is unavailable.
int32_t ReadProgramVersion(const char16_t* path, ProgramVersion* version);
void DescribeProgramVersion(uint32_t versionMS, uint32_t versionLS, ProgramVersion* version);
// System Restore exists from version 5.1 on.
int32_t IsRestorePointAvailable();
