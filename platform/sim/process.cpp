#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/sim/sim_state.h"

SimState sim;

void SimReset() { sim = SimState(); }

void SimHeapFailAllocations(int times) { sim.heapFailures = times; }
void SimHeapCorrupt(bool corrupt) { sim.heapCorrupt = corrupt; }
const std::vector<uint32_t>& SimSleeps() { return sim.sleeps; }
const std::vector<std::pair<uint32_t, uint32_t>>& SimBeeps() { return sim.beeps; }
void SimSetAdmin(int32_t isAdmin) {
  sim.isAdmin = isAdmin;
  sim.elevated = isAdmin;
}
void SimSetElevated(int32_t elevated) { sim.elevated = elevated; }
void SimSetVersion(const OsVersionNumbers& numbers) { sim.version = numbers; }
void SimSetFileVersion(OsFileVersionResult result, uint32_t ms, uint32_t ls) {
  sim.fileVersionResult = result;
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

int OsHeapValidate(OsHeap heap) {
  CheckHeapHandle(heap);
  return !sim.heapCorrupt;
}

void* OsHeapAlloc(OsHeap heap, uint64_t bytes) {
  CheckHeapHandle(heap);
  if (sim.heapFailures > 0) {
    sim.heapFailures--;
    return nullptr;
  }
  // One byte more, so that an empty block is a distinct, valid one.
  return calloc(1, static_cast<size_t>(bytes) + 1);
}

int OsHeapFree(OsHeap heap, void* block) {
  CheckHeapHandle(heap);
  free(block);
  return 1;
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

static uint32_t CopyOut(char16_t* buffer, uint32_t units, const std::u16string& text) {
  uint32_t n = 0;
  for (; n + 1 < units && n < text.size(); n++) buffer[n] = text[n];
  buffer[n] = 0;
  return n;
}

uint32_t OsSystemDirectory(char16_t* buffer, uint32_t units) {
  return CopyOut(buffer, units, u"C:\\windows\\system32");
}

// As the system does since Vista: a path that does not fit is cut, and
// the size of the buffer returned.
uint32_t OsModuleFileName(char16_t* buffer, uint32_t units) {
  uint32_t n = CopyOut(buffer, units, sim.modulePath);
  return sim.modulePath.size() >= units ? units : n;
}

void HardenLibrarySearch() {}
int32_t IsUserAdmin() { return sim.isAdmin; }
int32_t OsRunsElevated() { return sim.elevated; }

int OsReadVersionNumbers(OsVersionNumbers* numbers) {
  *numbers = sim.version;
  return 1;
}

OsFileVersionResult OsReadFileVersion(const char16_t*, uint32_t* ms, uint32_t* ls) {
  if (sim.fileVersionResult == kOsVersionRead) {
    *ms = sim.fileVersionMS;
    *ls = sim.fileVersionLS;
  }
  return sim.fileVersionResult;
}
