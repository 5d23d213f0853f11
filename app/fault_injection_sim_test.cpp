// Every failure the system can give on the paths that write ComDB or remove
// devices, one at a time, in batch mode and in the window's removal: ComDB
// afterwards holds exactly what it should, byte for byte, and no device but
// an intended one is gone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/app_main.h"
#include "base/memory.h"
#include "base/process.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"
#include "tests/support/fake_rows.h"
#include "ui/port_session.h"
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

// The ways ComDB is written: through the system's routines, or, where
// there are none, by writing the value after reading it again. Each fault
// must leave the same behind either way. A database that is there but does
// not open fails every write.
enum WriteWay { kThroughRoutines, kMerged, kNotOpened };
struct Way {
  const char* name;
  std::function<void()> set;
  WriteWay write;
};
const Way kWays[] = {
    {"through the routines", kNothing, kThroughRoutines},
    {"without the routines", [] { SimSetPortDatabaseAvailable(false); }, kMerged},
    {"ComDBOpen failing", [] { SimPortDatabaseFail(kSimPortDbOpen, kOsErrorAccessDenied, 100); },
     kNotOpened},
};
WriteWay writeWay = kThroughRoutines;  // the current case's

// A value that another program rewrites between every size query and read.
void GrowsOnEveryRead() {
  SimRegBeforeDataRead([] {
    Bytes now = SimRegValue(kComArbiterPath, kComDbName);
    now.push_back(0);
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, now);
  });
}

// Another program writes the value once, between the first size query and
// its read.
void ChangesOnceBeforeTheRead(const Bytes& value) {
  auto done = std::make_shared<bool>(false);
  SimRegBeforeDataRead([done, value] {
    if (*done) return;
    *done = true;
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, value);
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
      {"value grows once before the read", [] { ChangesOnceBeforeTheRead(Bytes{0x3F, 0x00}); },
       kAsMade},
      {"value shrinks once before the read", [] { ChangesOnceBeforeTheRead(Bytes{}); }, kAsMade},
      {"write fails", [] { SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100); }, kAsMade},
      {"key cannot be opened for writing",
       [] { SimRegFail(kSimRegCreate, kOsErrorAccessDenied, 100); }, kAsMade},
      {"every claim and release fails",
       [] {
         SimPortDatabaseFail(kSimPortDbClaim, kOsErrorAccessDenied, 100);
         SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied, 100);
       },
       kAsMade},
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
      {"device ID unreadable", kNothing, [](int i, SimDevice* d) { d->idUnreadable = i == kGhost2; }},
      // Verified on the node it was handed: the node is still there.
      {"installer empties the device data and leaves the node", [] { SimInstallerEmptiesData(true); },
       [](int i, SimDevice* d) { d->stillLocatable = i == kGhost2; }},
      {"set moves after a removal", [] { SimRemovalShiftsSets(true); }, kAsMade},
  };
}

bool IncompleteDeviceList(const std::string& fault) {
  return fault == "device set cannot be created" || fault == "a port name cannot be read" ||
         fault == "no value can be read" || fault == "device ID unreadable";
}

bool ComDbUnread(const std::string& fault) {
  return fault == "size query fails" || fault == "every read fails" ||
         fault == "value changes before every read";
}

bool SecondGhostStays(const std::string& fault) {
  return fault == "parameters refused" || fault == "ID unreadable at removal" ||
         fault == "class installer fails" || fault == "node still there after removal" ||
         fault == "installer empties the device data and leaves the node";
}

bool WriteFails(const std::string& fault) {
  return writeWay == kNotOpened || fault == "write fails" ||
         fault == "key cannot be opened for writing" ||
         (fault == "every claim and release fails" && writeWay == kThroughRoutines);
}

struct Expected {
  int exitCode;
  Bytes stored;           // what ComDB holds afterwards
  std::set<int> removed;  // removed as the system sees it
  bool unread = false;    // ComDB was not read: it must never have been written
};

