// The exit codes of batch mode, which scripts read, and the order in which
// they win when a run has more than one thing to say.
#pragma once

#include <stdint.h>

enum ExitCode : int32_t {
  kExitSuccess = 0,
  kExitNotAdmin = 1,
  kExitRemovalFailed = 2,
  // The device list could not be read, or ComDB is longer than Windows
  // writes, or (for the clear step and the moves) ComDB could not be read:
  // nothing could tell what is in use, and nothing was changed. For the
  // listing: it may lack what could not be read.
  kExitNotRead = 3,
  // A dry run (/n) found something that would change.
  kExitWouldChange = 4,
  // ComDB could not be written, or read again to be written: what was
  // removed is gone, but the numbers the run would have freed are not; a
  // moved device's old number stays reserved.
  kExitNotWritten = 5,
  // A word of the command line is no switch: nothing was read or changed.
  kExitUnknownArgument = 6,
  // Standard output or error could not be written whole (a full disk, a
  // closed pipe): the lines a script reads are not all there. Takes the
  // place of 0 and 4; the run itself went as those say.
  kExitOutputFailed = 7,
  // /m: the device named is no serial port, or none is, or more than one
  // carries the number named; nothing was changed.
  kExitUnknownDevice = 8,
  // /m: the target is held by another device or a running driver (named on
  // standard error), lies beyond the numbers ComDB covers, or an attached
  // modem cannot follow; nothing was changed.
  kExitMoveRefused = 9,
  // /m: a step of the move failed, and what was done of it was undone.
  kExitMoveFailed = 10,
  // /m: a step failed, and not all that was done could be undone (said on
  // standard error): the device's settings need a look.
  kExitMoveNotUndone = 11,
  // /m: moved, and the system asks for a restart before the device takes
  // its new number (ERROR_SUCCESS_REBOOT_REQUIRED, which installers and
  // deployment tools read as success that needs a restart).
  kExitRestartNeeded = 3010,
  // /apply: the file is no plan (or could not be read): a line that is not
  // a rule, a number beyond COM4096, two rules for one number; nothing was
  // changed.
  kExitPlanUnread = 12,
  // /apply: the plan cannot be applied on this machine: a planned number
  // held by a device that stays or a running driver, a rule two ports
  // match, two rules one port matches, a modem that cannot follow; nothing
  // was changed.
  kExitPlanBlocked = 13,
  // /autoapply: the task was not registered or removed, or what is kept
  // could not be read: the event channel it waits on is missing or
  // disabled, a task of its name is not Varnick's, the folder or a copy is
  // refused or could not be made, or Task Scheduler refused (said on
  // standard error).
  kExitNotRegistered = 14,
  // /undo: the run cannot be undone safely as the machine is now (a number
  // held, a device gone or renumbered, a move the kept plan would make
  // again), or the journal could not be read; nothing was changed.
  kExitUndoRefused = 15,
  // Ctrl+C, Ctrl+Break or a closed console stopped the run after the device
  // being removed; what was freed until then was saved and reported. The
  // code Windows gives an interrupted program (STATUS_CONTROL_C_EXIT).
  kExitInterrupted = static_cast<int32_t>(0xC000013Au),
};

// Of two codes the parts of a run ended with, the one the run ends with:
// the one that ranks higher. First what says the system is not as the lines
// say, then what says why nothing was done, then an interruption, then the
// moves' failures and refusals, then what was done; the README's table
// gives the order.
ExitCode GraverExitCode(ExitCode a, ExitCode b);
