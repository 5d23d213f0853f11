// The repairs' contract, over the engine that both faces share: what each
// rule frees, removes and writes, and what it tells its face.
#include "core/repairs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory.h"
#include "platform/sim/sim.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// What the engine told, one line an event.
struct Told {
  std::string text;
  int stopAfter = -1;  // removals after which stop answers yes; -1 never
  int removals = 0;
};

std::string Narrow(const char16_t* text) {
  std::string out;
  for (; *text != 0; text++) out += static_cast<char>(*text);
  return out;
}

void Freed(void* c, int32_t port) { static_cast<Told*>(c)->text += "freed " + std::to_string(port) + "\n"; }
void Removed(void* c, const PortDevice* device, PortDevice* next) {
  auto* told = static_cast<Told*>(c);
  told->removals++;
  told->text += "removed " + Narrow(device->deviceInstanceId) +
                (next == nullptr ? ""
                 : next->liveName ? " then " + Narrow(next->kernelName)
                                  : " then " + Narrow(next->deviceInstanceId)) +
                "\n";
}
void Failed(void* c, const Failure& failure, const PortDevice* device) {
  static_cast<Told*>(c)->text +=
      "failed " + Narrow(device->deviceInstanceId) + " " + std::to_string(failure.errorCode) + "\n";
}
void Saved(void* c, int32_t ok, const Failure& failure) {
  static_cast<Told*>(c)->text += ok ? "saved\n" : "unsaved " + std::to_string(failure.kind) + "\n";
}
int32_t Stop(void* c) {
  auto* told = static_cast<Told*>(c);
  return told->stopAfter >= 0 && told->removals >= told->stopAfter;
}

class Repairs : public testing::Test {
 protected:
  void SetUp() override { SimReset(); }
  void TearDown() override { Release(); }
  void Release() {
    if (devices != nullptr) {
      Clear(devices);
      MemFree(devices);
      devices = nullptr;
    }
    Clear(&reservations);
  }
  // A clean machine with ComDB and the devices a case adds.
  void Start(const Bytes& comDb) {
    Release();
    SimReset();
    next = 0;
    if (!comDb.empty()) SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
  }
  RepairResult Run(RepairRequest request, Told* told) {
    Load(&reservations);
    devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
    Enumerate(devices, kRepairDetail);
    const RepairCallbacks callbacks = {told, Freed, Removed, Failed, Saved, Stop};
    return RunRepairs(&reservations, devices, request, callbacks);
  }
  // Ghosts are named GA_COM2, GB_COM5, ... in the order they are added.
  int Ghost(const std::u16string& portName, uint32_t installerError = 0) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = u"G" + std::u16string(1, static_cast<char16_t>(u'A' + next++ % 26)) + u"_" + portName;
    d.portName = portName;
    d.present = false;
    d.installerError = installerError;
    return SimAddDevice(d);
  }
  Bytes Stored() { return SimRegValue(kComArbiterPath, kComDbName); }

  PortReservations reservations = {};
  PortDeviceList* devices = nullptr;
  int next = 0;
};

// Names for the tables' flags.
const bool kWritten = true, kNotWritten = false;
const bool kDryRun = true, kRealRun = false;
const int kNeverStopped = -1;
enum StepFault { kNoFault, kGhostFails, kWriteFails };
enum StepOutcome { kSaved, kSaveFailed, kLeftUnsaved };

RepairRequest Clearing(ClearSave save) {
  RepairRequest r = {};
  r.administrator = true;
  r.clear = 1;
  r.clearSave = save;
  return r;
}

RepairRequest Removing(RemovalScope scope) {
  RepairRequest r = {};
  r.administrator = true;
  r.remove = 1;
  r.scope = scope;
  return r;
}

