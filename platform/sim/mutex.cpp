// Named mutexes: one process's, and those another holds.
#include "platform/sim/sim_state.h"

void SimHoldMutexElsewhere(const std::u16string& name, bool held) {
  sim.mutexesHeldElsewhere[name] = held;
}
const std::vector<uint32_t>& SimMutexTimeOuts() { return sim.mutexTimeOuts; }
int SimOpenMutexCount() { return static_cast<int>(sim.mutexes.size()); }

int SimOwnedMutexCount() {
  int owned = 0;
  for (const auto& handle : sim.mutexOwned) owned += handle.second;
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
  sim.mutexOwned[mutex]++;
  return kOsErrorSuccess;
}

void OsReleaseMutex(OsMutex mutex) {
  if (sim.mutexOwned[mutex] > 0) sim.mutexOwned[mutex]--;
}

void OsCloseMutex(OsMutex mutex) {
  sim.mutexes.erase(mutex);
  sim.mutexOwned.erase(mutex);
}
