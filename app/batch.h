// Batch mode: the repairs run without a window and end with an exit code.
#pragma once

#include <stdint.h>

#include "app/command_line.h"

const int32_t kExitSuccess = 0;
const int32_t kExitNotAdmin = 1;
const int32_t kExitRemovalFailed = 2;

int32_t RunBatch(BatchSwitches switches);
