// The port list's rows as a plain array, for the window's rules in the
// unit tests: in whatever order a test puts them, with their check boxes,
// selection, focus and the devices they show.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "core/port_devices.h"
#include "ui/row_access.h"

struct FakeRow {
  int32_t port;
  bool checked;
  PortDevice* device;
  std::u16string deviceText;  // as the row shows it
  bool selected = false;
};

extern std::vector<FakeRow> fakeRows;
extern int32_t fakeFocus;  // the row given the focus last; -1 none
extern const RowAccess kFakeRows;

// One row per port of the model, checked as it holds, showing the device
// chosen for its port.
void FillFakeRows(const int32_t* reservedFlags, int32_t portCount, const PortDeviceList* devices);
FakeRow& FakeRowOf(int32_t port);
