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

std::vector<FakeRow>& rows = fakeRows;
const RowAccess& kRows = kFakeRows;

class Repairs : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    rows.clear();
    devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  }
  void TearDown() override {
    if (devices == nullptr) return;
    Clear(devices);
    MemFree(devices);
    devices = nullptr;
    Clear(&reservations);
  }
  // A clean machine again, for the next case of a loop.
  void Reset() {
    TearDown();
    SetUp();
  }
  // Loads both models and fills one row per port, as a refresh does, then
  // orders the rows as the list is sorted.
  void Load(const Bytes& comDb, bool descending = false) {
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
    ::Load(&reservations);
    Enumerate(devices);
    FillFakeRows(reservations.reservedFlags, reservations.portCount, devices);
    if (descending) std::reverse(rows.begin(), rows.end());
  }
  const FakeRow& RowOf(int32_t port) { return FakeRowOf(port); }
  Bytes Stored() { return SimRegValue(kComArbiterPath, kComDbName); }
  std::u16string Status(RepairKind kind, const RepairOutcome& outcome) {
    char16_t text[132];
    RepairStatusText(kind, outcome, text, 132);
    return text;
  }
  int Ghost(const std::u16string& portName, uint32_t installerError = 0) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = u"ROOT\\GHOST\\" + portName + std::u16string(1, static_cast<char16_t>(u'A' + next++));
    d.portName = portName;
    d.friendlyName = u"Gone (" + portName + u")";
    d.present = false;
    d.installerError = installerError;
    return SimAddDevice(d);
  }

  PortReservations reservations = {};
  PortDeviceList* devices = nullptr;
  int next = 0;
};

TEST_F(Repairs, ClearFreesExactlyTheCheckedRowsWithoutADeviceWhateverTheOrder) {
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    Reset();
    SimAddPort(u"COM1");
    Ghost(u"COM3");  // a non-present device still holds its number
    Load(Bytes{0x1D}, descending);  // 1, 3, 4, 5 reserved
    RepairOutcome outcome = ClearUnusedReservations(kRows, &reservations, devices);
    EXPECT_EQ(2, outcome.count);
    EXPECT_EQ(Bytes{0x05}, Stored());
    EXPECT_TRUE(RowOf(1).checked);
    EXPECT_TRUE(RowOf(3).checked);
    EXPECT_FALSE(RowOf(4).checked);
    EXPECT_FALSE(RowOf(5).checked);
    EXPECT_EQ(u" reservation of 2 ports removed", Status(kClearRepair, outcome));
  }
}

TEST_F(Repairs, ClearWritesNothingWhenNothingIsUnusedAndCountsInTheRightNumber) {
  SimAddPort(u"COM1");
  Load(Bytes{0x01});
  RepairOutcome outcome = ClearUnusedReservations(kRows, &reservations, devices);
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_EQ(u" reservation of 0 ports removed", Status(kClearRepair, outcome));
  reservations.reservedFlags[5] = 1;  // a row checked whose save did not write
  rows[5].checked = true;
  outcome = ClearUnusedReservations(kRows, &reservations, devices);
  EXPECT_EQ(u" reservation of 1 port removed", Status(kClearRepair, outcome));
  EXPECT_EQ(0, SimRegWriteCount());  // free in ComDB all along
}

TEST_F(Repairs, NothingIsClearedOrRemovedWhenTheDeviceListCouldNotBeRead) {
  Ghost(u"COM2");
  SimFailDeviceSet(true);
  Load(Bytes{0xFF});
  RepairOutcome clear = ClearUnusedReservations(kRows, &reservations, devices);
  RepairOutcome remove = RemoveNonPresentDevices(kRows, &reservations, devices);
  EXPECT_EQ(kNoDeviceList, clear.refused);
  EXPECT_EQ(kNoDeviceList, remove.refused);
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_EQ(8, std::count_if(rows.begin(), rows.end(), [](const FakeRow& r) { return r.checked; }));
  EXPECT_EQ(u" The device list could not be read; nothing was changed",
            Status(kClearRepair, clear));
}

TEST_F(Repairs, ClearLeavesAnUnreadableComDbAndItsBoxesAlone) {
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, Bytes(2, 0xFF));
  SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100);
  ::Load(&reservations);
  Enumerate(devices);
  rows.push_back({1, true, nullptr, u""});
  RepairOutcome outcome = ClearUnusedReservations(kRows, &reservations, devices);
  EXPECT_EQ(kNoPortDatabase, outcome.refused);
  EXPECT_TRUE(rows[0].checked);
  EXPECT_EQ(Bytes(2, 0xFF), Stored());
  EXPECT_EQ(u" ComDB could not be read; nothing was changed", Status(kClearRepair, outcome));
}

TEST_F(Repairs, NeitherRepairTouchesAComDbLongerThanWindowsWrites) {
  int ghost = Ghost(u"COM2");
  Bytes stored(kLargestComDbBytes + 1, 0x01);
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, stored);
  ::Load(&reservations);
  Enumerate(devices);
  rows.push_back({1, true, nullptr, u""});
  rows.push_back({2, false, FindByPort(devices, 2), u""});
  RepairOutcome clear = ClearUnusedReservations(kRows, &reservations, devices);
  RepairOutcome remove = RemoveNonPresentDevices(kRows, &reservations, devices);
  EXPECT_EQ(kPortDatabaseTooLong, clear.refused);
  EXPECT_EQ(kPortDatabaseTooLong, remove.refused);
  EXPECT_FALSE(SimDeviceRemoved(ghost));
  EXPECT_TRUE(rows[0].checked);
  EXPECT_EQ(stored, Stored());
  EXPECT_EQ(u" ComDB is longer than 4096 ports; nothing was changed", Status(kRemoveRepair, remove));
}

