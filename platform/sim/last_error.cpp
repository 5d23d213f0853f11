#include "platform/sim/sim_state.h"

uint32_t OsGetLastError() { return sim.lastError; }

void OsSetLastError(uint32_t code) { sim.lastError = code; }
