#include "app/app_main.h"

#include "app/batch.h"
#include "app/command_line.h"
#include "app/memory.h"
#include "app/probes.h"
#include "app/process.h"
#include "platform/os.h"
#include "ui/window_mode.h"

void EntryPoint() {
  processHeap = OsProcessHeap();
  const char16_t* argumentText = SkipProgramName();
  int32_t showCommand = StartupShowCommand();
  OsExitProcess(static_cast<uint32_t>(AppMain(OsModuleInstance(), argumentText, showCommand)));
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
  instance = moduleInstance;
  isAdmin = IsUserAdmin();
  OsSystemDirectory(systemDirectory, 64);
  OsModuleFileName(modulePath, 260);
  OsModuleFileNameA(iniPath, 260);
  OsPathRenameExtensionA(iniPath, ".ini");
  ReadOsVersion(&osVersion);

  BatchSwitches switches = DetectSwitches(argumentText);
  if (!switches.clearSwitch && !switches.removeSwitch) return RunWindowMode(showCommand);
  return RunBatch(switches);
}
