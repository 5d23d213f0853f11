#include "ui/plans.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

namespace {

typedef std::vector<std::u16string> Lines;
typedef std::vector<uint8_t> Bytes;

Lines LinesOf(const PlanPreview& preview) {
  Lines lines;
  for (const char16_t* line = NextPreviewLine(preview, nullptr); line != nullptr;
       line = NextPreviewLine(preview, line)) {
    lines.push_back(line);
  }
  return lines;
}

const char16_t kA1[] = u"USB\\VID_0403&PID_6001\\A1";
const char16_t kB2[] = u"USB\\VID_0403&PID_6001\\B2";
const char kSwap[] =
    "COM4 location PCIROOT(0)#USBROOT(0)#USB(1)\nCOM3 location PCIROOT(0)#USBROOT(0)#USB(2)\n";

class Plans : public testing::Test {
 protected:
  // Two adapters in two sockets of a hub, A1 on COM3 and B2 on COM4.
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
      d.deviceId = i == 0 ? kA1 : kB2;
      d.portName = i == 0 ? u"COM3" : u"COM4";
      d.friendlyName = u"USB Serial Port (" + d.portName + u")";
      d.locationPath = i == 0 ? u"PCIROOT(0)#USBROOT(0)#USB(1)" : u"PCIROOT(0)#USBROOT(0)#USB(2)";
      d.parent = parent;
      ports[i] = SimAddDevice(d);
    }
    ReleasePorts(&session);
    session = {};
    session.administrator = true;
  }
  void TearDown() override {
    ReleasePlanPreview(&preview);
    ReleaseNumberPlan(&plan);
    ReleasePorts(&session);
  }
  void Read(const std::string& text) {
    ReleaseNumberPlan(&plan);
    PlanError error;
    ASSERT_EQ(1, ReadNumberPlan(reinterpret_cast<const uint8_t*>(text.data()),
                                static_cast<uint32_t>(text.size()), &plan, &error))
        << text;
  }
  std::string Names() {
    return std::string(SimDeviceAt(ports[0]).portName.begin(), SimDeviceAt(ports[0]).portName.end()) +
           " " +
           std::string(SimDeviceAt(ports[1]).portName.begin(), SimDeviceAt(ports[1]).portName.end());
  }
  int ports[2] = {};
  NumberPlan plan = {};
  PlanPreview preview = {};
  PortSession session = {};
};

