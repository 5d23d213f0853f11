// Devices whose class and PortName hold anything: which are taken, what
// their records hold, and which one each port number finds.
#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "base/memory.h"
#include "base/text.h"
#include "core/port_devices.h"
#include "platform/sim/sim.h"
#include "tests/fuzz/fuzz_support.h"

static bool Terminated(const char16_t* field, size_t units) {
  for (size_t i = 0; i < units; i++) {
    if (field[i] == 0) return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SimReset();
  // Records: a header byte (class, presence, value type), a length byte,
  // then the PortName value's bytes. Expected: the port name each device
  // that should be listed has, by the rule itself.
  std::map<std::u16string, std::u16string> expected;
  int devices = 0;
  for (size_t at = 0; at + 2 <= size && devices < 64; devices++) {
    uint8_t header = data[at];
    size_t length = data[at + 1];
    at += 2;
    if (length > size - at) length = size - at;
    SimDevice d;
    static const char16_t* const classes[] = {kSimPortsClass, kSimModemClass,
                                              u"{4D36E978-E325-11CE-BFC1-08002BE10318}",
                                              u"{36fc9e60-c465-11cf-8056-444553540000}"};
    d.classGuid = classes[header & 3];
    d.present = (header & 4) != 0;
    d.deviceId = u"ROOT\\FUZZ\\" + std::u16string(1, static_cast<char16_t>(u'A' + devices));
    d.hasPortName = false;
    d.friendlyName = u"Fuzz";
    SimAddDevice(d);
    SimRegSetValue(u"System\\CurrentControlSet\\Enum\\" + d.deviceId + u"\\Device Parameters",
                   u"PortName", (header >> 3) % 8, std::vector<uint8_t>(data + at, data + at + length));
    // Its text up to the first zero unit (an odd last byte is a unit of its
    // own): taken with 1 to 13 characters beginning with COM.
    std::u16string name;
    for (size_t i = 0; i < length; i += 2) {
      char16_t unit = static_cast<char16_t>(data[at + i] | (i + 1 < length ? data[at + i + 1] << 8 : 0));
      if (unit == 0) break;
      name.push_back(unit);
    }
    if ((header & 3) != 3 && name.size() <= 13 && name.compare(0, 3, u"COM") == 0) {
      expected[d.deviceId] = name;
    }
    at += length;
  }
  auto* list = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  int32_t count = Enumerate(list);
  FUZZ_CHECK(count == static_cast<int32_t>(expected.size()));
  FUZZ_CHECK(InventoryBuilt(list));  // nothing failed to read
  for (int32_t i = 0; i < count; i++) {
    const PortDevice* d = list->devices[i];
    FUZZ_CHECK(Terminated(d->portName, 14) && Terminated(d->deviceInstanceId, 260) &&
               Terminated(d->kernelName, 260) && Terminated(d->deviceText, 256) &&
               Terminated(d->className, 64));
    auto want = expected.find(d->deviceInstanceId);
    FUZZ_CHECK(want != expected.end() && want->second == d->portName);
    FUZZ_CHECK(d->portNumber == TextToInt(d->portName + 3));
    const PortDevice* found = FindByPort(list, d->portNumber);
    FUZZ_CHECK(found != nullptr && found->portNumber == d->portNumber);
    FUZZ_CHECK(d->problemCode != 0 || found->problemCode == 0);
  }
  Clear(list);
  MemFree(list);
  return 0;
}
