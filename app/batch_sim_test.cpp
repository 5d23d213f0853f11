#include <gtest/gtest.h>

#include <vector>

#include "app/app_main.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

typedef std::vector<uint8_t> Bytes;

class Batch : public testing::Test {
 protected:
  void SetUp() override { SimReset(); }
  void Seed(const Bytes& bytes) { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, bytes); }
  Bytes Stored() { return SimRegValue(kComArbiterPath, kComDbName); }
  SimDevice Failing(const std::u16string& portName) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = u"ROOT\\FAIL\\" + portName;
    d.portName = portName;
    d.present = false;
    d.installerError = 5;
    return d;
  }
};

TEST_F(Batch, ClearKeepsNumbersThatAnyDeviceCarries) {
  Seed(Bytes{0xFF, 0xFF});
  SimAddPort(u"COM1");
  SimAddPort(u"COM3", false);  // not present still counts
  SimAddPort(u"COM16");
  SimAddPort(u"COM40");  // beyond the value
  EXPECT_EQ(0, AppMain(1, u"/c", 10));
  EXPECT_EQ((Bytes{0x05, 0x80}), Stored());
  EXPECT_TRUE(SimMessageBoxes().empty());
  EXPECT_EQ(0, SimRemovalCount());
}

TEST_F(Batch, ClearWritesOnlyWhenItFreesAReservedNumber) {
  Seed(Bytes{0x00});
  for (int p = 1; p <= 7; p++) SimAddPort(u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + p)));
  EXPECT_EQ(0, AppMain(1, u"-c", 10));
  EXPECT_EQ(0, SimRegWriteCount());  // port 8 has no device, but was free already
  EXPECT_EQ(Bytes{0x00}, Stored());
}

TEST_F(Batch, ClearWritesNothingWhenEveryNumberHasADevice) {
  Seed(Bytes{0xFF});
  for (int p = 1; p <= 8; p++) SimAddPort(u"COM" + std::u16string(1, static_cast<char16_t>(u'0' + p)));
  EXPECT_EQ(0, AppMain(1, u"/C", 10));
  EXPECT_EQ(0, SimRegWriteCount());
}

TEST_F(Batch, ClearOnAMissingValueCreatesIt) {
  SimAddPort(u"COM2");
  EXPECT_EQ(0, AppMain(1, u"/c", 10));
  EXPECT_EQ(Bytes(32, 0), Stored());
}

TEST_F(Batch, ClearLeavesAnUnreadableValueAloneAndSaysSo) {
  Seed(Bytes(32, 0xFF));
  SimAddPort(u"COM3", false);
  SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100);
  EXPECT_EQ(3, AppMain(1, u"/c /r", 10));
  EXPECT_EQ(Bytes(32, 0xFF), Stored());
  EXPECT_EQ(0, SimRemovalCount());
}

TEST_F(Batch, ALongerComDbThanWindowsWritesIsLeftAloneAndSaysSo) {
  for (const char16_t* args : {u"/c", u"/r", u"/c /r"}) {
    SimReset();
    Bytes stored(kLargestComDbBytes + 8, 0xFF);
    Seed(stored);
    SimAddPort(u"COM2", false);
    EXPECT_EQ(3, AppMain(1, args, 10)) << args;
    EXPECT_EQ(stored, Stored());
    EXPECT_EQ(0, SimRemovalCount());
  }
}

TEST_F(Batch, NothingIsFreedOrRemovedWithoutTheDeviceList) {
  for (const char16_t* args : {u"/c", u"/r", u"/c /r"}) {
    SimReset();
    Seed(Bytes{0xFF});
    SimAddPort(u"COM1");
    SimAddPort(u"COM2", false);
    SimFailDeviceSet(true);  // every port would look as if no device held it
    EXPECT_EQ(3, AppMain(1, args, 10)) << args;
    EXPECT_EQ(0, SimRegWriteCount()) << args;
    EXPECT_EQ(0, SimRemovalCount()) << args;
    EXPECT_TRUE(SimMessageBoxes().empty());
  }
}

TEST_F(Batch, RemoveWithNothingNonPresentWritesNothing) {
  Seed(Bytes{0xFF});
  SimAddPort(u"COM1");
  EXPECT_EQ(0, AppMain(1, u"/r", 10));
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_EQ(0, SimRemovalCount());
}

TEST_F(Batch, RemoveGoesOnPastAFailureAndReportsIt) {
  Seed(Bytes{0xFF});
  SimAddDevice(Failing(u"COM2"));
  int removed = SimAddPort(u"COM3", false);
  SimAddPort(u"COM4");  // present: kept
  EXPECT_EQ(2, AppMain(1, u"/r", 10));
  EXPECT_TRUE(SimDeviceRemoved(removed));
  EXPECT_EQ(1, SimRemovalCount());
  EXPECT_EQ((Bytes{0xFB}), Stored());  // only port 3 freed
  ASSERT_EQ(1u, SimMessageBoxes().size());
  EXPECT_EQ(u"ACCESS_DENIED removing\nROOT\\FAIL\\COM2", SimMessageBoxes()[0].text);
}

TEST_F(Batch, RemoveKeepsANumberAnotherDeviceCarries) {
  Seed(Bytes{0x06});
  SimAddPort(u"COM2", false);
  SimAddPort(u"COM2", true);
  SimAddPort(u"COM3", false);
  SimAddPort(u"COM3", false);
  SimAddPort(u"COM0", false);     // a number outside the value
  SimAddPort(u"COM999", false);   // likewise
  EXPECT_EQ(0, AppMain(1, u"/r", 10));
  EXPECT_EQ(5, SimRemovalCount());
  EXPECT_EQ(Bytes{0x02}, Stored());  // 2 stays, 3 freed once both are gone
}

TEST_F(Batch, BothSwitchesClearFirstThenRemove) {
  for (const char16_t* args : {u"/c /r", u"/c/r", u"-r -c"}) {
    SimReset();
    Seed(Bytes{0xFF});
    SimAddPort(u"COM1");
    SimAddPort(u"COM2", false);
    EXPECT_EQ(0, AppMain(1, args, 10));
    // The clear step keeps 2 (a device carries it); the removal frees it.
    EXPECT_EQ(Bytes{0x01}, Stored());
    EXPECT_EQ(2, SimRegWriteCount());
  }
}
