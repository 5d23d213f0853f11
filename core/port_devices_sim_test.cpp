#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/process.h"
#include "base/text.h"
#include "core/port_devices.h"
#include "platform/sim/sim.h"

class Inventory : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    list = new PortDeviceList();
  }
  void TearDown() override {
    Clear(list);
    EXPECT_EQ(0, SimOpenDeviceSets());
    delete list;
  }
  SimDevice Device(const std::u16string& classGuid, const std::u16string& portName) {
    SimDevice d;
    d.classGuid = classGuid;
    d.deviceId = u"ROOT\\TEST\\" + std::u16string(4 - std::to_string(next).size(), u'0');
    for (char c : std::to_string(next++)) d.deviceId += static_cast<char16_t>(c);
    d.portName = portName;
    d.description = u"Test device";
    d.className = u"Ports";
    return d;
  }
  std::u16string Names() {
    std::u16string names;
    for (int i = 0; i < list->deviceCount; i++) names += list->devices[i]->portName + std::u16string(u" ");
    return names;
  }

  PortDeviceList* list;
  int next = 0;
};

TEST_F(Inventory, TakesOnlyComNamesOfPortsAndModems) {
  SimAddDevice(Device(kSimPortsClass, u"COM1"));
  SimAddDevice(Device(kSimPortsClass, u"LPT1"));
  SimAddDevice(Device(kSimPortsClass, u"com3"));
  SimAddDevice(Device(kSimModemClass, u"COM4"));
  SimAddDevice(Device(u"{4D36E978-E325-11CE-BFC1-08002BE10318}", u"COM5"));  // upper case
  SimAddDevice(Device(u"{4d36e96f-e325-11ce-bfc1-08002be10318}", u"COM6"));  // a mouse
  SimAddDevice(Device(u"", u"COM7"));                                        // no class
  SimDevice noName = Device(kSimPortsClass, u"");
  noName.hasPortName = false;
  SimAddDevice(noName);
  SimDevice noId = Device(kSimPortsClass, u"COM9");
  noId.idUnreadable = true;
  SimAddDevice(noId);
  SimAddDevice(Device(kSimPortsClass, u"COM"));
  EXPECT_EQ(4, Enumerate(list));
  EXPECT_EQ(0, InventoryBuilt(list));  // COM9's device holds a number not known
  EXPECT_EQ(u"COM1 COM4 COM5 COM ", Names());
  EXPECT_EQ(0, list->devices[3]->portNumber);
  EXPECT_EQ(nullptr, FindByPort(list, 3));
  EXPECT_EQ(nullptr, FindByPort(list, 6));
  // Member indices count every member, accepted or not.
  EXPECT_EQ(0, list->devices[0]->memberIndex);
  EXPECT_EQ(3, list->devices[1]->memberIndex);
  EXPECT_EQ(9, list->devices[3]->memberIndex);
}

