#include "ui/row_order.h"

#include "base/memory.h"
#include "base/text.h"
#include "platform/index_sort.h"
#include "platform/os.h"
#include "ui/edit_rules.h"
#include "ui/row_cells.h"
#include "ui/view_state.h"

int32_t SortSlot(int32_t column) { return column >= 0 && column <= kLocationColumn ? column : 0; }

int32_t CompareRowsBy(CellTextReader read, const void* context, int32_t a, int32_t b,
                      int32_t column, int32_t ascending) {
  char16_t textA[kCellTextUnits] = {};
  char16_t textB[kCellTextUnits] = {};
  read(context, a, column, textA);
  read(context, b, column, textB);
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
    read(context, a, tieColumn, tieA);
    read(context, b, tieColumn, tieB);
    r = OsCompareText(tieA, tieB);
  }
  // Only the sign matters to the list; negating INT32_MIN would overflow.
  r = r < 0 ? -1 : r > 0 ? 1 : 0;
  return ascending ? r : -r;
}

// The ports' devices as the rows show them, while their rows are ordered.
struct ModelCells {
  PortDevice* const* devices;
  const ViewState& view;
};

// A cell as the list gives it back: cut to what its buffer holds; a column
// not shown reads as empty.
static void ReadModelCell(const void* context, int32_t row, int32_t column, char16_t* text) {
  auto* cells = static_cast<const ModelCells*>(context);
  if (column == kPortColumn) {
    PortCellText(row + 1, text, kCellTextUnits);
  } else if (ColumnPlace(cells->view, column) >= 0) {
    TextCopy(text, kCellTextUnits, DeviceCellText(cells->devices[row], column));
  }
}

// Whether row x goes before row y in the view's order (context: the
// cells).
static bool RowBefore(const void* context, int32_t x, int32_t y) {
  auto* cells = static_cast<const ModelCells*>(context);
  int32_t column = cells->view.sortColumn;
  return CompareRowsBy(ReadModelCell, cells, x, y, column,
                       cells->view.settings.sortDirection[SortSlot(column)]) < 0;
}

void OrderPortRows(PortDevice* const* devices, int32_t count, const ViewState& view,
                   int32_t* rows) {
  const ModelCells cells = {devices, view};
  HeapBlock<int32_t> spare(count + 1);
  for (int32_t i = 0; i < count; i++) rows[i] = i;
  // No two rows compare equal (each has its own Port text), so this gives
  // the one order any sort of the list gives.
  SortIndices(rows, spare.Get(), count, RowBefore, &cells);
}

int32_t ClickSortColumn(ViewState* view, int32_t column) {
  int32_t slot = SortSlot(column);
  int32_t* direction = &view->settings.sortDirection[slot];
  *direction = *direction == 0 ? 1 : 0;
  view->sortColumn = column;
  return *direction;
}
