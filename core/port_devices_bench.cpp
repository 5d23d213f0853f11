// One refresh of the inventory, as the window and the clear step do it:
// Enumerate, then FindByPort for every port number, on the simulated
// platform (whose heap checks cost nothing, unlike the real one's).
#include <benchmark/benchmark.h>

#include <string>

#include "base/memory.h"
#include "core/port_devices.h"
#include "core/port_identity.h"
#include "platform/sim/sim.h"

static void EnumerateAndFindEveryPort(benchmark::State& state) {
  const int devices = static_cast<int>(state.range(0));
  const int ports = static_cast<int>(state.range(1));
  SimReset();
  processHeap = OsProcessHeap();
  for (int i = 0; i < devices; i++) {
    std::string name = "COM" + std::to_string(i % ports + 1);
    SimAddPort(std::u16string(name.begin(), name.end()), i % 3 != 0);
  }
  auto* list = new PortDeviceList();
  int found = 0;
  for (auto _ : state) {
    Enumerate(list);
    for (int p = 1; p <= ports; p++) found += FindByPort(list, p) != nullptr;
  }
  benchmark::DoNotOptimize(found);
  Clear(list);
  delete list;
  state.counters["devices"] = devices;
  state.counters["ports"] = ports;
}

BENCHMARK(EnumerateAndFindEveryPort)
    ->ArgsProduct({{10, 1000, 10240}, {256, 4096}})
    ->Unit(benchmark::kMillisecond);

// The same refresh of 1,000 serial ports, each in a socket of its own,
// with and without the identities the Location column shows (location
// path, hardware IDs, parent): reading them should add no more than 10 %.
static void RefreshSerialPorts(benchmark::State& state) {
  const bool identities = state.range(0) != 0;
  SimReset();
  processHeap = OsProcessHeap();
  for (int i = 0; i < 1000; i++) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    std::string n = std::to_string(i);
    d.deviceId = std::u16string(u"USB\\VID_0403&PID_6001\\A") + std::u16string(n.begin(), n.end());
    d.portName = u"COM" + std::u16string(n.begin(), n.end());
    d.friendlyName = u"USB Serial Port (" + d.portName + u")";
    std::string path = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(" + n + ")";
    d.locationPath = std::u16string(path.begin(), path.end());
    d.hardwareIds = {u"USB\\VID_0403&PID_6001"};
    SimAddDevice(d);
  }
  auto* list = new PortDeviceList();
  int found = 0;
  for (auto _ : state) {
    Enumerate(list);
    if (identities) ReadIdentities(list);
    for (int p = 1; p <= 4096; p++) found += FindByPort(list, p) != nullptr;
  }
  benchmark::DoNotOptimize(found);
  Clear(list);
  delete list;
}

BENCHMARK(RefreshSerialPorts)->ArgName("identities")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