// Every port a running driver named is read, whatever the driver's class:
// its number, with the value's name as its kernel name. Data that is no COM
// name the database could hold is passed over; the first value of a number
// stands for it; a live name whose number a present device carries is that
// device's own. A key that cannot be read leaves the list not whole.
TEST_F(Inventory, ReadsThePortsRunningDriversNamed) {
  const char16_t kLive[] = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";
  auto text = [](const std::u16string& t) {
    std::vector<uint8_t> bytes;
    for (char16_t c : t) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
  };
  SimAddLiveName(u"\\Device\\Serial0", u"COM1");
  SimAddLiveName(u"\\Device\\Serial1", u"com2");
  SimAddLiveName(u"\\Device\\Serial1b", u"COM2");   // the same number again
  SimAddLiveName(u"\\Device\\Present", u"COM4");
  SimAddLiveName(u"\\Device\\Ghost", u"COM5");
  SimAddLiveName(u"\\Device\\X0", u"LPT1");
  SimAddLiveName(u"\\Device\\X1", u"COM0");
  SimAddLiveName(u"\\Device\\X2", u"COM4097");
  SimAddLiveName(u"\\Device\\X3", u"COM6 ");
  SimAddLiveName(u"\\Device\\X4", u"COM7" + std::u16string(40, u'0'));  // longer than any name
  SimRegSetValue(kLive, u"\\Device\\X5", kOsRegDword, {8, 0, 0, 0});
  SimRegSetValue(kLive, u"\\Device\\X6", kOsRegBinary, text(u"COM8"));
  SimRegSetValue(kLive, u"\\Device\\X7", kOsRegSz, text(u"COM9"));  // no terminator
  SimAddLiveName(std::u16string(u"\\Device\\") + std::u16string(1000, u'L'), u"COM10");
  SimAddDevice(Device(kSimPortsClass, u"COM4"));
  SimDevice ghost = Device(kSimPortsClass, u"COM5");
  ghost.present = false;
  SimAddDevice(ghost);
  Enumerate(list);
  EXPECT_EQ(1, InventoryBuilt(list));
  const struct {
    int32_t port;
    const char16_t* kernelName;  // null: no live name
    bool ofDevice;
  } ports[] = {
      {1, u"\\Device\\Serial0", false}, {2, u"\\Device\\Serial1", false},
      {4, u"\\Device\\Present", true},  {5, u"\\Device\\Ghost", false},
      {6, nullptr, false},                {7, nullptr, false},
      {8, nullptr, false},                {9, u"\\Device\\X7", false},
      {0, nullptr, false},
  };
  for (const auto& p : ports) {
    SCOPED_TRACE(p.port);
    const PortDevice* d = FindLiveName(list, p.port);
    ASSERT_EQ(p.kernelName != nullptr, d != nullptr);
    if (d == nullptr) continue;
    EXPECT_EQ(std::u16string(p.kernelName), std::u16string(d->kernelName));
    EXPECT_EQ(std::u16string(u"(in use)"), std::u16string(d->deviceText));
    EXPECT_EQ(0u, d->deviceNode);
    EXPECT_EQ(p.ofDevice, d->liveNameOfDevice != 0);
    EXPECT_EQ(!p.ofDevice, InLiveUse(list, p.port) != 0);
  }
  // A name longer than the record holds is cut, and ends within it.
  const PortDevice* longName = FindLiveName(list, 10);
  ASSERT_NE(nullptr, longName);
  EXPECT_EQ(Units(longName->kernelName) - 1, TextLength(longName->kernelName));
  // What a row shows: the device before the live name.
  EXPECT_EQ(FindByPort(list, 5), FindHolder(list, 5));
  EXPECT_EQ(FindLiveName(list, 1), FindHolder(list, 1));

  SimRegFail(kSimRegEnum, kOsErrorAccessDenied);
  Enumerate(list);
  EXPECT_EQ(0, InventoryBuilt(list));
}

TEST_F(Inventory, FillsTheRecord) {
  SimAddPort(u"COM2");
  SimDevice gone = Device(kSimModemClass, u"COM11");
  gone.present = false;
  gone.description = u"Standard Modem";
  gone.className = u"Modem";
  SimAddDevice(gone);
  ASSERT_EQ(2, Enumerate(list));
  const PortDevice* a = list->devices[0];
  EXPECT_EQ(2, a->portNumber);
  EXPECT_EQ(0u, a->problemCode);
  EXPECT_EQ(0x0180200Au, a->nodeStatus);
  EXPECT_EQ(std::u16string(u"\\Device\\Serial2"), a->kernelName);
  EXPECT_EQ(std::u16string(u"Communications Port (COM2)"), a->deviceText);
  EXPECT_EQ(std::u16string(u"Ports"), a->className);
  EXPECT_NE(0u, a->deviceNode);
  const PortDevice* b = list->devices[1];
  EXPECT_EQ(11, b->portNumber);
  EXPECT_EQ(45u, b->problemCode);  // not present
  EXPECT_EQ(std::u16string(u""), b->kernelName);
  EXPECT_EQ(std::u16string(u"Standard Modem"), b->deviceText);  // no friendly name
  EXPECT_EQ(std::u16string(u"ROOT\\TEST\\0000"), b->deviceInstanceId);
  // What the repairs need, and no texts.
  ASSERT_EQ(2, Enumerate(list, kRepairDetail));
  a = list->devices[0];
  EXPECT_EQ(2, a->portNumber);
  EXPECT_EQ(0u, a->problemCode);
  EXPECT_EQ(std::u16string(), std::u16string(a->kernelName) + a->deviceText + a->className);
  EXPECT_EQ(45u, list->devices[1]->problemCode);
  EXPECT_EQ(std::u16string(u"ROOT\\TEST\\0000"), list->devices[1]->deviceInstanceId);
}

