// Batch mode: the repairs run without a window and end with an exit code.
#pragma once

#include <stdint.h>

#include "app/command_line.h"
#include "app/exit_codes.h"

int32_t RunBatch(const BatchSwitches& switches);
