// A dry run of a number plan against the listing, on the same machine of
// 1,000 serial ports (each in a socket of its own) and a plan of 64 rules
// that move 64 of them: /n /apply should take no more than 1.2 times /l.
// On the simulated platform, whose calls cost next to nothing, this
// measures the program's own work.
#include <benchmark/benchmark.h>

#include <string>

#include "app/app_main.h"
#include "base/memory.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

namespace {

const int kPorts = 1000;
const int kRules = 64;

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void Machine() {
  SimReset();
  processHeap = OsProcessHeap();
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, std::vector<uint8_t>(512, 0xFF));
  for (int i = 0; i < kPorts; i++) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = Wide("USB\\VID_0403&PID_6001\\A" + std::to_string(i));
    d.portName = Wide("COM" + std::to_string(i + 1));
    d.friendlyName = u"USB Serial Port (" + d.portName + u")";
    d.locationPath = Wide("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(" + std::to_string(i) + ")");
    d.hardwareIds = {u"USB\\VID_0403&PID_6001"};
    SimAddDevice(d);
  }
  // Ports 1 to 64 to 1001 to 1064, whose numbers are free.
  std::string plan;
  for (int i = 0; i < kRules; i++) {
    plan += "COM" + std::to_string(kPorts + 1 + i) + " location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(" +
            std::to_string(i) + ")\r\n";
  }
  std::vector<uint8_t> reserved(512, 0xFF);
  for (int p = kPorts + 1; p <= kPorts + kRules; p++) reserved[(p - 1) / 8] &= ~(1u << ((p - 1) % 8));
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, reserved);
  SimFile file;
  file.content = plan;
  SimFileSet("C:\\plan.txt", file);
}

void Run(benchmark::State& state, const char16_t* args, int32_t code) {
  Machine();
  int32_t wrong = 0;
  for (auto _ : state) {
    wrong += AppMain(1, args, 10) != code;
    SimClearOutput();
  }
  if (wrong != 0) state.SkipWithError("the run did not end with its code");
  state.counters["ports"] = kPorts;
  state.counters["rules"] = kRules;
}

void List(benchmark::State& state) { Run(state, u"/l", 0); }
void DryApply(benchmark::State& state) { Run(state, u"/n /apply C:\\plan.txt", 4); }

}  // namespace

BENCHMARK(List)->Unit(benchmark::kMillisecond);
BENCHMARK(DryApply)->Unit(benchmark::kMillisecond);
