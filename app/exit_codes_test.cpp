#include "app/exit_codes.h"

#include <gtest/gtest.h>

// The order the README's table gives, gravest first: of any two codes the
// parts of a run end with, the run ends with the one higher in it.
TEST(ExitCodes, TheGravestCodeWins) {
  const ExitCode order[] = {
      kExitUnknownArgument, kExitNotAdmin,      kExitRemovalFailed, kExitMoveNotUndone,
      kExitNotWritten,      kExitNotRead,       kExitPlanUnread,    kExitPlanBlocked,
      kExitNotRegistered,   kExitUndoRefused,   kExitInterrupted,   kExitMoveFailed,
      kExitMoveRefused,     kExitUnknownDevice, kExitRestartNeeded, kExitOutputFailed,
      kExitWouldChange,     kExitSuccess,
  };
  for (ExitCode higher : order) {
    bool below = false;
    for (ExitCode code : order) {
      if (below) {
        EXPECT_EQ(higher, GraverExitCode(higher, code)) << higher << " over " << code;
        EXPECT_EQ(higher, GraverExitCode(code, higher)) << higher << " over " << code;
      }
      below |= code == higher;
    }
    EXPECT_EQ(higher, GraverExitCode(higher, higher));
  }
}
