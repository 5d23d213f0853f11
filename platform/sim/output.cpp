#include "platform/sim/sim_state.h"

void OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units) {
  if (stream == kOsStandardOutput || stream == kOsStandardError) {
    sim.output[stream == kOsStandardError].append(text, units);
  }
}

int32_t OsUserCanSeeWindows() { return sim.userCanSeeWindows; }

const std::u16string& SimOutput(int32_t stream) { return sim.output[stream == kOsStandardError]; }
void SimSetUserCanSeeWindows(bool can) { sim.userCanSeeWindows = can; }