TEST_F(Inventory, FieldsStayTerminatedWhateverTheSystemHolds) {
  SimDevice d = Device(kSimPortsClass, u"COM4096");
  d.friendlyName = std::u16string(300, u'F');  // too long: the description is shown
  d.className = std::u16string(63, u'C');
  d.deviceId = u"ROOT\\" + std::u16string(254, u'I');  // 259 units, the longest
  SimAddDevice(d);
  SimAddDevice(Device(kSimPortsClass, u"COM1234567890"));  // thirteen characters
  SimAddDevice(Device(kSimPortsClass, u"COM12345678901"));  // fourteen: too long
  ASSERT_EQ(2, Enumerate(list));
  EXPECT_EQ(4096, list->devices[0]->portNumber);
  EXPECT_EQ(std::u16string(u"Test device"), list->devices[0]->deviceText);
  EXPECT_EQ(63u, std::u16string(list->devices[0]->className).size());
  EXPECT_EQ(259u, std::u16string(list->devices[0]->deviceInstanceId).size());
  EXPECT_EQ(std::u16string(u"COM1234567890"), list->devices[1]->portName);
  EXPECT_EQ(1234567890, list->devices[1]->portNumber);
}

TEST_F(Inventory, FindByPortPrefersAWorkingDeviceThenTheLastWithAProblem) {
  SimAddPort(u"COM3", false);
  SimAddPort(u"COM3", true);
  SimAddPort(u"COM3", false);
  SimAddPort(u"COM4", false);
  SimAddPort(u"COM4", false);
  ASSERT_EQ(5, Enumerate(list));
  EXPECT_EQ(list->devices[1], FindByPort(list, 3));
  EXPECT_EQ(list->devices[4], FindByPort(list, 4));
  list->devices[4]->deviceNode = 0;  // removed
  EXPECT_EQ(list->devices[3], FindByPort(list, 4));
  list->devices[3]->deviceNode = 0;
  EXPECT_EQ(nullptr, FindByPort(list, 4));
  EXPECT_EQ(nullptr, FindByPort(list, 0));
}

TEST_F(Inventory, RefillsInPlaceAndSurvivesAFailedSet) {
  SimAddPort(u"COM1");
  EXPECT_EQ(1, Enumerate(list));
  SimAddPort(u"COM2");
  EXPECT_EQ(2, Enumerate(list));
  EXPECT_EQ(1, SimOpenDeviceSets());
  SimFailDeviceSet(true);
  EXPECT_EQ(0, Enumerate(list));
  EXPECT_EQ(0u, list->deviceInfoSet);
  EXPECT_EQ(0, SimOpenDeviceSets());
}

