#include "platform/win32/wine.h"

#include <windows.h>
#include <string.h>

#include "platform/win32/system_libraries.h"

bool RunningOnWine() {
  static int known = -1;
  if (known < 0) {
    NtdllFunctions ntdll;
    known = FindLoadedLibraryFunctions(&ntdll);
  }
  return known != 0;
}

bool IsWineBuiltin(const void* module) {
  if (module == nullptr || !RunningOnWine()) return false;
  // Wine's builder writes the mark right after the 64-byte DOS header, which
  // is mapped with the rest of the image's headers.
  static const char mark[] = "Wine builtin DLL";
  return memcmp(static_cast<const char*>(module) + sizeof(IMAGE_DOS_HEADER), mark, sizeof mark) == 0;
}
