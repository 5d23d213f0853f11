#include "ui/edit_rules.h"

#include "app/text.h"

int32_t IsCheckBoxChange(int32_t listUpdating, uint32_t changed, uint32_t oldState,
                         uint32_t newState) {
  uint32_t oldImage = StateImageOf(oldState);
  uint32_t newImage = StateImageOf(newState);
  return listUpdating == 0 && changed == kItemStateChanged && oldImage != 0 && newImage != 0 &&
         oldImage != newImage;
}

int32_t PortOfRowText(const char16_t* portText) {
  return TextLength(portText) >= 3 ? TextToInt(portText + 3) : 0;
}
