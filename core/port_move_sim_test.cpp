// Giving a serial port another number: each refusal, a stale target, a
// number two devices share, and every failing step with its undo, checked
// on the simulated system's registry.
#include "core/port_move.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/memory.h"
#include "core/failure_report.h"
#include "platform/sim/sim.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// COM1 reserved with no device (stale); COM2 carried by two ports; COM5 by
// MOVER, a present port named for its number; COM6 by a non-present port;
// COM7 by a modem.
int AddDevice(const char16_t* id, const char16_t* portName, const char16_t* classGuid, bool present,
              const std::function<void(SimDevice*)>& change = nullptr) {
  SimDevice d;
  d.classGuid = classGuid;
  d.deviceId = id;
  d.portName = portName;
  d.friendlyName = std::u16string(u"USB Serial Port (") + portName + u")";
  d.present = present;
  if (change) change(&d);
  return SimAddDevice(d);
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

struct Moving {
  PortReservations reservations = {};
  PortDeviceList* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  Moving() {
    Load(&reservations);
    Enumerate(devices, kRepairDetail);
  }
  ~Moving() {
    Clear(devices);
    MemFree(devices);
    Clear(&reservations);
  }
  MoveResult Move(const char16_t* name, int32_t target, int32_t dryRun = 0) {
    int32_t ambiguous;
    MoveRequest request = {FindNamedDevice(devices, name, &ambiguous), target, dryRun != 0, true, false};
    return RunMove(&reservations, devices, request, MoveCallbacks{});
  }
};

TEST(PortMove, EachMoveTakesItsStepsOrIsRefusedWithoutChangingAnything) {
  const struct {
    const char* name;
    const char16_t* device;
    int32_t target;
    std::function<void(SimDevice*)> mover;  // changes MOVER before it is added
    std::function<void()> fault;           // set once the models are read
    MoveOutcome outcome;
    Bytes comDb;                            // afterwards
    const char* portName;                   // MOVER's, afterwards
    const char* friendly;
    int restarts;
  } cases[] = {
      {"to a free number", u"COM5", 3, nullptr, nullptr, kMoved, {0x67}, "COM3",
       "USB Serial Port (COM3)", 1},
      {"to a stale one", u"root\\mover", 1, nullptr, nullptr, kMoved, {0x63}, "COM1",
       "USB Serial Port (COM1)", 1},
      {"another name stays", u"COM5", 3, [](SimDevice* d) { d->friendlyName = u"Bench (COM5) A"; },
       nullptr, kMoved, {0x67}, "COM3", "Bench (COM5) A", 1},
      // The driver names the port COM5 until the restart: COM5 stays reserved.
      {"restart asked for", u"COM5", 3, [](SimDevice* d) { d->restartNeeded = true; }, nullptr,
       kMovedRestartNeeded, {0x77}, "COM3", "USB Serial Port (COM3)", 1},
      {"ComDB grown past Windows' length meanwhile", u"COM5", 3, nullptr,
       [] { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, Bytes(600, 0x73)); },
       kChangeRefused, Bytes(600, 0x73), "COM5", "USB Serial Port (COM5)", 0},
      {"held by a port not present", u"COM5", 6, nullptr, nullptr, kTargetHeld, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"held by a modem", u"COM5", 7, nullptr, nullptr, kTargetHeld, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"beyond ComDB", u"COM5", 9, nullptr, nullptr, kTargetOutOfRange, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"on it already", u"COM5", 5, nullptr, nullptr, kNothingToMove, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"a modem", u"ROOT\\MODEM", 3, nullptr, nullptr, kNotASerialPort, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"two carry the number named", u"COM2", 3, nullptr, nullptr, kNotASerialPort, {0x73}, "COM5",
       "USB Serial Port (COM5)", 0},
      {"the claim fails", u"COM5", 3, nullptr,
       [] { SimPortDatabaseFail(kSimPortDbClaim, kOsErrorAccessDenied); }, kMoveFailedUndone,
       {0x73}, "COM5", "USB Serial Port (COM5)", 0},
      {"claimed by another meanwhile", u"COM5", 3, nullptr,
       [] { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x77}); },
       kMoveFailedUndone, {0x77}, "COM5", "USB Serial Port (COM5)", 0},
      {"claimed meanwhile, no routines", u"COM5", 3, nullptr,
       [] {
         SimSetPortDatabaseAvailable(false);
         SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x77});
       },
       kMoveFailedUndone, {0x77}, "COM5", "USB Serial Port (COM5)", 0},
      {"PortName not written", u"COM5", 3, [](SimDevice* d) { d->portNameWriteStatus = 5; },
       nullptr, kMoveFailedUndone, {0x73}, "COM5", "USB Serial Port (COM5)", 0},
      {"friendly name not written", u"COM5", 3, [](SimDevice* d) { d->friendlyNameError = 5; },
       nullptr, kMoveFailedUndone, {0x73}, "COM5", "USB Serial Port (COM5)", 0},
      // Released last, once the device has its new number: moved all the
      // same, and the old number stays reserved.
      {"the old number not released", u"COM5", 3, nullptr,
       [] { SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied); }, kMovedNotReleased,
       {0x77}, "COM3", "USB Serial Port (COM3)", 1},
      {"the restart fails", u"COM5", 3, [](SimDevice* d) { d->restartError = 5; }, nullptr,
       kMoveFailedUndone, {0x73}, "COM5", "USB Serial Port (COM5)", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x73});  // 1, 2, 5, 6, 7
    AddDevice(u"ROOT\\TWINA", u"COM2", kSimPortsClass, true);
    AddDevice(u"ROOT\\TWINB", u"COM2", kSimPortsClass, true);
    int mover = AddDevice(u"ROOT\\MOVER", u"COM5", kSimPortsClass, true, [&c](SimDevice* d) {
      d->kernelName = u"\\Device\\Serial5";
      if (c.mover) c.mover(d);
    });
    AddDevice(u"ROOT\\GONE", u"COM6", kSimPortsClass, false);
    AddDevice(u"ROOT\\MODEM", u"COM7", kSimModemClass, true);
    Moving moving;
    if (c.fault) c.fault();
    MoveResult result = moving.Move(c.device, c.target);
    EXPECT_EQ(c.outcome, result.outcome);
    EXPECT_EQ(c.comDb, SimRegValue(kComArbiterPath, kComDbName));
    EXPECT_EQ(c.portName, Narrow(SimDeviceAt(mover).portName));
    EXPECT_EQ(c.friendly, Narrow(SimDeviceAt(mover).friendlyName));
    EXPECT_EQ(static_cast<size_t>(c.restarts), SimRestarts().size());
    if (c.outcome == kTargetHeld) {
      EXPECT_EQ(c.target == 6 ? "ROOT\\GONE" : "ROOT\\MODEM", Narrow(result.holder));
    }
    if (c.outcome == kMoveFailedUndone) {
      EXPECT_EQ("ROOT\\MOVER", Narrow(result.failure.deviceId));
    }
  }
}