// The preview lists what /n /apply writes, what stops the plan first, and
// changes nothing.
TEST_F(Plans, ThePreviewListsWhatADryRunWouldDo) {
  const struct {
    const char* name;
    std::string plan;
    bool administrator;
    bool ghostOnCom5;  // a device that is not present holds COM5
    Lines lines;
    bool blocked, mayApply;
  } cases[] = {
      {"a swap, through a free number", kSwap, true, false,
       {std::u16string(u"would move COM3 ") + kA1 + u" to COM1",
        std::u16string(u"would move COM4 ") + kB2 + u" to COM3",
        std::u16string(u"would move COM1 ") + kA1 + u" to COM4"},
       false, true},
      {"a rule without a port", "COM7 location PCIROOT(0)#USBROOT(0)#USB(9)\n", true, false,
       {u"skipped COM7 location PCIROOT(0)#USBROOT(0)#USB(9)",
        u"This machine matches the plan: applying it changes nothing."},
       false, true},
      {"a block, before a skip that came first",
       "COM7 location PCIROOT(0)#USBROOT(0)#USB(9)\nCOM4 location PCIROOT(0)#USBROOT(0)#USB(1)\n",
       true, false,
       {std::u16string(u"line 2: COM4 is held by ") + kB2,
        u"skipped COM7 location PCIROOT(0)#USBROOT(0)#USB(9)"},
       true, false},
      {"growth", "COM300 location PCIROOT(0)#USBROOT(0)#USB(1)\n", true, false,
       {u"would grow ComDB to 1024 ports", std::u16string(u"would move COM3 ") + kA1 + u" to COM300"},
       false, true},
      {"a stale device removed", "COM5 location PCIROOT(0)#USBROOT(0)#USB(1)\n", true, true,
       {u"would remove COM5 ACPI\\PNP0501\\3_COM5", std::u16string(u"would move COM3 ") + kA1 + u" to COM5"},
       false, true},
      {"without rights", kSwap, false, false,
       {u"Admin privileges are required", std::u16string(u"would move COM3 ") + kA1 + u" to COM1",
        std::u16string(u"would move COM4 ") + kB2 + u" to COM3",
        std::u16string(u"would move COM1 ") + kA1 + u" to COM4"},
       false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    int ghost = c.ghostOnCom5 ? SimAddPort(u"COM5", false) : -1;
    SimSetAdmin(c.administrator);
    Read(c.plan);
    ReleasePlanPreview(&preview);
    PreviewPlan(&plan, c.administrator, &preview);
    EXPECT_EQ(c.lines, LinesOf(preview));
    EXPECT_EQ(c.blocked, preview.blocked);
    EXPECT_EQ(c.mayApply, preview.mayApply);
    EXPECT_EQ("COM3 COM4", Names());
    EXPECT_EQ((Bytes{0x0C}), SimRegValue(kComArbiterPath, kComDbName));
    if (ghost >= 0) {
      EXPECT_FALSE(SimDeviceRemoved(ghost));
    }
    EXPECT_EQ(0, SimOpenDeviceSets());
  }
}

// OK applies what the preview showed, and only that: where the machine
// changed meanwhile, the preview shows what applying does now instead.
TEST_F(Plans, OkAppliesOnlyThePlanThePreviewShows) {
  const struct {
    const char* name;
    bool administrator;
    std::function<void()> meanwhile;  // while the preview is up
    PlanConfirmation first;
    const char* names;   // the ports' numbers afterwards
    Lines boxes;
  } cases[] = {
      {"unchanged", true, [] {}, kPlanApplied, "COM4 COM3", {}},
      {"a port arrived on the free number", true, [] { SimAddPort(u"COM1"); }, kPlanChanged,
       "COM3 COM4", {}},
      {"a port was renumbered", true,
       [] {
         SimRegSetString(std::u16string(u"System\\CurrentControlSet\\Enum\\") + kB2 +
                             u"\\Device Parameters",
                         u"PortName", u"COM6");
       },
       kPlanChanged, "COM3 COM6", {}},
      {"without rights", false, [] {}, kPlanNotApplied, "COM3 COM4", {}},
      {"the second move fails", true, [] { SimFailRestart(2); }, kPlanNotApplied, "COM3 COM4",
       {std::u16string(u"ACCESS_DENIED moving\n") + kB2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    session.administrator = c.administrator;
    SimSetAdmin(c.administrator);
    ReloadPorts(&session);
    Read(kSwap);
    ReleasePlanPreview(&preview);
    PreviewPlan(&plan, c.administrator, &preview);
    Lines shown = LinesOf(preview);
    c.meanwhile();
    EXPECT_EQ(c.first, ConfirmPlan(&session, &plan, u"plan.txt", &preview));
    EXPECT_EQ(c.names, Names());
    if (c.first == kPlanChanged) {
      EXPECT_NE(shown, LinesOf(preview));
      // Confirmed as it is now, it is applied.
      EXPECT_EQ(kPlanApplied, ConfirmPlan(&session, &plan, u"plan.txt", &preview));
      EXPECT_EQ("COM4 COM3", Names());
    }
    Lines boxes;
    for (const SimMessageBox& box : SimMessageBoxes()) boxes.push_back(box.text);
    EXPECT_EQ(c.boxes, boxes);
  }
}

// The export writes what /export writes into the file, or says in a box
// why it could not.
TEST_F(Plans, TheExportWritesThePlanOrSaysWhyNot) {
  const std::string exported =
      "# The number plan of this machine's serial ports, as Varnick exported it:\r\n"
      "# one rule a line, COMn, then location, instance or hardware, then the identity.\r\n"
      "# USB Serial Port (COM3)\r\nCOM3 location PCIROOT(0)#USBROOT(0)#USB(1)\r\n"
      "# USB Serial Port (COM4)\r\nCOM4 location PCIROOT(0)#USBROOT(0)#USB(2)\r\n";
  EXPECT_EQ(1, ExportPlanFile(u"C:\\plan.txt"));
  SimFile file;
  ASSERT_TRUE(SimFileGet("C:\\plan.txt", &file));
  EXPECT_EQ(exported, file.content);
  SimFileSet("C:\\plans", SimFile{"", 0x10, 1});  // a folder
  EXPECT_EQ(0, ExportPlanFile(u"C:\\plans"));
  ASSERT_EQ(1u, SimMessageBoxes().size());
  EXPECT_EQ(u"The plan could not be written to C:\\plans: ACCESS_DENIED", SimMessageBoxes()[0].text);
  EXPECT_EQ(0, SimOpenDeviceSets());
  EXPECT_EQ(0, SimOpenFileCount());
}

}  // namespace
