#include "ui/edit_rules.h"

#include "app/text.h"

int32_t IsCheckBoxChange(int32_t listUpdating, uint32_t changed, uint32_t oldState,
                         uint32_t newState) {
  return listUpdating == 0 && changed == kItemStateChanged && StateImageOf(oldState) != 0 &&
         StateImageOf(newState) != 0;
}

int32_t PortOfRowText(const char16_t* portText) {
  return TextLength(portText) >= 3 ? TextToInt(portText + 3) : 0;
}
