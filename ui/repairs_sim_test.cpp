// The window's face of the repairs: the rows follow what the engine does,
// whatever order the list is sorted in, failures come as boxes, and the
// status bar says what was done.
#include "ui/repairs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/memory.h"
#include "platform/sim/sim.h"
#include "tests/support/fake_rows.h"

namespace {

typedef std::vector<uint8_t> Bytes;

std::u16string Status(RepairKind kind, const RepairResult& result) {
  char16_t text[132];
  RepairStatusText(kind, result, text, 132);
  return text;
}

TEST(WindowRepairs, TheRowsFollowTheEngineWhateverTheirOrder) {
  for (RepairKind kind : {kClearRepair, kRemoveRepair}) {
    SCOPED_TRACE(kind == kClearRepair ? "clear" : "remove");
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, Bytes{0x1D});  // 1, 3, 4, 5
    SimAddPort(u"COM1");
    SimAddPort(u"COM3", false);
    SimDevice stuck;
    stuck.classGuid = kSimPortsClass;
    stuck.deviceId = u"ROOT\\STUCK\\0000";
    stuck.portName = u"COM4";
    stuck.present = false;
    stuck.installerError = 5;
    SimAddDevice(stuck);
    PortReservations reservations = {};
    auto* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
    Load(&reservations);
    Enumerate(devices);
    FillFakeRows(reservations.reservedFlags, reservations.portCount, devices);
    std::reverse(fakeRows.begin(), fakeRows.end());

    RepairResult result = RepairRows(kFakeRows, kind, &reservations, devices, true);
    bool removal = kind == kRemoveRepair;
    EXPECT_TRUE(FakeRowOf(1).checked);
    EXPECT_EQ(!removal, FakeRowOf(3).checked);         // the ghost went: freed
    EXPECT_EQ(!removal, FakeRowOf(3).device != nullptr);
    EXPECT_TRUE(FakeRowOf(4).checked);                  // its removal failed
    EXPECT_FALSE(FakeRowOf(5).checked);                 // no device at all
    EXPECT_EQ(removal ? 1u : 0u, SimMessageBoxes().size());
    EXPECT_EQ(removal ? u" 1 device removed" : u" reservation of 1 port removed",
              Status(kind, result));
    Clear(devices);
    MemFree(devices);
    Clear(&reservations);
  }
}

TEST(WindowRepairs, TheStatusBarSaysWhatWasDone) {
  const struct {
    RepairKind kind;
    RepairResult result;
    const char16_t* text;
  } cases[] = {
      {kClearRepair, {kChangeAllowed, 0, 0, 0, 0, 0, 0}, u" reservation of 0 ports removed"},
      {kClearRepair, {kChangeAllowed, 2, 0, 0, 0, 0, 0}, u" reservation of 2 ports removed"},
      {kClearRepair, {kChangeAllowed, 3, 0, 0, 1, 0, 0}, u" ComDB could not be written; the list shows what is stored"},
      {kRemoveRepair, {kChangeAllowed, 1, 1, 0, 1, 0, 0}, u" 1 device removed; ComDB could not be written"},
      {kRemoveRepair, {kNoDeviceList, 0, 0, 0, 0, 0, 0},
       u" The device list could not be read; nothing was changed"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(c.text), Status(c.kind, c.result));
}

}  // namespace