// The second read of ComDB from now on (the save's, after the move's own
// read) runs `change` first.
void OnTheSavesRead(std::function<void()> change) {
  int reads = 0;
  SimRegBeforeDataRead(
      [reads, change]() mutable {
        if (++reads == 2) change();
      },
      kComDbName);
}

// A failed step's error reaches the report. The save of ComDB can fail for
// a reason of its own, with no system error to give: that still reads as
// a failure (GEN_FAILURE), never as a step done.
TEST(PortMove, AFailedStepReportsItsErrorAndGenFailureWhereItHasNone) {
  const struct {
    const char* name;
    std::function<void(SimDevice*)> mover;
    std::function<void()> fault;  // set once the models are read
    const char* line;
    Bytes comDb;                  // afterwards
  } cases[] = {
      {"the claim refused", nullptr,
       [] { SimPortDatabaseFail(kSimPortDbClaim, kOsErrorAccessDenied); },
       "ACCESS_DENIED moving ROOT\\MOVER", {0x10, 0x00}},
      {"the friendly name refused", [](SimDevice* d) { d->friendlyNameError = 5; }, nullptr,
       "ACCESS_DENIED moving ROOT\\MOVER", {0x10, 0x00}},
      {"the restart failing", [](SimDevice* d) { d->restartError = 0xE000020B; }, nullptr,
       "ERROR_0xE000020B moving ROOT\\MOVER", {0x10, 0x00}},
      {"ComDB shrunk under the number meanwhile", nullptr,
       [] {
         OnTheSavesRead([] { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x10}); });
       },
       "GEN_FAILURE moving ROOT\\MOVER", {0x10}},
      {"ComDB no longer read whole", nullptr,
       [] {
         OnTheSavesRead([] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName); });
       },
       "GEN_FAILURE moving ROOT\\MOVER", {0x10, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x10, 0x00});  // 5 of 16
    int mover = AddDevice(u"ROOT\\MOVER", u"COM5", kSimPortsClass, true, c.mover);
    Moving moving;
    if (c.fault) c.fault();
    MoveResult result = moving.Move(u"COM5", 9);
    EXPECT_EQ(kMoveFailedUndone, result.outcome);
    char16_t line[kFailureTextUnits];
    DescribeFailureLine(result.failure, 1, line, kFailureTextUnits);
    EXPECT_EQ(c.line, Narrow(line));
    EXPECT_EQ(c.comDb, SimRegValue(kComArbiterPath, kComDbName));
    EXPECT_EQ("COM5", Narrow(SimDeviceAt(mover).portName));
    EXPECT_EQ(5, moving.devices->devices[0]->portNumber);
  }
}

