// The process command line: the argument text behind the program name, the
// batch switches, and the start-up show command.
#pragma once

#include <stdint.h>

#include "app/program_name.h"

struct BatchSwitches {
  int32_t clearSwitch;   // "/c" or "-c": clear unused reservations
  int32_t removeSwitch;  // "/r" or "-r": remove non-present devices
  int32_t listSwitch;    // "/l" or "-l": list the ports and devices, change nothing
  int32_t dryRunSwitch;  // "/n" or "-n": tell what /c and /r would change, change nothing
  int32_t quietSwitch;   // "/q" or "-q": show no message box
};

// Any switch but /q alone selects batch mode.
inline int32_t IsBatchMode(const BatchSwitches& s) {
  return s.clearSwitch || s.removeSwitch || s.listSwitch || s.dryRunSwitch;
}

// The argument text of the process command line (SkipProgramNameIn).
const char16_t* SkipProgramName();
// Each switch counts when its text stands anywhere in the argument text, in
// any case; nothing else there is looked at.
BatchSwitches DetectSwitches(const char16_t* argumentText);
// wShowWindow when the starting process set STARTF_USESHOWWINDOW, else
// SW_SHOWDEFAULT (10).
int32_t StartupShowCommand();
