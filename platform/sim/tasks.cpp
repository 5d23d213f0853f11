// Task Scheduler's root folder and the event channels, in memory.
#include <algorithm>

#include "platform/sim/sim_state.h"

static std::u16string Fold(const char16_t* text) {
  std::u16string folded(text);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return folded;
}

void SimTaskSet(const std::u16string& name, const SimTask& task) {
  sim.tasks[Fold(name.c_str())] = task;
}

bool SimTaskGet(const std::u16string& name, SimTask* task) {
  auto found = sim.tasks.find(Fold(name.c_str()));
  if (found != sim.tasks.end()) *task = found->second;
  return found != sim.tasks.end();
}

int SimTaskCount() { return static_cast<int>(sim.tasks.size()); }
void SimTaskFail(int32_t status) { sim.taskFailure = status; }

void SimSetChannel(const std::u16string& channel, SimChannelState state) {
  sim.channels[channel] = state;
}

void SimSetEventLogLibrary(bool present) { sim.eventLogLibrary = present; }

int32_t OsEventChannelEnabled(const char16_t* channel, bool* enabled) {
  *enabled = false;
  if (!sim.eventLogLibrary) return kOsErrorModNotFound;
  // Channel names are compared without regard to case.
  for (const auto& c : sim.channels) {
    if (Fold(c.first.c_str()) == Fold(channel) && c.second != kSimChannelMissing) {
      *enabled = c.second == kSimChannelEnabled;
      return kOsErrorSuccess;
    }
  }
  return kOsErrorChannelNotFound;
}

int32_t OsReadTask(const char16_t* name, OsTaskFacts* facts) {
  *facts = OsTaskFacts{};
  if (sim.taskFailure != 0) return sim.taskFailure;
  auto found = sim.tasks.find(Fold(name));
  if (found == sim.tasks.end()) return kOsErrorFileNotFound;
  const SimTask& task = found->second;
  size_t n = std::min(task.author.size(), sizeof facts->author / sizeof facts->author[0] - 1);
  std::copy(task.author.begin(), task.author.begin() + n, facts->author);
  facts->author[n] = 0;
  facts->lastResultKnown = task.lastResultKnown;
  facts->lastResult = task.lastResult;
  return kOsErrorSuccess;
}

int32_t OsRegisterSystemTask(const char16_t* name, const char16_t* xml, const char16_t* sddl) {
  if (sim.taskFailure != 0) return sim.taskFailure;
  SimTask task;
  task.xml = xml;
  task.sddl = sddl;
  size_t open = task.xml.find(u"<Author>"), close = task.xml.find(u"</Author>");
  if (open != std::u16string::npos && close != std::u16string::npos) {
    task.author = task.xml.substr(open + 8, close - open - 8);
  }
  auto found = sim.tasks.find(Fold(name));
  if (found != sim.tasks.end()) {
    task.lastResult = found->second.lastResult;  // the task updated keeps its history
  }
  sim.tasks[Fold(name)] = task;
  return kOsErrorSuccess;
}

int32_t OsDeleteTask(const char16_t* name) {
  if (sim.taskFailure != 0) return sim.taskFailure;
  return sim.tasks.erase(Fold(name)) != 0 ? kOsErrorSuccess : kOsErrorFileNotFound;
}