// The enumeration ends where the system says there are no more members;
// one that fails on the way leaves devices unseen, whose numbers must not
// look free.
TEST_F(Inventory, AnEnumerationThatFailsOnTheWayLeavesTheListNotWhole) {
  const struct {
    int32_t status;  // of the second member
    int32_t listed;
    int32_t built;
  } cases[] = {
      {kOsErrorSuccess, 3, 1},
      {kOsErrorNoMoreItems, 1, 1},
      {kOsErrorNotEnoughMemory, 1, 0},
      {kOsErrorGenFailure, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    SimReset();
    SimAddPort(u"COM1");
    SimAddPort(u"COM2");
    SimAddPort(u"COM3");
    if (c.status != kOsErrorSuccess) SimFailDeviceEnum(1, c.status);
    EXPECT_EQ(c.listed, Enumerate(list));
    EXPECT_EQ(c.built, InventoryBuilt(list));
  }
}

TEST_F(Inventory, StopsAtItsCapacityAndSaysTheListIsNotWhole) {
  for (int i = 0; i < kDeviceCapacity; i++) SimAddPort(u"COM" + std::u16string(1, u'1'), false);
  EXPECT_EQ(kDeviceCapacity, Enumerate(list));
  EXPECT_EQ(1, InventoryBuilt(list));
  for (int i = 0; i < 5; i++) SimAddPort(u"COM" + std::u16string(1, u'1'), false);
  EXPECT_EQ(kDeviceCapacity, Enumerate(list));
  EXPECT_EQ(list->devices[kDeviceCapacity - 1], FindByPort(list, 1));
  EXPECT_EQ(0, InventoryBuilt(list));
}

TEST_F(Inventory, APortNameIsItsTextUpToTheFirstZeroWhateverItIsStoredAs) {
  auto add = [this](uint32_t type, const std::vector<uint8_t>& bytes) {
    SimDevice d = Device(kSimPortsClass, u"");
    d.hasPortName = false;
    SimAddDevice(d);
    SimRegSetValue(u"System\\CurrentControlSet\\Enum\\" + d.deviceId + u"\\Device Parameters",
                   u"PortName", type, bytes);
  };
  auto text = [](const std::u16string& t, size_t bytes) {
    std::vector<uint8_t> b(bytes, 0);
    for (size_t i = 0; i < t.size() && 2 * i + 1 < bytes; i++) {
      b[2 * i] = static_cast<uint8_t>(t[i]);
      b[2 * i + 1] = static_cast<uint8_t>(t[i] >> 8);
    }
    return b;
  };
  add(kOsRegSz, text(u"COM3", 64));       // kept in a larger buffer: taken
  add(7, text(u"", 4));                   // an empty REG_MULTI_SZ: none
  add(kOsRegSz, text(u"COM5", 8));        // no terminator stored: taken
  add(kOsRegBinary, std::vector<uint8_t>(10, 0));  // zeros: none
  add(kOsRegSz, text(u"COM12345678901", 30));      // fourteen characters: none
  add(kOsRegSz, text(u"COM7", 600));      // longer than any name is kept: none
  add(kOsRegDword, {5, 0, 0, 0});         // a number: none
  EXPECT_EQ(2, Enumerate(list));
  EXPECT_EQ(u"COM3 COM5 ", Names());
  EXPECT_EQ(1, InventoryBuilt(list));  // every value was read
}

TEST_F(Inventory, APortNameThatCannotBeReadLeavesTheListNotWhole) {
  SimAddPort(u"COM1");
  SimAddDevice(Device(kSimPortsClass, u"COM2"));
  SimDevice none = Device(kSimPortsClass, u"");
  none.hasPortName = false;  // no key even: an ordinary device without a port
  SimAddDevice(none);
  Enumerate(list);
  EXPECT_EQ(1, InventoryBuilt(list));
  SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 1, u"PortName");
  EXPECT_EQ(1, Enumerate(list));
  EXPECT_EQ(0, InventoryBuilt(list));
  SimRegFail(kSimRegOpen, kOsErrorAccessDenied);  // a key there that cannot be opened
  EXPECT_EQ(1, Enumerate(list));
  EXPECT_EQ(0, InventoryBuilt(list));
  EXPECT_EQ(2, Enumerate(list));  // read again: whole
  EXPECT_EQ(1, InventoryBuilt(list));
}

// Device removal.

// Core shows nothing: every failure comes back as a record.
class Removal : public Inventory {
 protected:
  void TearDown() override {
    EXPECT_TRUE(SimMessageBoxes().empty());
    Inventory::TearDown();
  }
  int32_t Remove(int record) {
    OsDeviceData data = {};
    data.size = sizeof data;
    EXPECT_EQ(kOsErrorSuccess,
              OsEnumDevice(list->deviceInfoSet, list->devices[record]->memberIndex, &data));
    return RemoveDevice(list->deviceInfoSet, &data, &failure);
  }
  // "kind|error|device ID" of the last failure.
  std::string Recorded() {
    std::string id(failure.deviceId, failure.deviceId + std::char_traits<char16_t>::length(failure.deviceId));
    return std::to_string(failure.kind) + "|" + std::to_string(failure.errorCode) + "|" + id;
  }
  Failure failure = {};
};

TEST_F(Removal, RemovedNodeCountsAsRemoved) {
  int index = SimAddPort(u"COM5", false);
  Enumerate(list);
  EXPECT_EQ(1, Remove(0));
  EXPECT_TRUE(SimDeviceRemoved(index));
  EXPECT_EQ(kNoFailure, failure.kind);
}