// A number no device carries is freed; a device that is not present still
// carries its number. When the clear writes is its face's rule: batch mode
// whenever a number has no device (so it creates a missing ComDB), the
// window only when it freed one.
TEST_F(Repairs, ClearFreesNumbersNoDeviceCarriesAndWritesByItsRule) {
  const struct {
    const char* name;
    Bytes stored;  // empty: no ComDB
    ClearSave save;
    Bytes want;    // empty: still none
    bool saves;
    int freed;
  } cases[] = {
      {"ghost keeps 3, COM40 beyond", {0xFF, 0xFF}, kSaveWhatWasFreed, {0x05, 0x80}, kWritten, 13},
      {"same, batch's rule", {0xFF, 0xFF}, kSaveWhenANumberHasNoDevice, {0x05, 0x80}, kWritten, 13},
      {"nothing reserved, batch: written as it is", {0x00, 0x00}, kSaveWhenANumberHasNoDevice,
       {0, 0}, kWritten, 0},
      {"nothing reserved, window: not written", {0x00, 0x00}, kSaveWhatWasFreed, {0, 0},
       kNotWritten, 0},
      {"a missing ComDB, batch: created", {}, kSaveWhenANumberHasNoDevice, Bytes(32, 0), kWritten,
       0},
      {"a missing ComDB, window: left", {}, kSaveWhatWasFreed, {}, kNotWritten, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.stored);
    SimAddPort(u"COM1");
    Ghost(u"COM3");
    SimAddPort(u"COM16");
    SimAddPort(u"COM40");
    Told told;
    RepairResult result = Run(Clearing(c.save), &told);
    EXPECT_EQ(c.freed, result.freed);
    EXPECT_EQ(c.saves, told.text.find("saved") != std::string::npos);
    EXPECT_EQ(c.want, Stored());
    EXPECT_EQ(0, SimRemovalCount());
  }
}