// What a run may leave behind, for each fault and each switch set.
Expected Expect(const std::string& fault, const std::string& args) {
  const bool clear = args.find('c') != std::string::npos;
  const bool remove = args.find('r') != std::string::npos;
  const std::set<int> ghosts = {kGhost2, kGhost3};
  // Without the whole device list nothing is freed or removed.
  if (IncompleteDeviceList(fault)) return {3, kStored, {}};
  if (ComDbUnread(fault)) {
    // The stored value is unknown: never written; the removal alone runs,
    // and says that the numbers it would free stay reserved.
    if (clear) return {3, {}, {}, true};
    return {5, {}, ghosts, true};
  }
  if (fault == "value shrinks once before the read") {
    // Read again: empty, no port to free; only a removal writes.
    return {remove && WriteFails(fault) ? 5 : 0, Bytes{}, remove ? ghosts : std::set<int>{}};
  }
  // Grown: read whole on the next try, two bytes, ports 9 to 16 without
  // devices.
  const Bytes before = fault == "value grows once before the read" ? Bytes{0x3F, 0x00} : kStored;
  Bytes after = before;
  if (clear) after[0] = 0x0F;
  std::set<int> removed;
  int code = 0;
  if (remove) {
    bool secondFails = SecondGhostStays(fault);
    removed = {kGhost3};
    after[0] &= ~0x04;
    if (!secondFails) {
      removed.insert(kGhost2);
      after[0] &= ~0x02;
    } else {
      code = 2;
      // As the installer said; the program does not count it removed.
      if (fault.find("node") != std::string::npos) removed.insert(kGhost2);
    }
  }
  // Every step writes, and a failed removal's code comes first.
  if (WriteFails(fault)) return {code != 0 ? code : 5, before, removed};
  return {code, after, removed};
}

class FaultInjection : public testing::TestWithParam<const char*> {};

TEST_P(FaultInjection, BatchModeLeavesExactlyWhatItShould) {
  for (const Way& way : kWays) {
  for (const Fault& fault : Faults()) {
    SCOPED_TRACE(std::string(fault.name) + ", " + GetParam() + ", " + way.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, kStored);
    AddDevices(fault.device);
    way.set();
    writeWay = way.write;
    fault.beforeRun();
    std::u16string args;
    for (const char* c = GetParam(); *c; c++) args += static_cast<char16_t>(*c);
    int32_t code = AppMain(1, args.c_str(), 10);
    SimRegBeforeDataRead(nullptr);
    Expected want = Expect(fault.name, GetParam());
    EXPECT_EQ(want.exitCode, code);
    // Whatever failed is said on standard error, a line each; a run that
    // ends with 0 says nothing there.
    std::u16string errors = SimOutput(kOsStandardError);
    EXPECT_EQ(code == 0, errors.empty()) << std::string(errors.begin(), errors.end());
    EXPECT_EQ(std::u16string::npos, (u"\n" + errors).find(u"\n\r\n"));
    if (want.unread) {
      // Unknown to the program: as the other writer left it, never written.
      EXPECT_EQ(0, SimRegWriteCount());
    } else {
      EXPECT_EQ(want.stored, SimRegValue(kComArbiterPath, kComDbName));
    }
    EXPECT_EQ(want.removed, Removed());
    EXPECT_EQ(0, SimPortDatabasesOpen());
  }
  }
}

INSTANTIATE_TEST_SUITE_P(Switches, FaultInjection, testing::Values("/c", "/r", "/c /r"));

// The window's removal over the same faults: the rows in port order.
const RowAccess& kRows = kFakeRows;

// What the window's commands leave behind. Unlike batch mode, the window
// frees the numbers no device holds as part of removing non-present
// devices, and the removal of a row's device always saves.
Expected ExpectWindow(const std::string& fault, const std::string& command) {
  const Bytes unchanged = fault == "value grows once before the read" ? Bytes{0x3F, 0x00} : kStored;
  if (fault == "value shrinks once before the read") return {0, Bytes{}, {}};  // no rows
  if (ComDbUnread(fault)) {
    // Never written; only a removal may still run.
    return {0, {}, command == "1010" ? std::set<int>{} : command == "Delete" ? std::set<int>{kGhost2}
                                                                        : std::set<int>{kGhost2, kGhost3},
            true};
  }
  if (command == "1010") {
    if (IncompleteDeviceList(fault) || WriteFails(fault)) return {0, unchanged, {}};
    Bytes after = unchanged;
    after[0] = 0x0F;  // 5 and 6: reserved, no device
    return {0, after, {}};
  }
  if (command == "Delete") {
    // The row of COM2 carries its ghost, unless the list could not show it.
    bool listed = fault != "device set cannot be created" && fault != "a port name cannot be read" &&
                  fault != "no value can be read" && fault != "device ID unreadable";
    bool removed = listed && !SecondGhostStays(fault);
    Bytes after = unchanged;
    if (removed && !WriteFails(fault)) after[0] &= ~0x02;
    std::set<int> gone;
    if (removed || (listed && fault.find("node") != std::string::npos)) gone.insert(kGhost2);
    return {0, after, gone};
  }
  // 1011.
  if (IncompleteDeviceList(fault)) return {3, unchanged, {}};
  Expected batch = Expect(fault, "/r");
  if (!WriteFails(fault) && batch.removed.size() > (fault.find("node") != std::string::npos ? 1u : 0u)) {
    batch.stored[0] &= 0x0F;  // and 5 and 6, which no device holds
  }
  if (fault == "value grows once before the read" && !WriteFails(fault)) batch.stored = {0x09, 0x00};
  return batch;
}

