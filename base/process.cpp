#include "base/process.h"

uintptr_t programInstance;
int32_t isAdmin;
char16_t systemDirectory[64];
char16_t modulePath[kPathUnits];
char iniPath[kPathUnits];
OsVersionInfo osVersion;
ProgramVersion programVersion;