// Batch mode takes every device that is not present, in the inventory's
// order, and goes on past a failure; a number is freed once no device
// carries it. The window's button works the ports in the list's order and
// only while the device chosen for one is not present; a failed removal
// ends the work on its port; numbers without any device are freed on the
// way, but written only when a device was removed.
TEST_F(Repairs, EachScopeRemovesItsDevicesAndFreesNumbersNoneCarriesAnyMore) {
  const struct {
    const char* name;
    RemovalScope scope;
    std::vector<int32_t> ports;  // the window's order; empty: ascending
    std::string told;
    Bytes want;
  } cases[] = {
      {"batch", kEveryNonPresentDevice, {},
       "removed GA_COM2 then WORK\nfailed GB_COM5 5\nremoved GC_COM4 then GD_COM4\n"
       "removed GD_COM4\nfreed 4\nremoved GE_COM0\nsaved\n",
       {0x33}},
      {"window, descending", kWhereNoWorkingDevice, {8, 7, 6, 5, 4, 3, 2, 1},
       "freed 6\nfailed GB_COM5 5\nremoved GD_COM4 then GC_COM4\nremoved GC_COM4\nfreed 4\n"
       "freed 1\nsaved\n",
       {0x12}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start({0x3B});  // 1, 2, 4, 5, 6 reserved
    SimDevice work;
    work.classGuid = kSimPortsClass;
    work.deviceId = u"WORK";
    work.portName = u"COM2";
    SimAddDevice(work);   // working: the window keeps the ghost beside it
    Ghost(u"COM2");
    Ghost(u"COM5", 5);    // fails
    Ghost(u"COM4");
    Ghost(u"COM4");
    Ghost(u"COM0");       // a number outside the value
    RepairRequest request = Removing(c.scope);
    request.ports = c.ports.empty() ? nullptr : c.ports.data();
    request.portCount = static_cast<int32_t>(c.ports.size());
    Told told;
    RepairResult result = Run(request, &told);
    EXPECT_EQ(c.told, told.text);
    EXPECT_EQ(c.want, Stored());
    EXPECT_EQ(1, result.removalFailed);
    EXPECT_EQ(0, result.saveFailed);
  }
}

// The write a step is due for, and what becomes of changes no write is due
// for: the window's removal that removed nothing frees the numbers without
// a device in the model only, which then goes back to what is stored; a
// failed write is told and leaves the model as stored too.
TEST_F(Repairs, AStepWritesWhenItIsDueAndNothingIsLeftForALaterSave) {
  const struct {
    const char* name;
    StepFault fault;
    std::string told;
    StepOutcome outcome;
  } cases[] = {
      {"removed", kNoFault, "removed GA_COM1\nfreed 1\nfreed 2\nsaved\n", kSaved},
      {"nothing removed", kGhostFails, "failed GA_COM1 5\nfreed 2\n", kLeftUnsaved},
      {"write failed", kWriteFails,
       "removed GA_COM1\nfreed 1\nfreed 2\nunsaved " + std::to_string(kComDbUnwritten) + "\n",
       kSaveFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start({0x03});  // COM2 reserved without any device
    SimDevice ghost;
    ghost.classGuid = kSimPortsClass;
    ghost.deviceId = u"GA_COM1";
    ghost.portName = u"COM1";
    ghost.present = false;
    ghost.installerError = c.fault == kGhostFails ? 5 : 0;
    SimAddDevice(ghost);
    if (c.fault == kWriteFails) SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied, 100);
    Told told;
    RepairResult result = Run(Removing(kWhereNoWorkingDevice), &told);
    EXPECT_EQ(c.told, told.text);
    EXPECT_EQ(c.outcome == kSaveFailed, result.saveFailed != 0);
    EXPECT_EQ(c.outcome == kLeftUnsaved, result.unsaved != 0);
    // Whatever came of it, the model holds what is stored.
    Bytes stored = Stored();
    for (int32_t p = 1; p <= 8; p++) EXPECT_EQ((stored[0] >> (p - 1)) & 1, reservations.reservedFlags[p - 1]) << p;
  }
}

// Nothing is freed, removed or written on models that cannot be trusted:
// a device list not read whole, ComDB longer than Windows writes, or, for
// a clear, a ComDB that could not be read.
TEST_F(Repairs, NothingIsDoneOnModelsThatCannotBeTrusted) {
  const struct {
    const char* name;
    bool clear;
    int fault;  // 0 device list, 1 ComDB unread, 2 ComDB too long
    ChangeRefusal refused;
  } cases[] = {
      {"clear, no device list", true, 0, kNoDeviceList},
      {"remove, no device list", false, 0, kNoDeviceList},
      {"clear, ComDB unread", true, 1, kNoPortDatabase},
      {"clear, ComDB too long", true, 2, kPortDatabaseTooLong},
      {"remove, ComDB too long", false, 2, kPortDatabaseTooLong},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes stored = c.fault == 2 ? Bytes(kLargestComDbBytes + 1, 0xFF) : Bytes{0xFF};
    Start(stored);
    Ghost(u"COM2");
    if (c.fault == 0) SimFailDeviceSet(true);
    if (c.fault == 1) SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100, kComDbName);
    RepairRequest request = Removing(kEveryNonPresentDevice);
    request.clear = c.clear;
    Told told;
    EXPECT_EQ(c.refused, Run(request, &told).refused);
    EXPECT_EQ("", told.text);
    EXPECT_EQ(0, SimRegWriteCount());
    EXPECT_EQ(0, SimRemovalCount());
  }
}

