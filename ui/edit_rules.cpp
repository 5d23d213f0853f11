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
                       int32_t focusGained, Failure* failure) {
  if (!focusGained && rows.selectedCount() <= 1) rows.clearSelection();
  rows.selectAndFocus(row);
  int32_t reserved = rows.isChecked(row);
  SetPortReserved(reservations, rows.port(row), reserved);
  int32_t count = rows.count();
  for (int32_t r = 0; r < count; r++) {
    if (!rows.isSelected(r)) continue;
    rows.setChecked(r, reserved);
    SetPortReserved(reservations, rows.port(r), reserved);
  }
  return Save(reservations, failure);
}
