#include "ui/win32/list_sort.h"

#include <commctrl.h>

#include "platform/win32/list_view.h"
#include "ui/row_order.h"
#include "ui/win32/list_rows.h"

// What the list's comparator is handed: the list whose texts it compares,
// the view that places its columns, the column and its direction.
struct SortRequest {
  HWND list;
  const ViewState* view;
  int32_t column;
  int32_t ascending;
};

// A column not shown reads as empty.
static void ReadListCell(const void* context, int32_t row, int32_t column, char16_t* text) {
  auto* request = static_cast<const SortRequest*>(context);
  int32_t place = ColumnPlace(*request->view, column);
  if (place >= 0) ReadCellText(request->list, row, place, text);
}

static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context) {
  auto* request = reinterpret_cast<const SortRequest*>(context);
  return CompareRowsBy(ReadListCell, request, static_cast<int32_t>(a), static_cast<int32_t>(b),
                       request->column, request->ascending);
}

void SortRows(const MainWindow& w, int32_t column) {
  const SortRequest request = {w.list, &w.view, column,
                               w.view.settings.sortDirection[SortSlot(column)]};
  SortListByIndex(w.list, CompareRows, reinterpret_cast<LPARAM>(&request));
}

void SetSortArrows(HWND list, int32_t place, int32_t ascending) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  for (int32_t i = 0; i < HeaderItemCount(list); i++) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == place) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void SortByClickedColumn(MainWindow& w, int32_t place) {
  // Reordering under a command that holds row indices would point it at
  // other ports: refused while rows are in use.
  if (RowsInUse(&w.ports)) {
    MessageBeep(MB_OK);
    return;
  }
  int32_t column = ColumnAtPlace(w.view, place);
  if (column < 0) return;
  int32_t ascending = ClickSortColumn(&w.view, column);
  SortRows(w, column);
  SetSortArrows(w.list, place, ascending);
  // The focused row moved with its port.
  int32_t focus = FindRowOfPort(w.list, w.view.focusPort);
  if (focus >= 0) w.view.settings.focusRow = focus;
}
