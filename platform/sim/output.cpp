#include "platform/sim/sim_state.h"

void OsJoinStartingConsole() { sim.joinedConsole = true; }

int32_t OsInterruptRequested() { return sim.interrupted; }

int32_t OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return 0;
  if (sim.outputFails[stream == kOsStandardError]) return 0;
  sim.output[stream == kOsStandardError].append(text, units);
  return 1;
}

int32_t OsOutputLeadsSomewhere(int32_t stream) {
  return (stream == kOsStandardOutput || stream == kOsStandardError) && sim.outputLeadsSomewhere;
}

int32_t OsUserCanSeeWindows() { return sim.userCanSeeWindows; }

const std::u16string& SimOutput(int32_t stream) { return sim.output[stream == kOsStandardError]; }
void SimClearOutput() {
  sim.output[0].clear();
  sim.output[1].clear();
}
void SimSetUserCanSeeWindows(bool can) { sim.userCanSeeWindows = can; }
void SimFailOutput(int32_t stream) { sim.outputFails[stream == kOsStandardError] = true; }
void SimSetOutputLeadsSomewhere(bool leads) { sim.outputLeadsSomewhere = leads; }
void SimInterruptAfterRemovals(int removals) { sim.interruptAfterRemovals = removals; }
