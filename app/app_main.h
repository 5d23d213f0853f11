// The process entry and the start-up that chooses window or batch mode.
#pragma once

#include <stdint.h>

// Takes nothing and never returns: ends the process with AppMain's code.
[[noreturn]] void EntryPoint();
// Returns the process exit code: 0 in window mode, the batch code otherwise.
int32_t AppMain(uintptr_t moduleInstance, const char16_t* argumentText, int32_t showCommand);
