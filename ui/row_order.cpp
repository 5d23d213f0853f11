#include "ui/row_order.h"

#include "base/memory.h"
#include "base/text.h"
#include "platform/index_sort.h"
#include "platform/os.h"
#include "ui/edit_rules.h"
#include "ui/row_cells.h"
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

// The devices of the ports while their rows are ordered.
static PortDevice* const* orderedDevices;

// A cell as the list gives it back: cut to what its buffer holds.
static void ReadModelCell(int32_t row, int32_t column, char16_t* text) {
  if (column == kPortColumn) {
    PortCellText(row + 1, text, kCellTextUnits);
  } else if (column < viewSettings.columnCount) {  // a column not shown reads as empty
    TextCopy(text, kCellTextUnits, DeviceCellText(orderedDevices[row], column));
  }
}

void OrderPortRows(PortDevice* const* devices, int32_t count, int32_t column, int32_t* rows) {
  orderedDevices = devices;
  auto* spare = static_cast<int32_t*>(MemAlloc(sizeof(int32_t) * (count + 1)));
  for (int32_t i = 0; i < count; i++) rows[i] = i;
  // No two rows compare equal (each has its own Port text), so this gives
  // the one order any sort of the list gives.
  SortIndices(rows, spare, count, [column](int32_t x, int32_t y) {
    return CompareRowsBy(ReadModelCell, x, y, column) < 0;
  });
  MemFree(spare);
  orderedDevices = nullptr;
}

int32_t ClickSortColumn(int32_t column) {
  int32_t slot = SortSlot(column);
  viewSettings.sortDirection[slot] = viewSettings.sortDirection[slot] == 0 ? 1 : 0;
  sortColumn = column;
  return viewSettings.sortDirection[slot];
}
