#include "ui/edit_rules.h"

#include "base/text.h"

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

int32_t EditCheckBoxes(const RowAccess& rows, PortReservations* reservations, int32_t row,
                       int32_t reserved, int32_t focusGained, Failure* failure) {
  void* list = rows.context;
  if (!focusGained && rows.selectedCount(list) <= 1) rows.clearSelection(list);
  rows.selectAndFocus(list, row);
  SetPortReserved(reservations, rows.port(list, row), reserved);
  int32_t count = rows.count(list);
  for (int32_t r = 0; r < count; r++) {
    if (!rows.isSelected(list, r)) continue;
    rows.setChecked(list, r, reserved);
    SetPortReserved(reservations, rows.port(list, r), reserved);
  }
  return Save(reservations, failure);
}
