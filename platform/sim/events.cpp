#include "platform/sim/sim_state.h"

OsEvent OsCreateEvent(int32_t) {
  OsEvent event = sim.nextHandle++;
  sim.events[event] = false;
  return event;
}

void OsSetEvent(OsEvent event) { sim.events.at(event) = true; }

void OsCloseEvent(OsEvent event) { sim.events.erase(event); }

int SimOpenEventCount() { return static_cast<int>(sim.events.size()); }
