// Sorting the port list's rows with the row comparison, as the list's own
// sort calls it: a stable merge sort over row indices, each comparison
// reading the two rows' texts. Native, on the simulated platform.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/row_order.h"
#include "ui/view_state.h"

namespace {

std::vector<std::vector<std::u16string>> rows;

void Read(const void*, int32_t row, int32_t column, char16_t* text) {
  const std::u16string& value = rows[row][column];
  std::copy(value.begin(), value.end(), text);
}

void SortRows(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const int32_t column = static_cast<int32_t>(state.range(1));
  rows.clear();
  for (int i = 0; i < count; i++) {
    std::string port = "COM" + std::to_string(i + 1);
    // One row in eight carries a device; the rest have empty texts.
    std::string device = i % 8 == 0 ? "USB Serial Port (" + port + ")" : "";
    rows.push_back({std::u16string(port.begin(), port.end()), u"",
                    std::u16string(device.begin(), device.end()), i % 8 == 0 ? u"Ports" : u""});
  }
  std::vector<int32_t> order(count);
  for (auto _ : state) {
    for (int i = 0; i < count; i++) order[i] = count - 1 - i;
    std::stable_sort(order.begin(), order.end(), [column](int32_t a, int32_t b) {
      return CompareRowsBy(Read, nullptr, a, b, column, 1) < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
}

}  // namespace

BENCHMARK(SortRows)->Args({4096, kPortColumn})->Args({4096, kDeviceColumn})
    ->Unit(benchmark::kMillisecond);
