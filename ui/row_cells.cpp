#include "ui/row_cells.h"

#include "base/com_name.h"
#include "base/text.h"
#include "core/port_identity.h"
#include "ui/view_state.h"

void PortCellText(int32_t port, char16_t* text, uint32_t units) { ComName(port, text, units); }

const char16_t* DeviceCellText(const PortDevice* device, int32_t column) {
  if (!HoldsItsNumber(device)) return u"";
  const char16_t* text;
  switch (column) {
    case kKernelNameColumn: text = device->kernelName; break;
    case kDeviceColumn: text = device->deviceText; break;
    case kClassColumn: text = device->className; break;
    case kDeviceIdColumn: text = device->deviceInstanceId; break;
    // Read only while the column is shown, and only for serial ports.
    case kLocationColumn: text = device->identity != nullptr ? device->identity->locationPath : u""; break;
    default: return u"";
  }
  return text[0] != 0 ? text : u"---";
}
