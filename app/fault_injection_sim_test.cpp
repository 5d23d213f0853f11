// Every failure the system can give on the paths that write ComDB or remove
// devices, one at a time, in batch mode and in the window's removal: ComDB
// afterwards holds exactly what it should, byte for byte, and no device but
// an intended one is gone.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/app_main.h"
#include "app/memory.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"
#include "ui/repairs.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// Ports 1 to 6 reserved of 8. COM1 and COM4 have working devices, COM2 and
// COM3 non-present ones (the only devices any repair may remove); 5 to 8
// have none.
const Bytes kStored = {0x3F};
enum { kWorking1, kGhost2, kGhost3, kWorking4 };

void AddDevices(const std::function<void(int, SimDevice*)>& adjust) {
  for (int i = 0; i < 4; i++) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.portName = u"COM" + std::u16string(1, static_cast<char16_t>(u'1' + i));
    d.deviceId = u"ROOT\\FAULT\\" + d.portName;
    d.friendlyName = u"Port " + d.portName;
    d.className = u"Ports";
    d.present = i == kWorking1 || i == kWorking4;
    adjust(i, &d);
    SimAddDevice(d);
  }
}

std::set<int> Removed() {
  std::set<int> removed;
  for (int i = 0; i < 4; i++) {
    if (SimDeviceRemoved(i)) removed.insert(i);
  }
  return removed;
}

struct Fault {
  const char* name;
  std::function<void()> beforeRun;              // after the machine is set up
  std::function<void(int, SimDevice*)> device;  // how each device is made
};

const auto kAsMade = [](int, SimDevice*) {};
const auto kNothing = [] {};

// A value that another program rewrites between every size query and read.
void GrowsOnEveryRead() {
  SimRegBeforeDataRead([] {
    Bytes now = SimRegValue(kComArbiterPath, kComDbName);
    now.push_back(0);
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, now);
  });
}

std::vector<Fault> Faults() {
  return {
      {"none", kNothing, kAsMade},
      {"size query fails",
       [] { SimRegFail(kSimRegQuerySize, kOsErrorAccessDenied, 1, kComDbName); }, kAsMade},
      {"every read fails",
       [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100, kComDbName); }, kAsMade},
      {"a port name cannot be read",
       [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100, u"PortName"); }, kAsMade},
      {"no value can be read", [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100); },
       kAsMade},
      {"value changes before every read", GrowsOnEveryRead, kAsMade},
      {"value changes once before the read",
       [] {
         SimRegBeforeDataRead([] {
           SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, Bytes{0x3F, 0x00});
           SimRegBeforeDataRead(nullptr);
         });
       },
       kAsMade},
      {"write fails", [] { SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100); }, kAsMade},
      {"key cannot be opened for writing",
       [] { SimRegFail(kSimRegCreate, kOsErrorAccessDenied, 100); }, kAsMade},
      {"device set cannot be created", [] { SimFailDeviceSet(true); }, kAsMade},
      {"device names unreadable", kNothing,
       [](int, SimDevice* d) {
         d->friendlyName.clear();
         d->description.clear();
         d->className.clear();
       }},
      {"parameters refused", kNothing,
       [](int i, SimDevice* d) { d->refuseRemoveParams = i == kGhost2; }},
      {"ID unreadable at removal", kNothing,
       [](int i, SimDevice* d) { d->idReads = i == kGhost2 ? 1 : -1; }},
      {"class installer fails", kNothing,
       [](int i, SimDevice* d) { d->installerError = i == kGhost2 ? 5u : 0u; }},
      {"node still there after removal", kNothing,
       [](int i, SimDevice* d) { d->stillLocatable = i == kGhost2; }},
      {"installer empties the device data", [] { SimInstallerEmptiesData(true); }, kAsMade},
      {"set moves after a removal", [] { SimRemovalShiftsSets(true); }, kAsMade},
  };
}

struct Expected {
  int exitCode;
  Bytes stored;
  std::set<int> removed;  // removed as the system sees it
};

