#include "ui/move_targets.h"

#include "base/com_name.h"
#include "base/text.h"

int32_t DescribeMoveTarget(int32_t port, int32_t reserved, const PortDevice* holder,
                           const PortDevice* device, char16_t* text, uint32_t units) {
  ComName(port, text, units);
  TextAppend(text, units, u"\t");
  if (!HoldsItsNumber(holder)) {
    TextAppend(text, units, reserved ? u"reserved, no device" : u"free");
    return 1;
  }
  if (holder->liveName) {
    TextAppend(text, units, u"in use by ");
    TextAppend(text, units, holder->kernelName);
    return 0;
  }
  if (holder == device) {
    TextAppend(text, units, u"this device");
    return 0;
  }
  TextAppend(text, units, u"used by ");
  TextAppend(text, units, holder->deviceText[0] != 0 ? holder->deviceText
                                                      : holder->deviceInstanceId);
  if (holder->problemCode == kProblemNotPresent) TextAppend(text, units, u" (not present)");
  return 0;
}
