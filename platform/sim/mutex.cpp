// Named mutexes: one process's, and those another holds.
#include "platform/sim/sim_state.h"

void SimHoldMutexElsewhere(const std::u16string& name, bool held) {
  sim.mutexesHeldElsewhere[name] = held;
}
const std::vector<uint32_t>& SimMutexTimeOuts() { return sim.mutexTimeOuts; }
int SimOpenMutexCount() { return static_cast<int>(sim.mutexes.size()); }

int SimOwnedMutexCount() {
  int owned = 0;
  for (const auto& mutex : sim.mutexOwned) owned += mutex.second;
  return owned;
}

int32_t OsOpenNamedMutex(const char16_t* name, OsMutex* mutex) {
  *mutex = sim.nextHandle++;
  sim.mutexes[*mutex] = name;
  return kOsErrorSuccess;
}

int32_t OsTakeMutex(OsMutex mutex, uint32_t milliseconds) {
  if (sim.mutexesHeldElsewhere[sim.mutexes.at(mutex)]) {
    sim.mutexTimeOuts.push_back(milliseconds);
    return kOsErrorWaitTimeout;
  }
  sim.mutexOwned[sim.mutexes.at(mutex)]++;
  return kOsErrorSuccess;
}

void OsReleaseMutex(OsMutex mutex) {
  int& owned = sim.mutexOwned[sim.mutexes.at(mutex)];
  if (owned > 0) owned--;
}

// As on Windows, closing a handle releases nothing: the mutex stays the
// thread's until it is released.
void OsCloseMutex(OsMutex mutex) { sim.mutexes.erase(mutex); }
