#include "ui/win32/list_rows.h"

#include <commctrl.h>

#include "ui/edit_rules.h"
#include "ui/row_order.h"

int32_t RowCount(HWND list) {
  return static_cast<int32_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

int32_t SelectedRowCount(HWND list) {
  return static_cast<int32_t>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
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

void ReadCellText(HWND list, int32_t row, int32_t column, char16_t* text) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(text);
  item.cchTextMax = kCellTextUnits;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text[kCellTextUnits - 1] = 0;
}

int32_t RowPort(HWND list, int32_t row) {
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return static_cast<int32_t>(item.lParam);
}

void SetRowState(HWND list, int32_t row, UINT state, UINT mask) {
  LVITEMW item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Every check box the program sets goes through here, marked as its own
// change so that the list's report of it is never taken for a user's edit.
void SetRowStateImage(MainWindow& w, int32_t row, uint32_t image) {
  int32_t outer = w.view.listUpdating;
  w.view.listUpdating = 1;
  SetRowState(w.list, row, StateImageState(image), LVIS_STATEIMAGEMASK);
  w.view.listUpdating = outer;
}

int32_t FindRowOfPort(HWND list, int32_t port) {
  if (port <= 0) return -1;
  LVFINDINFOW find = {};
  find.flags = LVFI_PARAM;
  find.lParam = port;
  return static_cast<int32_t>(
      SendMessageW(list, LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int32_t ReadRowDevice(const MainWindow& w, int32_t row, PortDevice** device) {
  int32_t port = RowPort(w.list, row);
  *device = ShownDevice(&w.ports, port);
  return port != 0;
}
