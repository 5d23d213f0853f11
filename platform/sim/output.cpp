#include "platform/sim/sim_state.h"

void OsJoinStartingConsole() { sim.joinedConsole = true; }

bool OsInterruptRequested() { return sim.interrupted; }

int32_t OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return kOsErrorInvalidHandle;
  if (sim.outputFails[stream == kOsStandardError]) return 112;  // ERROR_DISK_FULL
  sim.output[stream == kOsStandardError].append(text, units);
  return kOsErrorSuccess;
}

bool OsOutputLeadsSomewhere(int32_t stream) {
  return (stream == kOsStandardOutput || stream == kOsStandardError) && sim.outputLeadsSomewhere;
}

bool OsUserCanSeeWindows() { return sim.userCanSeeWindows; }

const std::u16string& SimOutput(int32_t stream) { return sim.output[stream == kOsStandardError]; }
void SimClearOutput() {
  sim.output[0].clear();
  sim.output[1].clear();
}
void SimSetUserCanSeeWindows(bool can) { sim.userCanSeeWindows = can; }
void SimFailOutput(int32_t stream) { sim.outputFails[stream == kOsStandardError] = true; }
void SimSetOutputLeadsSomewhere(bool leads) { sim.outputLeadsSomewhere = leads; }
void SimInterruptAfterRemovals(int removals) { sim.interruptAfterRemovals = removals; }
