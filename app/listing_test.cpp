#include "app/listing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

PortDevice Device(const char16_t* name, const char16_t* kernel, uint32_t problem) {
  PortDevice d = {};
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

// RFC 4180 for CSV: only a field with a comma, a double quote or a line
// end is quoted, its quotes doubled. In tab-separated text a tab or line
// end in a field becomes a blank, so each field stays one cell, and a
// field that begins with a quote is quoted, as a spreadsheet reads it.
TEST(Listing, FieldsAreQuotedOnlyWhereTheyMustBe) {
  const PortDevice plain = Device(u"USB Serial Port (COM3)", u"\\Device\\VCP0", 0);
  const PortDevice odd = Device(u"Adapter, \"Pro\"\r\nrev\tB", u"", 45);
  const PortDevice quoted = Device(u"\"Pro\" B", u"", 0);
  PortDevice removed = plain;
  removed.deviceNode = 0;
  const struct {
    ListingFormat format;
    int32_t port, reserved;
    const PortDevice* device;
    const char16_t* line;
  } cases[] = {
      {kCsv, 3, 1, &plain, u"3,COM3,1,\\Device\\VCP0,USB Serial Port (COM3),Ports,1,ROOT\\PORTS\\0000"},
      {kCsv, 12, 0, nullptr, u"12,COM12,0,,,,,"},
      {kCsv, 12, 7, &removed, u"12,COM12,1,,,,,"},
      {kCsv, 4096, 0, &odd,
       u"4096,COM4096,0,,\"Adapter, \"\"Pro\"\"\r\nrev\tB\",Ports,0,ROOT\\PORTS\\0000"},
      {kTabs, 5, 1, &odd, u"5\tCOM5\t1\t\tAdapter, \"Pro\"  rev B\tPorts\t0\tROOT\\PORTS\\0000"},
      {kTabs, 6, 0, &quoted, u"6\tCOM6\t0\t\t\"\"\"Pro\"\" B\"\tPorts\t1\tROOT\\PORTS\\0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(c.line), Line(c.format, c.port, c.reserved, c.device));

  char16_t header[kListingLineUnits];
  ListingHeader(kCsv, header, kListingLineUnits);
  EXPECT_EQ(u"Port,PortName,Reserved,KernelName,Device,Class,Present,DeviceInstanceId",
            std::u16string(header));
}

}  // namespace
