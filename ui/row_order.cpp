#include "ui/row_order.h"

#include "platform/os.h"
#include "ui/edit_rules.h"
#include "ui/view_state.h"

int32_t SortSlot(int32_t column) { return column >= 0 && column <= kDeviceIdColumn ? column : 0; }

int32_t CompareRowsBy(CellTextReader read, int32_t a, int32_t b, int32_t column) {
  char16_t textA[kCellTextUnits] = {};
  char16_t textB[kCellTextUnits] = {};
  read(a, column, textA);
  read(b, column, textB);
  int32_t r = 0;
  if (column == kPortColumn) {
    int32_t portA = PortOfRowText(textA);
    int32_t portB = PortOfRowText(textB);
    if (portA != portB) r = portA > portB ? 1 : -1;
  } else {
    r = OsCompareText(textA, textB);
  }
  if (r == 0) {
    int32_t tieColumn = column == kPortColumn ? kKernelNameColumn : kPortColumn;
    char16_t tieA[kCellTextUnits] = {};
    char16_t tieB[kCellTextUnits] = {};
    read(a, tieColumn, tieA);
    read(b, tieColumn, tieB);
    r = OsCompareText(tieA, tieB);
  }
  // Only the sign matters to the list; negating INT32_MIN would overflow.
  r = r < 0 ? -1 : r > 0 ? 1 : 0;
  return viewSettings.sortDirection[SortSlot(column)] == 0 ? -r : r;
}

int32_t ClickSortColumn(int32_t column) {
  int32_t slot = SortSlot(column);
  viewSettings.sortDirection[slot] = viewSettings.sortDirection[slot] == 0 ? 1 : 0;
  sortColumn = column;
  return viewSettings.sortDirection[slot];
}
