// What a number plan knows a port by: its own location path, or where it
// has none (or only its parent's) its nearest ancestor's with its place
// under it; its hardware IDs; its parent and ancestors.
#include "core/port_identity.h"

#include <gtest/gtest.h>

#include <string>

#include "base/memory.h"
#include "platform/sim/sim.h"

namespace {

const char16_t kUsbClass[] = u"{36fc9e60-c465-11cf-8056-444553540000}";

int Add(const char16_t* id, const char16_t* classGuid, int parent, const char16_t* location,
        const char16_t* portName = u"", bool present = true) {
  SimDevice d;
  d.classGuid = classGuid;
  d.deviceId = id;
  d.hasPortName = portName[0] != 0;
  d.portName = portName;
  d.parent = parent;
  d.locationPath = location;
  d.present = present;
  d.hardwareIds = {std::u16string(id).substr(0, std::u16string(id).rfind(u'\\')), u"USB\\COMPAT"};
  return SimAddDevice(d);
}

std::u16string PathOf(const PortDeviceList* list, const char16_t* portName) {
  for (int32_t i = 0; i < list->deviceCount; i++) {
    const PortDevice* d = list->devices[i];
    if (std::u16string(d->portName) == portName) {
      return d->identity != nullptr ? d->identity->locationPath : u"(no identity)";
    }
  }
  return u"(no port)";
}

TEST(PortIdentity, APortIsKnownByItsSocketItsIdsAndItsAncestors) {
  SimReset();
  int hub = Add(u"USB\\ROOT_HUB30\\1", kUsbClass, -1, u"PCIROOT(0)#PCI(1400)#USBROOT(0)");
  Add(u"USB\\VID_0403&PID_6001\\A1", kSimPortsClass, hub,
      u"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)", u"COM3");  // its own
  int card = Add(u"PCI\\VEN_1415&DEV_9501\\3", kUsbClass, -1, u"PCIROOT(0)#PCI(1C00)");
  // A multiport card's ports: none of their own, or the card's; their
  // places by the order of their IDs, whatever order they come in.
  Add(u"MULTI\\PORT\\B", kSimPortsClass, card, u"", u"COM11");
  Add(u"MULTI\\PORT\\A", kSimPortsClass, card, u"PCIROOT(0)#PCI(1C00)", u"COM10");
  Add(u"MULTI\\PORT\\C", kSimPortsClass, card, u"", u"COM12", false);  // not present: none
  // A composite adapter's second interface, under a vendor's bus device
  // that has no path either.
  int bus = Add(u"FTDIBUS\\ROOT\\0", kUsbClass, hub, u"");
  Add(u"FTDIBUS\\VID_0403&PID_6011&MI_02\\0000", kSimPortsClass, bus, u"", u"COM20");
  Add(u"ROOT\\LONELY\\0", kSimPortsClass, -1, u"", u"COM30");  // nothing to hang from
  PortDeviceList* list = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  Enumerate(list, kRepairDetail);
  ReadIdentities(list);
  const struct {
    const char16_t* port;
    const char16_t* path;
  } cases[] = {
      {u"COM3", u"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)"},
      {u"COM10", u"PCIROOT(0)#PCI(1C00)#PORT(0)"},
      {u"COM11", u"PCIROOT(0)#PCI(1C00)#PORT(1)"},
      {u"COM12", u""},
      {u"COM20", u"PCIROOT(0)#PCI(1400)#USBROOT(0)#USBMI(2)"},
      {u"COM30", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::u16string(c.path), PathOf(list, c.port)) << std::string(c.port, c.port + 5);
  }
  const PortDevice* com20 = FindByPort(list, 20);
  ASSERT_NE(nullptr, com20);
  EXPECT_EQ(std::u16string(u"FTDIBUS\\ROOT\\0"), std::u16string(com20->identity->parentId));
  EXPECT_TRUE(NamesDeviceOrAncestor(list, com20, u"usb\\root_hub30\\1"));
  EXPECT_TRUE(NamesDeviceOrAncestor(list, com20, u"FTDIBUS\\VID_0403&PID_6011&MI_02\\0000"));
  EXPECT_FALSE(NamesDeviceOrAncestor(list, com20, u"PCI\\VEN_1415&DEV_9501\\3"));
  EXPECT_TRUE(HasHardwareId(com20, u"usb\\compat"));
  EXPECT_TRUE(HasHardwareId(com20, u"FTDIBUS\\VID_0403&PID_6011&MI_02"));
  EXPECT_FALSE(HasHardwareId(com20, u"USB\\COMPA"));
  Clear(list);
  MemFree(list);
}

}  // namespace
