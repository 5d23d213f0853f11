#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/sim/sim_state.h"

SimState sim;

void SimReset() { sim = SimState(); }

void SimHeapFailAllocations(int times) { sim.heapFailures = times; }
void SimHeapCorrupt(bool corrupt) { sim.heapCorrupt = corrupt; }
int SimHeapBlocksInUse() { return sim.heapBlocks; }
const std::vector<uint32_t>& SimSleeps() { return sim.sleeps; }
const std::vector<std::pair<uint32_t, uint32_t>>& SimBeeps() { return sim.beeps; }
void SimSetAdmin(bool isAdmin) {
  sim.isAdmin = isAdmin;
  sim.elevated = isAdmin;
}
void SimSetElevated(bool elevated) { sim.elevated = elevated; }
void SimSetVersion(const OsVersionNumbers& numbers) { sim.version = numbers; }
void SimSetFileVersion(int32_t status, uint32_t ms, uint32_t ls) {
  sim.fileVersionStatus = status;
  sim.fileVersionMS = ms;
  sim.fileVersionLS = ls;
}
void SimSetCommandLine(const std::u16string& commandLine) { sim.commandLine = commandLine; }
void SimSetModulePath(const std::u16string& path) { sim.modulePath = path; }
void SimSetStartupInfo(uint32_t flags, uint16_t showWindow) {
  sim.startupFlags = flags;
  sim.startupShowWindow = showWindow;
}

OsHeap OsProcessHeap() { return &sim; }

// As on Windows, a heap handle that was never taken is fatal.
static void CheckHeapHandle(OsHeap heap) {
  if (heap != &sim) {
    fputs("invalid heap handle\n", stderr);
    abort();
  }
}

bool OsHeapValidate(OsHeap heap) {
  CheckHeapHandle(heap);
  return !sim.heapCorrupt;
}

int32_t OsHeapAlloc(OsHeap heap, uint64_t bytes, void** block) {
  CheckHeapHandle(heap);
  *block = nullptr;
  if (sim.heapFailures > 0) {
    sim.heapFailures--;
    return kOsErrorNotEnoughMemory;
  }
  // One byte more, so that an empty block is a distinct, valid one.
  *block = calloc(1, static_cast<size_t>(bytes) + 1);
  if (*block == nullptr) return kOsErrorNotEnoughMemory;
  sim.heapBlocks++;
  return kOsErrorSuccess;
}

int32_t OsHeapFree(OsHeap heap, void* block) {
  CheckHeapHandle(heap);
  sim.heapBlocks -= block != nullptr;
  free(block);
  return kOsErrorSuccess;
}

void OsSleep(uint32_t milliseconds) { sim.sleeps.push_back(milliseconds); }
void OsBeep(uint32_t frequency, uint32_t milliseconds) {
  sim.beeps.push_back({frequency, milliseconds});
  fprintf(stderr, "beep %u %u\n", frequency, milliseconds);
}

void OsFailFast() {
  fputs("fail-fast stop\n", stderr);
  _exit(3);
}

void OsExitProcess(uint32_t code) { _exit(static_cast<int>(code)); }

const char16_t* OsCommandLine() { return sim.commandLine.c_str(); }

void OsStartupInfo(uint32_t* flags, uint16_t* showWindow) {
  *flags = sim.startupFlags;
  *showWindow = sim.startupShowWindow;
}

uintptr_t OsModuleInstance() { return 0x140000000u; }

// The path, or an empty buffer when it does not fit.
static int32_t CopyOut(char16_t* buffer, uint32_t units, const std::u16string& text,
                       uint32_t* length) {
  *length = 0;
  buffer[0] = 0;
  if (text.size() >= units) return kOsErrorInsufficientBuffer;
  for (size_t i = 0; i <= text.size(); i++) buffer[i] = text.c_str()[i];
  *length = static_cast<uint32_t>(text.size());
  return kOsErrorSuccess;
}

int32_t OsSystemDirectory(char16_t* buffer, uint32_t units, uint32_t* length) {
  return CopyOut(buffer, units, u"C:\\windows\\system32", length);
}

int32_t OsModuleFileName(char16_t* buffer, uint32_t units, uint32_t* length) {
  return CopyOut(buffer, units, sim.modulePath, length);
}

void HardenLibrarySearch() {}
bool IsUserAdmin() { return sim.isAdmin; }
bool OsRunsElevated() { return sim.elevated; }

int32_t OsReadVersionNumbers(OsVersionNumbers* numbers) {
  *numbers = sim.version;
  return kOsErrorSuccess;
}

int32_t OsReadFileVersion(const char16_t*, uint32_t* ms, uint32_t* ls) {
  if (sim.fileVersionStatus == kOsErrorSuccess) {
    *ms = sim.fileVersionMS;
    *ls = sim.fileVersionLS;
  }
  return sim.fileVersionStatus;
}

void SimSetUtcTime(const OsUtcTime& time) { sim.now = time; }
void SimSetProcessId(uint32_t id) { sim.processId = id; }
void SimSetRunsAsSystem(bool system) { sim.runsAsSystem = system; }

void OsUtcNow(OsUtcTime* time) { *time = sim.now; }
uint32_t OsProcessId() { return sim.processId; }
bool OsRunsAsSystem() { return sim.runsAsSystem; }
