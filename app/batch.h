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
// A word of the command line is no switch: nothing was read or changed.
const int32_t kExitUnknownArgument = 6;
// Standard output or error could not be written whole (a full disk, a
// closed pipe): the lines a script reads are not all there. Takes the
// place of 0 and 4; the run itself went as those say.
const int32_t kExitOutputFailed = 7;
// Ctrl+C, Ctrl+Break or a closed console stopped the run after the device
// being removed; what was freed until then was saved and reported. The
// code Windows gives an interrupted program (STATUS_CONTROL_C_EXIT).
const int32_t kExitInterrupted = static_cast<int32_t>(0xC000013Au);

// /m: the device named is no serial port, or none is, or more than one
// carries the number named; nothing was changed.
const int32_t kExitUnknownDevice = 8;
// /m: the target is held by another device (named on standard error), or
// lies beyond the numbers ComDB covers; nothing was changed.
const int32_t kExitMoveRefused = 9;
// /m: a step of the move failed, and what was done of it was undone.
const int32_t kExitMoveFailed = 10;
// /m: a step failed, and not all that was done could be undone (said on
// standard error): the device's settings need a look.
const int32_t kExitMoveNotUndone = 11;
// /m: moved, and the system asks for a restart before the device takes
// its new number (ERROR_SUCCESS_REBOOT_REQUIRED, which installers and
// deployment tools read as success that needs a restart).
const int32_t kExitRestartNeeded = 3010;

int32_t RunBatch(const BatchSwitches& switches);