// Both steps: the clear keeps the number a ghost carries; the removal then
// frees it. A dry run tells the same and changes nothing. A stop ends the
// removals after the device being removed, and what was freed is written.
TEST_F(Repairs, ClearThenRemoveAsADryRunAndWhenStopped) {
  const struct {
    const char* name;
    bool dryRun;
    int stopAfter;
    std::string told;
    Bytes want;
  } cases[] = {
      {"run", kRealRun, kNeverStopped,
       "freed 1\nsaved\nremoved GA_COM2\nfreed 2\nremoved GB_COM3\nfreed 3\nsaved\n", {0x00}},
      {"dry run", kDryRun, kNeverStopped,
       "freed 1\nremoved GA_COM2\nfreed 2\nremoved GB_COM3\nfreed 3\n", {0x07}},
      {"stopped", kRealRun, 1, "freed 1\nsaved\nremoved GA_COM2\nfreed 2\nsaved\n", {0x04}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start({0x07});
    int first = Ghost(u"COM2");
    int second = Ghost(u"COM3");
    RepairRequest request = Clearing(kSaveWhenANumberHasNoDevice);
    request.remove = 1;
    request.dryRun = c.dryRun;
    Told told;
    told.stopAfter = c.stopAfter;
    RepairResult result = Run(request, &told);
    EXPECT_EQ(c.told, told.text);
    EXPECT_EQ(c.want, Stored());
    EXPECT_EQ(!c.dryRun, SimDeviceRemoved(first));
    EXPECT_EQ(!c.dryRun && c.stopAfter < 0, SimDeviceRemoved(second));
    EXPECT_EQ(c.stopAfter >= 0 ? 1 : 0, result.stopped);
  }
}

// A number a running driver uses that no listed present device stands for
// is never freed: not by the clear, not when its ghost goes, not by a
// chosen removal. A present device's own live name goes with the device.
TEST_F(Repairs, ANumberARunningDriverUsesIsNeverFreed) {
  const struct {
    const char* name;
    RepairRequest request;  // chosen: request.remove and clear both 0
    std::string told;
    Bytes want;
    bool secondName = false;  // another driver names COM3 too
  } cases[] = {
      {"clear", Clearing(kSaveWhenANumberHasNoDevice), "freed 4\nsaved\n", {0x07}},
      {"batch removal", Removing(kEveryNonPresentDevice),
       "removed GA_COM2 then \\Device\\VCP0\nremoved GB_COM1 then \\Device\\Serial0\nsaved\n",
       {0x0F}},
      {"the button", Removing(kWhereNoWorkingDevice),
       "removed GB_COM1 then \\Device\\Serial0\nremoved GA_COM2 then \\Device\\VCP0\nfreed 4\n"
       "saved\n",
       {0x07}},
      {"chosen", RepairRequest{}, "removed GA_COM2 then \\Device\\VCP0\nremoved "
                                  "ACPI\\PNP0501\\2_COM3\nfreed 3\nsaved\n",
       {0x0B}},
      {"chosen, another driver names 3 too", RepairRequest{},
       "removed GA_COM2 then \\Device\\VCP0\nremoved ACPI\\PNP0501\\2_COM3 then "
       "\\Device\\Serial2\nsaved\n",
       {0x0F}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start({0x0F});
    SimAddLiveName(u"\\Device\\Serial0", u"COM1");  // a driver of another class
    SimAddLiveName(u"\\Device\\VCP0", u"COM2");
    SimAddLiveName(u"\\Device\\Serial2", u"COM3");  // the present port's own
    if (c.secondName) SimAddLiveName(u"\\Device\\VCP3", u"COM3");
    Ghost(u"COM2");
    Ghost(u"COM1");
    SimAddPort(u"COM3");
    Told told;
    Run(c.request, &told);
    if (!c.request.clear && !c.request.remove) {
      const RepairCallbacks callbacks = {&told, Freed, Removed, Failed, Saved, Stop};
      RemoveChosenDevice(&reservations, devices, FindByPort(devices, 2), callbacks);
      RemoveChosenDevice(&reservations, devices, FindByPort(devices, 3), callbacks);
      SaveRepairs(&reservations, callbacks);
    }
    EXPECT_EQ(c.told, told.text);
    EXPECT_EQ(c.want, Stored());
  }
}

// A chosen device goes whether it is present or not, and its number is
// freed even where another device carries it; a removed one has nothing
// left to remove.
TEST_F(Repairs, AChosenDeviceGoesAndItsNumberIsFreedWhateverElseCarriesIt) {
  Start({0x02});
  int present = SimAddPort(u"COM2");
  int other = Ghost(u"COM2");
  Told told;
  Run(RepairRequest{}, &told);
  const RepairCallbacks callbacks = {&told, Freed, Removed, Failed, Saved, Stop};
  PortDevice* chosen = FindByPort(devices, 2);
  EXPECT_EQ(1, RemoveChosenDevice(&reservations, devices, chosen, callbacks));
  EXPECT_EQ(0, RemoveChosenDevice(&reservations, devices, chosen, callbacks));
  EXPECT_EQ(1, SaveRepairs(&reservations, callbacks));
  EXPECT_TRUE(SimDeviceRemoved(present));
  EXPECT_FALSE(SimDeviceRemoved(other));
  EXPECT_EQ(Bytes{0x00}, Stored());
  EXPECT_EQ(0u, told.text.find("removed ACPI\\PNP0501\\0_COM2 then GA_COM2\nfreed 2\nsaved\n"))
      << told.text;
}

}  // namespace
