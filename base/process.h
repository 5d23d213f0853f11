// Process-wide values, set once during start-up and read everywhere.
#pragma once

#include <stdint.h>

#include "base/probes.h"

extern uintptr_t programInstance;  // the program's module, for its resources
extern bool isAdmin;
const uint32_t kPathUnits = 260;  // MAX_PATH

extern char16_t systemDirectory[64];
extern char16_t modulePath[kPathUnits];  // empty when the path did not fit
extern char iniPath[kPathUnits];  // system ANSI code page; empty: no settings file
extern OsVersionInfo osVersion;
extern ProgramVersion programVersion;
