#include "core/listing.h"

#include "base/com_name.h"
#include "base/text.h"
#include "core/port_identity.h"

namespace {

// A line written unit by unit, always terminated, cut at its capacity.
struct Line {
  char16_t* text;
  uint32_t units;
  uint32_t length;

  void Put(char16_t unit) {
    if (length + 1 >= units) return;
    text[length++] = unit;
    text[length] = 0;
  }
};

// One field behind the separator. No field holds a line end, which would
// split its line for any reader that takes the text line by line: CR and
// LF become blanks, and in tab-separated text tabs too. In CSV a field with
// a comma or a double quote is quoted, its quotes doubled (RFC 4180); in
// tab-separated text only a field that begins with a quote is, which a
// spreadsheet's paste would take for the quoting of a cell.
void PutField(ListingFormat format, const char16_t* field, Line* line) {
  if (line->length != 0) line->Put(format == kCsv ? u',' : u'\t');
  bool quoted = format == kTabs && field[0] == u'"';
  for (const char16_t* c = field; format == kCsv && *c != 0; c++) {
    quoted |= *c == u',' || *c == u'"';
  }
  if (quoted) line->Put(u'"');
  for (const char16_t* c = field; *c != 0; c++) {
    if (*c == u'\r' || *c == u'\n' || (format == kTabs && *c == u'\t')) {
      line->Put(u' ');
      continue;
    }
    if (quoted && *c == u'"') line->Put(u'"');
    line->Put(*c);
  }
  if (quoted) line->Put(u'"');
}

void PutNumber(ListingFormat format, int32_t value, Line* line) {
  char16_t digits[16] = {};
  TextAppendSigned(digits, Units(digits), value);
  PutField(format, digits, line);
}

}  // namespace

void ListingHeader(ListingFormat format, char16_t* text, uint32_t units) {
  Line line = {text, units, 0};
  text[0] = 0;
  const char16_t* const names[] = {u"Port",         u"PortName",         u"Reserved",
                                   u"KernelName",   u"Device",           u"Class",
                                   u"Present",      u"DeviceInstanceId", u"LocationPath",
                                   u"HardwareId",   u"ParentInstanceId"};
  for (const char16_t* name : names) PutField(format, name, &line);
}

void ListingLine(ListingFormat format, int32_t port, int32_t reserved, const PortDevice* device,
                 char16_t* text, uint32_t units) {
  Line line = {text, units, 0};
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