// What a run may leave behind, for each fault and each switch set.
Expected Expect(const std::string& fault, const std::string& args) {
  const bool clear = args.find('c') != std::string::npos;
  const bool remove = args.find('r') != std::string::npos;
  const std::set<int> ghosts = {kGhost2, kGhost3};
  // Without the whole device list nothing is freed or removed.
  if (fault == "device set cannot be created" || fault == "a port name cannot be read" ||
      fault == "no value can be read") {
    return {3, kStored, {}};
  }
  if (fault == "size query fails" || fault == "every read fails" ||
      fault == "value changes before every read") {
    // The stored value is unknown: never written; the removal alone runs.
    if (clear) return {3, {}, {}};
    return {0, {}, ghosts};
  }
  if (fault == "value changes once before the read") {
    // Read whole on the next try: two bytes, ports 9 to 16 without devices.
    Bytes after = {0x3F, 0x00};
    if (clear) after[0] = 0x0F;
    if (remove) after[0] &= ~0x06;
    return {0, after, remove ? ghosts : std::set<int>{}};
  }
  if (fault == "write fails" || fault == "key cannot be opened for writing") {
    return {0, kStored, remove ? ghosts : std::set<int>{}};
  }
  Bytes after = {0x3F};
  if (clear) after[0] = 0x0F;
  std::set<int> removed;
  int code = 0;
  if (remove) {
    bool secondFails = fault == "parameters refused" || fault == "ID unreadable at removal" ||
                       fault == "class installer fails" || fault == "node still there after removal";
    removed = {kGhost3};
    after[0] &= ~0x04;
    if (!secondFails) {
      removed.insert(kGhost2);
      after[0] &= ~0x02;
    } else {
      code = 2;
      if (fault == "node still there after removal") removed.insert(kGhost2);  // as the installer said
    }
  }
  return {code, after, removed};
}

class FaultInjection : public testing::TestWithParam<const char*> {};

TEST_P(FaultInjection, BatchModeLeavesExactlyWhatItShould) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(std::string(fault.name) + ", " + GetParam());
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, kStored);
    AddDevices(fault.device);
    fault.beforeRun();
    std::u16string args;
    for (const char* c = GetParam(); *c; c++) args += static_cast<char16_t>(*c);
    int32_t code = AppMain(1, args.c_str(), 10);
    SimRegBeforeDataRead(nullptr);
    Expected want = Expect(fault.name, GetParam());
    EXPECT_EQ(want.exitCode, code);
    Bytes stored = SimRegValue(kComArbiterPath, kComDbName);
    if (want.stored.empty()) {
      // Unknown to the program: as the other writer left it, never written.
      EXPECT_EQ(0, SimRegWriteCount());
    } else {
      EXPECT_EQ(want.stored, stored);
    }
    EXPECT_EQ(want.removed, Removed());
  }
}

INSTANTIATE_TEST_SUITE_P(Switches, FaultInjection, testing::Values("/c", "/r", "/c /r"));

// The window's removal over the same faults: the rows in port order.
std::vector<int32_t> rowPorts;
std::vector<bool> rowChecks;
int32_t Count() { return static_cast<int32_t>(rowPorts.size()); }
int32_t Port(int32_t row) { return rowPorts.at(row); }
int32_t IsChecked(int32_t row) { return rowChecks.at(row); }
void Uncheck(int32_t row) { rowChecks.at(row) = false; }
void Show(int32_t, PortDevice*) {}
const RowAccess kRows = {Count, Port, IsChecked, Uncheck, Show};

TEST(FaultInjectionWindow, RemovingNonPresentDevicesLeavesExactlyWhatItShould) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(fault.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, kStored);
    AddDevices(fault.device);
    fault.beforeRun();
    PortReservations reservations = {};
    auto* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
    Load(&reservations);
    Enumerate(devices);
    rowPorts.clear();
    rowChecks.clear();
    for (int32_t p = 1; p <= reservations.portCount; p++) {
      rowPorts.push_back(p);
      rowChecks.push_back(reservations.reservedFlags[p - 1] != 0);
    }
    RepairOutcome outcome = RemoveNonPresentDevices(kRows, &reservations, devices);
    SimRegBeforeDataRead(nullptr);
    Expected want = Expect(fault.name, "/r");
    if (want.exitCode == 3) {
      EXPECT_EQ(kRepairNoDeviceList, outcome.refused);
    }
    if (want.stored.empty()) {
      EXPECT_EQ(0, SimRegWriteCount());
    } else if (!(want.exitCode == 3)) {
      // The window also frees the numbers no device holds when it writes.
      Bytes stored = want.stored;
      if (outcome.count > 0 && !outcome.saveFailed) {
        for (size_t j = 0; j < stored.size(); j++) stored[j] &= j == 0 ? 0x0F : 0x00;
      }
      EXPECT_EQ(stored, SimRegValue(kComArbiterPath, kComDbName));
    } else {
      EXPECT_EQ(kStored, SimRegValue(kComArbiterPath, kComDbName));
    }
    EXPECT_EQ(want.removed, Removed());
    Clear(devices);
    MemFree(devices);
    Clear(&reservations);
  }
}

}  // namespace
