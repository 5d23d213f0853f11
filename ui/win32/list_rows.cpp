#include "ui/win32/list_rows.h"

#include <commctrl.h>

#include "ui/edit_rules.h"
#include "ui/row_order.h"
#include "ui/view_state.h"
#include "ui/win32/window_state.h"

int32_t RowCount() { return static_cast<int32_t>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)); }

int32_t SelectedRowCount() {
  return static_cast<int32_t>(SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0));
}

int32_t HeaderItemCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return static_cast<int32_t>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int32_t HeaderHeight(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT r;
  return GetWindowRect(header, &r) ? r.bottom - r.top : 0;
}

void ReadCellText(int32_t row, int32_t column, char16_t* text) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(text);
  item.cchTextMax = kCellTextUnits;
  SendMessageW(listView, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text[kCellTextUnits - 1] = 0;
}

int32_t RowPort(int32_t row) {
  char16_t text[kCellTextUnits] = {};
  ReadCellText(row, kPortColumn, text);
  return PortOfRowText(text);
}

void SetRowState(int32_t row, UINT state, UINT mask) {
  LVITEMW item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageW(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Every check box the program sets goes through here, marked as its own
// change so that the list's report of it is never taken for a user's edit.
void SetRowStateImage(int32_t row, uint32_t image) {
  int32_t outer = listUpdating;
  listUpdating = 1;
  SetRowState(row, StateImageState(image), LVIS_STATEIMAGEMASK);
  listUpdating = outer;
}

int32_t RowStateImage(int32_t row) {
  return static_cast<int32_t>(
      StateImageOf(static_cast<UINT>(SendMessageW(listView, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK))));
}

int32_t FindRowOfPort(int32_t port) {
  if (port <= 0) return -1;
  int32_t count = RowCount();
  for (int32_t row = 0; row < count; row++) {
    if (RowPort(row) == port) return row;
  }
  return -1;
}

int32_t ReadRowDevice(int32_t row, PortDevice** device) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  *device = nullptr;
  if (!SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  *device = reinterpret_cast<PortDevice*>(item.lParam);
  return 1;
}
