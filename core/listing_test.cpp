#include "core/listing.h"

#include <gtest/gtest.h>

#include <string>

#include "core/port_identity.h"

namespace {

PortDevice Device(const char16_t* name, const char16_t* kernel, uint32_t problem,
                  const char16_t* portName) {
  PortDevice d = {};
  std::u16string(portName).copy(d.portName, kPortNameUnits - 1);
  d.deviceNode = 7;
  d.problemCode = problem;
  std::u16string(name).copy(d.deviceText, 255);
  std::u16string(kernel).copy(d.kernelName, 259);
  std::u16string(u"Ports").copy(d.className, 63);
  std::u16string(u"ROOT\\PORTS\\0000").copy(d.deviceInstanceId, 259);
  return d;
}

std::u16string Line(ListingFormat format, int32_t port, int32_t reserved, const PortDevice* d) {
  char16_t line[kListingLineUnits];
  ListingLine(format, port, reserved, d, line, kListingLineUnits);
  return line;
}

// RFC 4180 for CSV: only a field with a comma or a double quote is quoted,
// its quotes doubled. No field holds a line end: a reader that splits the
// text into lines first (PowerShell) would cut the line. In tab-separated
// text a tab becomes a blank too, so each field stays one cell, and a
// field that begins with a quote is quoted, as a spreadsheet reads it.
TEST(Listing, FieldsAreQuotedOnlyWhereTheyMustBe) {
  PortIdentity identity = {};
  std::u16string(u"PCIROOT(0)#USB(3)").copy(identity.locationPath, 100);
  const char16_t hardwareIds[] = u"USB\\VID_1,PID_2\0USB\\COMPAT";  // each ended, then an empty one
  for (size_t i = 0; i < sizeof hardwareIds / sizeof hardwareIds[0]; i++) {
    identity.hardwareIds[i] = hardwareIds[i];
  }
  std::u16string(u"USB\\HUB\\1").copy(identity.parentId, 100);
  PortDevice plain = Device(u"USB Serial Port (COM3)", u"\\Device\\VCP0", 0, u"COM3");
  plain.identity = &identity;
  const PortDevice odd = Device(u"Adapter, \"Pro\"\r\nrev\tB", u"", 45, u"COM4096");
  const PortDevice quoted = Device(u"\"Pro\" B", u"", 0, u"COM06");
  PortDevice removed = plain;
  removed.deviceNode = 0;
  const struct {
    ListingFormat format;
    int32_t port, reserved;
    const PortDevice* device;
    const char16_t* line;
  } cases[] = {
      {kCsv, 3, 1, &plain,
       u"3,COM3,1,\\Device\\VCP0,USB Serial Port (COM3),Ports,1,ROOT\\PORTS\\0000,"
       u"PCIROOT(0)#USB(3),\"USB\\VID_1,PID_2\",USB\\HUB\\1"},
      {kTabs, 3, 1, &plain,
       u"3\tCOM3\t1\t\\Device\\VCP0\tUSB Serial Port (COM3)\tPorts\t1\tROOT\\PORTS\\0000\t"
       u"PCIROOT(0)#USB(3)\tUSB\\VID_1,PID_2\tUSB\\HUB\\1"},
      {kCsv, 12, 0, nullptr, u"12,COM12,0,,,,,,,,"},
      {kCsv, 12, 7, &removed, u"12,COM12,1,,,,,,,,"},
      {kCsv, 4096, 0, &odd,
       u"4096,COM4096,0,,\"Adapter, \"\"Pro\"\"  rev\tB\",Ports,0,ROOT\\PORTS\\0000,,,"},
      {kTabs, 4096, 1, &odd,
       u"4096\tCOM4096\t1\t\tAdapter, \"Pro\"  rev B\tPorts\t0\tROOT\\PORTS\\0000\t\t\t"},
      // A device's own PortName, however odd.
      {kTabs, 6, 0, &quoted,
       u"6\tCOM06\t0\t\t\"\"\"Pro\"\" B\"\tPorts\t1\tROOT\\PORTS\\0000\t\t\t"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(c.line), Line(c.format, c.port, c.reserved, c.device));

  char16_t header[kListingLineUnits];
  ListingHeader(kCsv, header, kListingLineUnits);
  EXPECT_EQ(
      u"Port,PortName,Reserved,KernelName,Device,Class,Present,DeviceInstanceId,LocationPath,"
      u"HardwareId,ParentInstanceId",
      std::u16string(header));
}

}  // namespace
