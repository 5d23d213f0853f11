// /export and /apply from a script: what they write, and the codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_main.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

namespace {

typedef std::vector<uint8_t> Bytes;

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

class BatchPlan : public testing::Test {
 protected:
  // Two adapters in two sockets of a hub, on COM3 and COM4.
  void SetUp() override {
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x0C});
    SimDevice hub;
    hub.classGuid = u"{36fc9e60-c465-11cf-8056-444553540000}";
    hub.deviceId = u"USB\\ROOT_HUB30\\1";
    hub.hasPortName = false;
    hub.locationPath = u"PCIROOT(0)#USBROOT(0)";
    int parent = SimAddDevice(hub);
    for (int i = 0; i < 2; i++) {
      SimDevice d;
      d.classGuid = kSimPortsClass;
      d.deviceId = i == 0 ? u"USB\\VID_0403&PID_6001\\A1" : u"USB\\VID_0403&PID_6001\\B2";
      d.portName = i == 0 ? u"COM3" : u"COM4";
      d.friendlyName = u"USB Serial Port (" + d.portName + u")";
      d.locationPath = i == 0 ? u"PCIROOT(0)#USBROOT(0)#USB(1)" : u"PCIROOT(0)#USBROOT(0)#USB(2)";
      d.parent = parent;
      ports[i] = SimAddDevice(d);
    }
  }
  std::string Names() {
    return Narrow(SimDeviceAt(ports[0]).portName) + " " + Narrow(SimDeviceAt(ports[1]).portName);
  }
  void Plan(const std::string& text) {
    SimFile file;
    file.content = text;
    SimFileSet("C:\\plan.txt", file);
  }
  int ports[2] = {};
};

const char kExported[] =
    "# The number plan of this machine's serial ports, as Varnick exported it:\r\n"
    "# one rule a line, COMn, then location, instance or hardware, then the identity.\r\n"
    "# USB Serial Port (COM3)\r\nCOM3 location PCIROOT(0)#USBROOT(0)#USB(1)\r\n"
    "# USB Serial Port (COM4)\r\nCOM4 location PCIROOT(0)#USBROOT(0)#USB(2)\r\n";
const char kSwapped[] =
    "COM4 location PCIROOT(0)#USBROOT(0)#USB(1)\r\nCOM3 location PCIROOT(0)#USBROOT(0)#USB(2)\r\n";

// A machine exports its plan, and applying it there changes nothing.
TEST_F(BatchPlan, AnExportedPlanAppliedWhereItCameFromChangesNothing) {
  EXPECT_EQ(0, AppMain(1, u"/export C:\\plan.txt", 10));
  SimFile exported;
  ASSERT_TRUE(SimFileGet("C:\\plan.txt", &exported));
  EXPECT_EQ(kExported, exported.content);
  EXPECT_EQ(0, AppMain(1, u"/export", 10));
  const std::u16string printed(kExported, kExported + sizeof kExported - 1);
  EXPECT_EQ(printed, SimOutput(kOsStandardOutput));
  for (const char16_t* args : {u"/n /apply C:\\plan.txt", u"/apply C:\\plan.txt"}) {
    EXPECT_EQ(0, AppMain(1, args, 10));
    EXPECT_EQ(printed, SimOutput(kOsStandardOutput));  // nothing more
  }
  EXPECT_EQ("COM3 COM4", Names());
}

// Each run: what it writes on standard output and error, its code, and
// the numbers the ports carry afterwards.
TEST_F(BatchPlan, ApplyTellsWhatItDoesAndEndsWithItsCode) {
  const struct {
    const char* name;
    std::string plan;
    const char16_t* args;
    int32_t code;
    const char16_t* out;
    const char16_t* err;
    const char* names;
    bool administrator = true;
  } cases[] = {
      {"a swap, dry", kSwapped, u"/n /apply C:\\plan.txt", 4,
       u"would move COM3 USB\\VID_0403&PID_6001\\A1 to COM1\r\n"
       u"would move COM4 USB\\VID_0403&PID_6001\\B2 to COM3\r\n"
       u"would move COM1 USB\\VID_0403&PID_6001\\A1 to COM4\r\n",
       u"", "COM3 COM4"},
      {"a swap", kSwapped, u"/apply C:\\plan.txt /q", 0,
       u"moved COM3 USB\\VID_0403&PID_6001\\A1 to COM1\r\n"
       u"moved COM4 USB\\VID_0403&PID_6001\\B2 to COM3\r\n"
       u"moved COM1 USB\\VID_0403&PID_6001\\A1 to COM4\r\n",
       u"", "COM4 COM3"},
      {"without rights", kSwapped, u"/apply C:\\plan.txt /q", 1, u"",
       u"Error: Admin privileges are required\r\n", "COM3 COM4", false},
      {"without rights, dry: a dry run needs none", kSwapped, u"/n /apply C:\\plan.txt", 4,
       u"would move COM3 USB\\VID_0403&PID_6001\\A1 to COM1\r\n"
       u"would move COM4 USB\\VID_0403&PID_6001\\B2 to COM3\r\n"
       u"would move COM1 USB\\VID_0403&PID_6001\\A1 to COM4\r\n",
       u"", "COM3 COM4", false},
      {"a rule without a port", "COM7 location PCIROOT(0)#USBROOT(0)#USB(9)\n",
       u"/apply C:\\plan.txt", 0, u"skipped COM7 location PCIROOT(0)#USBROOT(0)#USB(9)\r\n", u"",
       "COM3 COM4"},
      {"a bad line", "COM4 location X\nCOM5 socket Y\n", u"/n /apply C:\\plan.txt", 12, u"",
       u"line 2: not a rule: socket is no key (location, instance or hardware)\r\n", "COM3 COM4"},
      {"no such file", "", u"/apply C:\\nothing.txt", 12, u"",
       u"The plan cannot be read: FILE_NOT_FOUND\r\n", "COM3 COM4"},
      {"blocked", "COM4 location PCIROOT(0)#USBROOT(0)#USB(1)\n", u"/apply C:\\plan.txt /q", 13,
       u"", u"line 1: COM4 is held by USB\\VID_0403&PID_6001\\B2\r\n", "COM3 COM4"},
      {"grown", "COM300 location PCIROOT(0)#USBROOT(0)#USB(1)\n", u"/apply C:\\plan.txt /q", 0,
       u"grew ComDB to 1024 ports\r\nmoved COM3 USB\\VID_0403&PID_6001\\A1 to COM300\r\n", u"",
       "COM300 COM4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (!c.administrator) SimSetAdmin(0);
    if (!c.plan.empty()) Plan(c.plan);
    EXPECT_EQ(c.code, AppMain(1, c.args, 10));
    EXPECT_EQ(std::u16string(c.out), SimOutput(kOsStandardOutput));
    EXPECT_EQ(std::u16string(c.err), SimOutput(kOsStandardError));
    EXPECT_EQ(c.names, Names());
  }
}

}  // namespace
