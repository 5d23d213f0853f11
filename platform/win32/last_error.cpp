#include <windows.h>

#include "platform/os.h"

uint32_t OsGetLastError() { return GetLastError(); }

void OsSetLastError(uint32_t code) { SetLastError(code); }
