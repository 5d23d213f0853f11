// Batch mode: the repairs run without a window and end with an exit code.
#pragma once

#include <stdint.h>

#include "app/command_line.h"

const int32_t kExitSuccess = 0;
const int32_t kExitNotAdmin = 1;
const int32_t kExitRemovalFailed = 2;
// The device list could not be read, or ComDB is longer than Windows
// writes, or (for the clear step) ComDB could not be read: no repair could
// tell what is in use, and nothing was changed. For the listing: it may
// lack what could not be read.
const int32_t kExitNotRead = 3;
// A dry run (/n) found something the repairs would change.
const int32_t kExitWouldChange = 4;
// ComDB could not be written, or read again to be written: what was
// removed is gone, but the numbers the run would have freed are not.
// A failed removal (2) is told first.
const int32_t kExitNotWritten = 5;

int32_t RunBatch(BatchSwitches switches);