// The class installer giving a new adapter a number, as the system does:
// the lowest free one, claimed in the database, then written as its
// PortName.
int PlugInAdapter() {
  Bytes stored = SimRegValue(kComArbiterPath, kComDbName);
  uint32_t port = 1;
  while ((port - 1) / 8 < stored.size() && (stored[(port - 1) / 8] >> ((port - 1) % 8) & 1) != 0) {
    port++;
  }
  OsPortDatabase database;
  OsOpenPortDatabase(&database);
  OsClaimPort(database, port);
  OsClosePortDatabase(database);
  return AddDevice(u"USB\\NEW", (u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + port))).c_str(),
                   kSimPortsClass, true);
}

// The models may be old by the time the user says OK: what is stored is
// read again just before the first write, and checked again. Meanwhile the
// system goes on: another program frees the stale target, a device takes
// it or a driver names it, or the class installer gives a new adapter the
// lowest free number while the moved device restarts, which must never be
// the number the device still uses.
TEST(PortMove, WhatIsStoredIsCheckedJustBeforeTheMoveAndTheOldNumberGoesLast) {
  int adapter = -1;
  const struct {
    const char* name;
    Bytes comDb;                     // when the models are read
    int32_t target;
    std::function<void(SimDevice*)> mover;
    std::function<void()> meanwhile;  // after the models are read
    std::function<void()> restarting;
    MoveOutcome outcome;
    Bytes want;
    const char* portName;
    const char* holder;
    int adapterPort;                  // 0: none plugged in
  } cases[] = {
      {"the stale target freed meanwhile is claimed", {0x14}, 3, nullptr,
       [] { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x10}); }, nullptr, kMoved,
       {0x04}, "COM3", "", 0},
      {"a device took the target meanwhile", {0x14}, 3, nullptr,
       [] { AddDevice(u"ROOT\\LATE", u"COM3", kSimPortsClass, false); }, nullptr, kTargetHeld,
       {0x14}, "COM5", "ROOT\\LATE", 0},
      {"a driver named the target meanwhile", {0x10}, 3, nullptr,
       [] { SimAddLiveName(u"\\Device\\VCP0", u"COM3"); }, nullptr, kTargetHeld, {0x10}, "COM5",
       "\\Device\\VCP0", 0},
      {"a new adapter while it restarts", {0x1F}, 4, nullptr, nullptr,
       [&adapter] { adapter = PlugInAdapter(); }, kMoved, {0x2F}, "COM4", "", 6},
      {"a new adapter while a restart fails", {0x1F}, 4,
       [](SimDevice* d) { d->restartError = 5; }, nullptr, [&adapter] { adapter = PlugInAdapter(); },
       kMoveFailedUndone, {0x3F}, "COM5", "", 6},
      {"a new adapter before the machine restarts", {0x1F}, 4,
       [](SimDevice* d) { d->restartNeeded = true; }, nullptr,
       [&adapter] { adapter = PlugInAdapter(); }, kMovedRestartNeeded, {0x3F}, "COM4", "", 6},
      // The old number goes once no running driver names it any more.
      {"its driver names the new number", {0x10}, 3, [](SimDevice* d) { d->namesLive = true; },
       nullptr, nullptr, kMoved, {0x04}, "COM3", "", 0},
      {"its driver leaves the old name behind", {0x10}, 3,
       [](SimDevice* d) {
         d->namesLive = true;
         d->leavesLiveName = true;
       },
       nullptr, nullptr, kMoved, {0x14}, "COM3", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    adapter = -1;
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, c.comDb);
    for (int32_t p = 1; p < 5; p++) {  // the numbers below COM5 that have a device
      if ((c.comDb[0] >> (p - 1) & 1) != 0 && p != c.target && p != 3) {
        AddDevice((u"ROOT\\BUSY" + std::u16string(1, static_cast<char16_t>(u'0' + p))).c_str(),
                  (u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + p))).c_str(),
                  kSimPortsClass, true);
      }
    }
    int mover = AddDevice(u"ROOT\\MOVER", u"COM5", kSimPortsClass, true, c.mover);
    Moving moving;
    if (c.meanwhile) c.meanwhile();
    SimDuringRestart(c.restarting);
    MoveResult result = moving.Move(u"COM5", c.target);
    EXPECT_EQ(c.outcome, result.outcome);
    EXPECT_EQ(c.want, SimRegValue(kComArbiterPath, kComDbName));
    EXPECT_EQ(c.portName, Narrow(SimDeviceAt(mover).portName));
    EXPECT_EQ(c.holder, Narrow(result.holder));
    if (c.adapterPort != 0) {
      ASSERT_GE(adapter, 0);
      EXPECT_EQ("COM" + std::to_string(c.adapterPort), Narrow(SimDeviceAt(adapter).portName));
    }
    // The caller's model holds what is stored.
    for (int32_t p = 1; p <= 8; p++) {
      EXPECT_EQ(c.want[0] >> (p - 1) & 1, moving.reservations.reservedFlags[p - 1]) << p;
    }
  }
}

