#include "ui/win32/list_sort.h"

#include <commctrl.h>

#include "platform/win32/list_view.h"
#include "ui/port_session.h"
#include "ui/row_order.h"
#include "ui/view_state.h"
#include "ui/win32/list_rows.h"
#include "ui/win32/window_state.h"

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  return CompareRowsBy(ReadCellText, static_cast<int32_t>(a), static_cast<int32_t>(b),
                       static_cast<int32_t>(column));
}

void SortRows(int32_t column) {
  SortListByIndex(listView, CompareRows, column);
}

void SetSortArrows(HWND list, int32_t column, int32_t ascending) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  for (int32_t i = 0; i < HeaderItemCount(list); i++) {
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void SortByClickedColumn(int32_t column) {
  // Reordering under a command that holds row indices would point it at
  // other ports: refused while rows are in use.
  if (RowsInUse()) {
    MessageBeep(MB_OK);
    return;
  }
  int32_t ascending = ClickSortColumn(column);
  SortRows(column);
  SetSortArrows(listView, column, ascending);
  // The focused row moved with its port.
  int32_t focus = FindRowOfPort(focusPort);
  if (focus >= 0) viewSettings.focusRow = focus;
}
