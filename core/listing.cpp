#include "core/listing.h"

#include "base/com_name.h"
#include "base/text.h"
#include "core/csv_field.h"
#include "core/port_identity.h"

namespace {

void PutField(ListingFormat format, const char16_t* field, FieldLine* line) {
  PutField(format == kCsv ? kCsvField : kTabField, field, line);
}

void PutNumber(ListingFormat format, int32_t value, FieldLine* line) {
  char16_t digits[16] = {};
  TextAppendSigned(digits, Units(digits), value);
  PutField(format, digits, line);
}

}  // namespace

void ListingHeader(ListingFormat format, char16_t* text, uint32_t units) {
  FieldLine line = {text, units, 0};
  text[0] = 0;
  const char16_t* const names[] = {u"Port",         u"PortName",         u"Reserved",
                                   u"KernelName",   u"Device",           u"Class",
                                   u"Present",      u"DeviceInstanceId", u"LocationPath",
                                   u"HardwareId",   u"ParentInstanceId"};
  for (const char16_t* name : names) PutField(format, name, &line);
}

void ListingLine(ListingFormat format, int32_t port, int32_t reserved, const PortDevice* device,
                 char16_t* text, uint32_t units) {
  FieldLine line = {text, units, 0};
  text[0] = 0;
  bool none = !HoldsItsNumber(device);
  PutNumber(format, port, &line);
  // A device's own PortName, which may be odd ("COM", "COM05"); the
  // port's name for no device.
  if (none) {
    char16_t name[16];
    ComName(port, name, Units(name));
    PutField(format, name, &line);
  } else {
    PutField(format, device->portName, &line);
  }
  PutNumber(format, reserved != 0, &line);
  PutField(format, none ? u"" : device->kernelName, &line);
  PutField(format, none ? u"" : device->deviceText, &line);
  PutField(format, none ? u"" : device->className, &line);
  if (none) {
    PutField(format, u"", &line);
  } else {
    PutNumber(format, device->problemCode != kProblemNotPresent, &line);
  }
  PutField(format, none ? u"" : device->deviceInstanceId, &line);
  // A serial port's identity, where it was read; the first hardware ID.
  const PortIdentity* identity = none ? nullptr : device->identity;
  PutField(format, identity != nullptr ? identity->locationPath : u"", &line);
  PutField(format, identity != nullptr ? identity->hardwareIds : u"", &line);
  PutField(format, identity != nullptr ? identity->parentId : u"", &line);
}
