#include "app/exit_codes.h"

// Highest first. 1 and 6 end a run before anything else is done.
static const ExitCode kRanked[] = {
    kExitUnknownArgument, kExitNotAdmin,   kExitRemovalFailed, kExitMoveNotUndone,
    kExitNotWritten,      kExitNotRead,    kExitPlanUnread,    kExitPlanBlocked,
    kExitNotRegistered,   kExitUndoRefused,   kExitInterrupted,     kExitMoveFailed,
    kExitMoveRefused,     kExitUnknownDevice, kExitRestartNeeded, kExitOutputFailed,
    kExitWouldChange,     kExitSuccess,
};

static int Rank(ExitCode code) {
  int rank = 0;
  for (ExitCode ranked : kRanked) {
    if (ranked == code) return rank;
    rank++;
  }
  return rank;  // none other is ever chosen: last
}

ExitCode GraverExitCode(ExitCode a, ExitCode b) { return Rank(b) < Rank(a) ? b : a; }