// Failures before the class installer is called: recorded with the error,
// when there is one, for batch mode; the window shows no box for them.
TEST_F(Removal, FailuresBeforeTheInstallerAreRecordedToo) {
  SimDevice refused = Device(kSimPortsClass, u"COM5");
  refused.refuseRemoveParams = true;
  SimAddDevice(refused);
  Enumerate(list);
  EXPECT_EQ(0, Remove(0));
  EXPECT_EQ("6|3758096907|", Recorded());
  EXPECT_EQ(0, RemoveDevice(list->deviceInfoSet, nullptr, &failure));
  OsDeviceData none = {};
  none.size = sizeof none;
  EXPECT_EQ(0, RemoveDevice(list->deviceInfoSet, &none, &failure));
  EXPECT_EQ("6|0|", Recorded());
  EXPECT_EQ(0, SimRemovalCount());
}

// The configuration manager's own answer (CR_INVALID_DEVNODE), as the
// system error it stands for; the thread's last error is unrelated.
TEST_F(Removal, AnUnreadableIdRecordsTheConfigurationManagersAnswer) {
  SimDevice d = Device(kSimPortsClass, u"COM5");
  SimAddDevice(d);
  Enumerate(list);
  // The ID becomes unreadable after the inventory was taken.
  SimReset();
  d.idUnreadable = true;
  SimAddDevice(d);
  OsDeviceSet set;
  ASSERT_EQ(kOsErrorSuccess, OsGetAllDevices(&set));
  OsDeviceData data = {};
  data.size = sizeof data;
  OsEnumDevice(set, 0, &data);
  OsSetLastError(87);
  EXPECT_EQ(0, RemoveDevice(set, &data, &failure));
  OsDestroyDeviceSet(set);
  EXPECT_EQ("1|13|", Recorded());  // INVALID_DATA
  EXPECT_EQ(0, SimRemovalCount());
  list->deviceInfoSet = 0;  // that set went with the reset
}

TEST_F(Removal, FailingInstallerNamesTheErrorAndTheDevice) {
  SimDevice d = Device(kSimPortsClass, u"COM5");
  d.installerError = 5;
  SimAddDevice(d);
  d.installerError = 0xE0000219;
  SimAddDevice(d);
  Enumerate(list);
  EXPECT_EQ(0, Remove(0));
  EXPECT_EQ("2|5|ROOT\\TEST\\0000", Recorded());
  EXPECT_EQ(0, Remove(1));
  EXPECT_EQ("2|3758096921|ROOT\\TEST\\0000", Recorded());
}

TEST_F(Removal, NodeStillLocatableIsNotRemoved) {
  SimDevice d = Device(kSimPortsClass, u"COM5");
  d.stillLocatable = true;
  SimAddDevice(d);
  Enumerate(list);
  EXPECT_EQ(0, Remove(0));
  EXPECT_EQ("3|0|ROOT\\TEST\\0000", Recorded());
}

TEST_F(Removal, IsVerifiedOnTheNodeItWasHandedWhateverTheInstallerLeaves) {
  SimDevice d = Device(kSimPortsClass, u"COM5");
  d.stillLocatable = true;
  SimAddDevice(d);
  SimInstallerEmptiesData(true);
  Enumerate(list);
  EXPECT_EQ(0, Remove(0));
  EXPECT_EQ(kDeviceStillThere, failure.kind);
}

TEST_F(Removal, ARecordsDeviceIsFoundByItsNodeAfterTheSetHasMoved) {
  SimRemovalShiftsSets(true);
  int first = SimAddPort(u"COM2", false);
  int second = SimAddPort(u"COM3", false);
  int present = SimAddPort(u"COM4");
  Enumerate(list);
  ASSERT_EQ(3, list->deviceCount);
  EXPECT_EQ(1, RemoveListedDevice(list, list->devices[0], &failure));
  EXPECT_EQ(0u, list->devices[0]->deviceNode);
  // The second record's member index now names the present device.
  EXPECT_EQ(1, RemoveListedDevice(list, list->devices[1], &failure));
  EXPECT_TRUE(SimDeviceRemoved(first));
  EXPECT_TRUE(SimDeviceRemoved(second));
  EXPECT_FALSE(SimDeviceRemoved(present));

  // A removed record, or a node the set no longer holds, gives no data and
  // no removal.
  OsDeviceData data;
  EXPECT_EQ(0, FetchDeviceData(list, list->devices[0], &data));
  EXPECT_EQ(0, RemoveListedDevice(list, list->devices[1], &failure));
  PortDevice stranger = *list->devices[2];
  stranger.deviceNode = 99;
  EXPECT_EQ(0, RemoveListedDevice(list, &stranger, &failure));
  EXPECT_EQ(2, SimRemovalCount());
}