TEST(FaultInjectionWindow, EachCommandLeavesExactlyWhatItShould) {
  for (const Way& way : kWays) {
  for (const char* command : {"1011", "1010", "Delete"}) {
    for (const Fault& fault : Faults()) {
      SCOPED_TRACE(std::string(command) + ", " + fault.name + ", " + way.name);
      SimReset();
      SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, kStored);
      AddDevices(fault.device);
      way.set();
      writeWay = way.write;
      fault.beforeRun();
      PortReservations reservations = {};
      auto* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
      Load(&reservations);
      Enumerate(devices);
      FillFakeRows(reservations.reservedFlags, reservations.portCount, devices);
      std::string name = command;
      if (name == "1011") {
        RepairRows(kRows, kRemoveRepair, &reservations, devices, true);
      } else if (name == "1010") {
        RepairRows(kRows, kClearRepair, &reservations, devices, true);
      } else if (reservations.portCount >= 2) {
        RemoveRowDevice(kRows, &reservations, devices, 1, FindByPort(devices, 2), true);
        Save(&reservations);
      }
      SimRegBeforeDataRead(nullptr);
      Expected want = ExpectWindow(fault.name, name);
      if (want.unread) {
        EXPECT_EQ(0, SimRegWriteCount());
      } else {
        EXPECT_EQ(want.stored, SimRegValue(kComArbiterPath, kComDbName));
      }
      EXPECT_EQ(want.removed, Removed());
      EXPECT_EQ(0, SimPortDatabasesOpen());
      Clear(devices);
      MemFree(devices);
      Clear(&reservations);
    }
  }
  }
}

// Another program writes ComDB between a writer's load and its save: it
// reserves port 8 and lengthens the value by a byte with port 9 reserved.
// Every writer changes only the ports it decided to change, on the value
// as it is stored then, and keeps its length.
TEST(AnotherWriter, EveryWriterKeepsWhatWasStoredMeanwhile) {
  const struct {
    const char* writer;
    uint8_t first;  // byte 0 afterwards; byte 1 stays 0x01
  } cases[] = {
      {"edit", 0xAF},     // frees 5
      {"1010", 0x8F},     // frees 5 and 6, which no device holds
      {"1011", 0x89},     // removes the ghosts of 2 and 3, frees 2, 3, 5 and 6
      {"Delete", 0xBD},   // removes the ghost of 2, frees 2
      {"/c", 0x8F},       // 8 was free when it looked: not its to free
      {"/r", 0xB9},
      {"/c /r", 0x89},
  };
  for (const Way& way : kWays) {
  if (way.write == kNotOpened) continue;  // writes nothing (above)
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.writer) + ", " + way.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, kStored);
    AddDevices(kAsMade);
    way.set();
    int comDbReads = 0;
    SimRegBeforeDataRead(
        [&comDbReads] {
          if (++comDbReads == 2) SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0xBF, 0x01});
        },
        kComDbName);
    std::string writer = c.writer;
    if (writer[0] == '/') {
      std::u16string args(writer.begin(), writer.end());
      EXPECT_EQ(0, AppMain(1, args.c_str(), 10));
    } else {
      // The window's writers, through the port session as the window calls
      // it, as an administrator.
      PortSession session = {};
      session.administrator = true;
      ReloadPorts(&session);
      FillFakeRows(session.reservations->reservedFlags, session.reservations->portCount, nullptr);
      int32_t saved = 0;
      if (writer == "edit") {
        fakeRows[4].checked = false;  // the click on COM5's box
        EXPECT_EQ(nullptr, EditReservations(&session, kRows, 4, fakeRows[4].checked, 0, &saved));
        EXPECT_EQ(1, saved);
      } else if (writer == "1010") {
        ClearUnusedPorts(&session, kRows);
      } else if (writer == "1011") {
        RemoveNonPresentPorts(&session, kRows);
      } else {
        EXPECT_EQ(1, RemoveDeviceOfRow(&session, kRows, 1, ShownDevice(&session, 2)));
        EXPECT_EQ(1, SaveRemovals(&session));
      }
      ReleasePorts(&session);
    }
    SimRegBeforeDataRead(nullptr);
    EXPECT_EQ((Bytes{c.first, 0x01}), SimRegValue(kComArbiterPath, kComDbName));
  }
  }
}

}  // namespace
