#include "app/app_main.h"

#include "app/batch.h"
#include "app/command_line.h"
#include "base/memory.h"
#include "base/probes.h"
#include "base/process.h"
#include "base/text.h"
#include "platform/os.h"
#include "ui/window_mode.h"

void EntryPoint() {
  processHeap = OsProcessHeap();
  const char16_t* argumentText = SkipProgramName();
  int32_t showCommand = StartupShowCommand();
  OsExitProcess(static_cast<uint32_t>(AppMain(OsModuleInstance(), argumentText, showCommand)));
}

// The settings file beside the program: its path with the extension of the
// last component replaced by ".ini" (appended when it has none), in the
// ANSI code page the profile functions take. A path without an exact ANSI
// form, or too long, names no file: a similar name could be another file.
static void MakeSettingsPath(const char16_t* programPath, char* path, uint32_t chars) {
  path[0] = 0;
  char16_t wide[kPathUnits];
  uint32_t n = TextCopy(wide, Units(wide), programPath);
  if (n == 0) return;
  uint32_t end = n;
  for (uint32_t i = n; i-- > 0 && wide[i] != u'\\' && wide[i] != u'/';) {
    if (wide[i] == u'.') {
      end = i;
      break;
    }
  }
  if (end + 4 >= Units(wide)) return;
  wide[end] = 0;
  TextAppend(wide, Units(wide), u".ini");
  OsToAnsiExact(wide, path, chars);
}

static int32_t RunWindowMode(int32_t showCommand) {
  ReadProgramVersion(modulePath, &programVersion);
  RunMainWindow(showCommand);
  return 0;
}

int32_t AppMain(uintptr_t moduleInstance, const char16_t* argumentText, int32_t showCommand) {
  // Every library other than the kernel's is bound on first use, so the
  // search order is restricted before anything else runs.
  HardenLibrarySearch();
  processHeap = OsProcessHeap();
  programInstance = moduleInstance;
  isAdmin = IsUserAdmin();
  // Empty when it cannot be had: what needs it is not offered.
  uint32_t length;
  OsSystemDirectory(systemDirectory, Units(systemDirectory), &length);
  // A path that was cut names another file: it is never read or started.
  if (OsModuleFileName(modulePath, Units(modulePath), &length) != kOsErrorSuccess) {
    modulePath[0] = 0;
  }
  MakeSettingsPath(modulePath, iniPath, Units(iniPath));
  ReadOsVersion(&osVersion);

  BatchSwitches switches = DetectSwitches(argumentText);
  if (!IsBatchMode(switches)) return RunWindowMode(showCommand);
  return RunBatch(switches);
}
