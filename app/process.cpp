#include "app/process.h"

uintptr_t programInstance;
int32_t isAdmin;
char16_t systemDirectory[64];
char16_t modulePath[260];
char iniPath[260];
OsVersionInfo osVersion;
ProgramVersion programVersion;