TEST_F(Repairs, RemoveWorksAPortOnlyWhileItsChosenDeviceIsNotPresent) {
  for (bool descending : {false, true}) {
    SCOPED_TRACE(descending ? "descending" : "ascending");
    Reset();
    SimAddPort(u"COM2");                // working, with a ghost beside it
    int keptGhost = Ghost(u"COM2");
    int first = Ghost(u"COM3");         // two ghosts on one port
    int second = Ghost(u"COM3");
    Load(Bytes{0x06}, descending);
    RepairOutcome outcome = RemoveNonPresentDevices(kRows, &reservations, devices);
    EXPECT_EQ(2, outcome.count);
    EXPECT_FALSE(SimDeviceRemoved(keptGhost));
    EXPECT_TRUE(SimDeviceRemoved(first));
    EXPECT_TRUE(SimDeviceRemoved(second));
    EXPECT_EQ(Bytes{0x02}, Stored());  // 2 kept, 3 freed once both were gone
    EXPECT_EQ(u"", RowOf(3).deviceText);
    EXPECT_EQ(nullptr, RowOf(3).device);
    EXPECT_EQ(u"Communications Port (COM2)", RowOf(2).deviceText);
    EXPECT_EQ(u" 2 devices removed", Status(kRemoveRepair, outcome));
  }
}

TEST_F(Repairs, AFailedRemovalEndsTheWorkOnItsRow) {
  Ghost(u"COM1", 5);
  Ghost(u"COM4", 5);
  Ghost(u"COM4");  // of two ghosts the last is chosen first
  Load(Bytes{0x09});
  RepairOutcome outcome = RemoveNonPresentDevices(kRows, &reservations, devices);
  EXPECT_TRUE(RowOf(1).checked);
  EXPECT_EQ(u"Gone (COM1)", RowOf(1).deviceText);
  // COM4: the last ghost went, then the one left failed; the row keeps it.
  EXPECT_EQ(1, outcome.count);
  EXPECT_TRUE(RowOf(4).checked);
  EXPECT_EQ(u"Gone (COM4)", RowOf(4).deviceText);
  EXPECT_EQ(Bytes{0x09}, Stored());
  ASSERT_EQ(2u, SimMessageBoxes().size());
  EXPECT_EQ(u"ACCESS_DENIED removing\nROOT\\GHOST\\COM1A", SimMessageBoxes()[0].text);
  EXPECT_EQ(u"ACCESS_DENIED removing\nROOT\\GHOST\\COM4B", SimMessageBoxes()[1].text);
  EXPECT_EQ(u" 1 device removed", Status(kRemoveRepair, outcome));
}

TEST_F(Repairs, EveryRemovalFailingWritesNothingAndCountsNone) {
  Ghost(u"COM1", 5);
  Load(Bytes{0x03});  // COM2 reserved without any device
  RepairOutcome outcome = RemoveNonPresentDevices(kRows, &reservations, devices);
  EXPECT_EQ(0, outcome.count);
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_TRUE(RowOf(1).checked);
  // A row without any device is unchecked; nothing writes it, and the
  // window is told so.
  EXPECT_FALSE(RowOf(2).checked);
  EXPECT_EQ(1, outcome.unsaved);
  EXPECT_EQ(u" 0 devices removed", Status(kRemoveRepair, outcome));
}

TEST_F(Repairs, RemovingARowsDeviceFreesItsPortEvenWhereAnotherDeviceCarriesIt) {
  int present = SimAddPort(u"COM2");
  int other = Ghost(u"COM2");
  Load(Bytes{0x02});
  const FakeRow& row = RowOf(2);
  int32_t index = static_cast<int32_t>(&row - rows.data());
  EXPECT_EQ(1, RemoveRowDevice(kRows, &reservations, devices, index, row.device));
  EXPECT_TRUE(SimDeviceRemoved(present));
  EXPECT_FALSE(SimDeviceRemoved(other));
  EXPECT_FALSE(row.checked);
  EXPECT_EQ(0, reservations.reservedFlags[1]);
  EXPECT_EQ(u"", row.deviceText);
  // Once removed, the row has nothing left to remove.
  EXPECT_EQ(0, RemoveRowDevice(kRows, &reservations, devices, index, row.device));
  EXPECT_EQ(0, RemoveRowDevice(kRows, &reservations, devices, 0, nullptr));
  EXPECT_EQ(1, SimRemovalCount());
}

TEST_F(Repairs, AFailedSaveIsReported) {
  Ghost(u"COM1");
  Load(Bytes{0x01});
  SimRegFail(kSimRegSet, kOsErrorAccessDenied);
  RepairOutcome outcome = RemoveNonPresentDevices(kRows, &reservations, devices);
  EXPECT_EQ(1, outcome.saveFailed);
  EXPECT_EQ(u" 1 device removed; ComDB could not be written", Status(kRemoveRepair, outcome));
  EXPECT_EQ(u" ComDB could not be written; nothing was changed",
            Status(kClearRepair, RepairOutcome{3, kChangeAllowed, 1, 0}));
}

}  // namespace