// A modem attached to the port names it in its driver key: it follows the
// move and is put back with it; one that cannot follow refuses the move
// before anything changes.
TEST(PortMove, AnAttachedModemFollowsItsPort) {
  const struct {
    const char* name;
    int32_t lockedStatus;  // the first attached modem's driver key, for writing
    int32_t lockedOther;   // a modem attached to another port
    int32_t unreadable;    // a modem whose driver key cannot be opened at all
    uint32_t restartError;
    MoveOutcome outcome;
    const char* first;
    const char* second;
    const char* portName;
    int32_t dryRun = 0;
  } cases[] = {
      {"both follow", 0, 0, 0, 0, kMoved, "COM3", "COM3", "COM3"},
      {"another port's modem is left alone", 0, kOsErrorAccessDenied, 0, 0, kMoved, "COM3", "COM3",
       "COM3"},
      {"put back when the move fails", 0, 0, 0, 5, kMoveFailedUndone, "COM5", "com5", "COM5"},
      {"one cannot follow", kOsErrorAccessDenied, 0, 0, 0, kModemLocked, "COM5", "com5", "COM5"},
      {"one cannot follow, in a dry run", kOsErrorAccessDenied, 0, 0, 0, kModemLocked, "COM5",
       "com5", "COM5", 1},
      {"one cannot be read", 0, 0, kOsErrorAccessDenied, 0, kModemLocked, "COM5", "com5", "COM5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x30});
    int mover = AddDevice(u"ROOT\\MOVER", u"COM5", kSimPortsClass, true,
                          [&c](SimDevice* d) { d->restartError = c.restartError; });
    auto modem = [](const char16_t* id, const char16_t* attachedTo, bool present, int32_t locked) {
      return AddDevice(id, u"", kSimModemClass, present, [=](SimDevice* d) {
        d->hasPortName = false;
        d->attachedTo = attachedTo;
        d->driverKeyWriteStatus = locked;
      });
    };
    int first = modem(u"ROOT\\MODEM\\0000", u"COM5", true, c.lockedStatus);
    int second = modem(u"ROOT\\MODEM\\0001", u"com5", false, 0);  // not present, any case
    int other = modem(u"ROOT\\MODEM\\0002", u"COM6", true, c.lockedOther);
    modem(u"ROOT\\MODEM\\0003", u"", true, 0);  // no driver installed: no driver key
    if (c.unreadable != 0) {
      AddDevice(u"ROOT\\MODEM\\0004", u"", kSimModemClass, true, [&c](SimDevice* d) {
        d->hasPortName = false;
        d->driverKeyReadStatus = c.unreadable;
      });
    }
    Moving moving;
    MoveResult result = moving.Move(u"COM5", 3, c.dryRun);
    EXPECT_EQ(c.outcome, result.outcome);
    EXPECT_EQ(c.first, Narrow(SimAttachedTo(first)));
    EXPECT_EQ(c.second, Narrow(SimAttachedTo(second)));
    EXPECT_EQ("COM6", Narrow(SimAttachedTo(other)));
    EXPECT_EQ(c.portName, Narrow(SimDeviceAt(mover).portName));
    if (c.outcome == kModemLocked) {
      EXPECT_EQ(c.unreadable ? "ROOT\\MODEM\\0004" : "ROOT\\MODEM\\0000", Narrow(result.holder));
      EXPECT_EQ(static_cast<uint32_t>(kOsErrorAccessDenied), result.failure.errorCode);
      EXPECT_EQ(Bytes{0x30}, SimRegValue(kComArbiterPath, kComDbName));
      EXPECT_TRUE(SimRestarts().empty());
    }
  }
}

// A number two ports share stays reserved when one of them leaves it; a
// port that is not present takes its new number without a restart; a dry
// run changes nothing, but later moves see it done.
TEST(PortMove, ASharedNumberStaysAndADryRunChangesNothing) {
  SimReset();
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x22});  // 2, 6
  int twin = AddDevice(u"ROOT\\TWINA", u"COM2", kSimPortsClass, true);
  AddDevice(u"ROOT\\TWINB", u"COM2", kSimPortsClass, true);
  int gone = AddDevice(u"ROOT\\GONE", u"COM6", kSimPortsClass, false);
  {
    Moving moving;
    EXPECT_EQ(kMoved, moving.Move(u"root\\twina", 3, 1).outcome);
    EXPECT_EQ(kTargetHeld, moving.Move(u"ROOT\\GONE", 3, 1).outcome);  // as if moved
    EXPECT_EQ(Bytes{0x22}, SimRegValue(kComArbiterPath, kComDbName));
    EXPECT_EQ("COM2", Narrow(SimDeviceAt(twin).portName));
  }
  Moving moving;
  EXPECT_EQ(kMoved, moving.Move(u"ROOT\\TWINA", 3).outcome);
  EXPECT_EQ(kMoved, moving.Move(u"COM6", 4).outcome);
  EXPECT_EQ(Bytes{0x0E}, SimRegValue(kComArbiterPath, kComDbName));  // 2 kept; 6 released
  EXPECT_EQ("COM4", Narrow(SimDeviceAt(gone).portName));
  EXPECT_EQ(1u, SimRestarts().size());  // the present one only
}

TEST(PortMove, AFriendlyNameEndingInItsNumberTakesTheNewOne) {
  const struct {
    const char16_t* name;
    int32_t from, to;
    const char16_t* renamed;  // null: left as it is
  } cases[] = {
      {u"USB Serial Port (COM5)", 5, 3, u"USB Serial Port (COM3)"},
      {u"(COM5)", 5, 12, u"(COM12)"},
      {u"USB Serial Port (COM50)", 5, 3, nullptr},
      {u"USB Serial Port (COM5) ", 5, 3, nullptr},
      {u"Bench (com5)", 5, 3, nullptr},
      {u"", 5, 3, nullptr},
  };
  for (const auto& c : cases) {
    char16_t renamed[32] = {};
    int32_t done = RenamedFriendlyName(c.name, c.from, c.to, renamed, 32);
    EXPECT_EQ(c.renamed != nullptr, done != 0) << Narrow(c.name);
    if (c.renamed != nullptr) {
      EXPECT_EQ(std::u16string(c.renamed), std::u16string(renamed));
    }
  }
  char16_t small[8];
  EXPECT_EQ(0, RenamedFriendlyName(u"Port (COM5)", 5, 3, small, 8));  // would be cut
}

}  // namespace
