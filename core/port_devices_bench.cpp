// One refresh of the inventory, as the window and the clear step do it:
// Enumerate, then FindByPort for every port number, on the simulated
// platform (whose heap checks cost nothing, unlike the real one's).
#include <benchmark/benchmark.h>

#include <string>

#include "base/memory.h"
#include "core/port_devices.h"
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

BENCHMARK_MAIN();
