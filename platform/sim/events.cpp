#include "platform/sim/sim_state.h"

int32_t OsCreateEvent(bool, OsEvent* event) {
  *event = sim.nextHandle++;
  sim.events[*event] = false;
  return kOsErrorSuccess;
}

void OsSetEvent(OsEvent event) { sim.events.at(event) = true; }

void OsCloseEvent(OsEvent event) { sim.events.erase(event); }

int SimOpenEventCount() { return static_cast<int>(sim.events.size()); }
