#include "base/process.h"

uintptr_t programInstance;
bool isAdmin;
char16_t systemDirectory[64];
char16_t modulePath[kPathUnits];
char iniPath[kPathUnits];
OsVersionInfo osVersion;
ProgramVersion programVersion;
