#include "tests/support/fake_rows.h"

#include <algorithm>

std::vector<FakeRow> fakeRows;
int32_t fakeFocus = -1;

static int32_t Count(void*) { return static_cast<int32_t>(fakeRows.size()); }
static int32_t Port(void*, int32_t row) { return fakeRows.at(row).port; }
static void SetChecked(void*, int32_t row, int32_t checked) { fakeRows.at(row).checked = checked != 0; }
static void ShowDevice(void*, int32_t row, PortDevice* device) {
  fakeRows.at(row).device = device;
  fakeRows.at(row).deviceText =
      device != nullptr && device->deviceNode != 0 ? device->deviceText : u"";
}
static int32_t IsSelected(void*, int32_t row) { return fakeRows.at(row).selected; }
static int32_t SelectedCount(void*) {
  return static_cast<int32_t>(
      std::count_if(fakeRows.begin(), fakeRows.end(), [](const FakeRow& r) { return r.selected; }));
}
static void ClearSelection(void*) {
  for (FakeRow& r : fakeRows) r.selected = false;
}
static void SelectAndFocus(void*, int32_t row) {
  fakeRows.at(row).selected = true;
  fakeFocus = row;
}

const RowAccess kFakeRows = {nullptr,    Count,         Port,           SetChecked,    ShowDevice,
                             IsSelected, SelectedCount, ClearSelection, SelectAndFocus};

void FillFakeRows(const int32_t* reservedFlags, int32_t portCount, const PortDeviceList* devices) {
  fakeRows.clear();
  fakeFocus = -1;
  for (int32_t p = 1; p <= portCount; p++) {
    fakeRows.push_back({p, reservedFlags[p - 1] != 0, nullptr, u"", false});
    ShowDevice(nullptr, p - 1, devices != nullptr ? FindByPort(devices, p) : nullptr);
  }
}

FakeRow& FakeRowOf(int32_t port) {
  return *std::find_if(fakeRows.begin(), fakeRows.end(),
                       [port](const FakeRow& r) { return r.port == port; });
}
