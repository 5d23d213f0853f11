#include "ui/win32/port_list.h"

#include <commctrl.h>

#include "actions/property_sheet.h"
#include "base/memory.h"
#include "base/text.h"
#include "ui/edit_rules.h"
#include "ui/port_session.h"
#include "ui/row_cells.h"
#include "ui/row_order.h"
#include "ui/settings_rules.h"
#include "ui/win32/app_cursor.h"
#include "ui/win32/list_sort.h"

static const wchar_t* const kColumnTitles[kLocationColumn + 1] = {
    L"Port", L"Kernel Name", L"Device", L"Class", L"Device ID", L"Location"};

static void InsertColumn(const MainWindow& w, int32_t column) {
  LVCOLUMNW item = {};
  item.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  item.fmt = LVCFMT_LEFT;
  item.cx = w.view.settings.columnWidths[column];
  item.pszText = const_cast<wchar_t*>(kColumnTitles[column]);
  item.iSubItem = column;
  SendMessageW(w.list, LVM_INSERTCOLUMNW, ColumnPlace(w.view, column),
               reinterpret_cast<LPARAM>(&item));
}

void KeepColumnWidths(MainWindow& w) {
  int32_t present[kLocationColumn + 1];
  int32_t count = HeaderItemCount(w.list);
  if (count > kLocationColumn + 1) count = kLocationColumn + 1;
  for (int32_t place = 0; place < count; place++) {
    present[place] = static_cast<int32_t>(SendMessageW(w.list, LVM_GETCOLUMNWIDTH, place, 0));
  }
  TakeColumnWidths(&w.view, present, count);
}

void InsertColumns(MainWindow& w) {
  for (int32_t column = 0; column <= kLocationColumn; column++) {
    if (ColumnPlace(w.view, column) >= 0) InsertColumn(w, column);
  }
}

void ShowColumn(MainWindow& w, int32_t column, int32_t shown) {
  int32_t* flag = column == kDeviceIdColumn ? &w.view.showDeviceId : &w.view.showLocation;
  if ((*flag != 0) == (shown != 0)) return;
  // A hidden column's width is not kept: it comes back as it was stored.
  if (!shown) SendMessageW(w.list, LVM_DELETECOLUMN, ColumnPlace(w.view, column), 0);
  *flag = shown != 0;
  if (shown) InsertColumn(w, column);
}

static void SetCellText(HWND list, int32_t row, int32_t column, const char16_t* text) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text));
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetRowTexts(const MainWindow& w, const PortDevice* device, int32_t row) {
  for (int32_t column = kKernelNameColumn; column <= kLocationColumn; column++) {
    int32_t place = ColumnPlace(w.view, column);
    if (place >= 0) SetCellText(w.list, row, place, DeviceCellText(device, column));
  }
}

void ShowReservedCount(const MainWindow& w) {
  if (w.ports.reservations == nullptr) return;  // before the first refresh
  char16_t text[132] = {};
  TextAppend(text, Units(text), u" ");
  TextAppendSigned(text, Units(text), ReservedPortCount(&w.ports));
  TextAppend(text, Units(text), u" ports reserved");
  SendMessageW(w.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
}

void ShowSelectedCount(MainWindow& w) {
  int32_t n = SelectedRowCount(w.list);
  if (n == w.view.lastSelectedCount) return;
  w.view.lastSelectedCount = n;
  char16_t text[132] = {};
  TextAppend(text, Units(text), u" Selected Devices: ");
  TextAppendSigned(text, Units(text), n);
  SendMessageW(w.statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
}

void RestoreScroll(HWND list, int32_t top) {
  // Already there (a list refilled from the top): scrolling to where it
  // stands would still cost the list a relayout.
  if (SendMessageW(list, LVM_GETTOPINDEX, 0, 0) == top) return;
  int32_t perPage = static_cast<int32_t>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
  int32_t count = static_cast<int32_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  int32_t target = top + perPage < count - 1 ? top + perPage : count - 1;
  SendMessageW(list, LVM_ENSUREVISIBLE, target, FALSE);
  SendMessageW(list, LVM_ENSUREVISIBLE, top, FALSE);
}

void RememberFocus(MainWindow& w, int32_t row) {
  w.view.settings.focusRow = row;
  w.view.focusPort = row >= 0 ? RowPort(w.list, row) : 0;
}

static MainWindow& Of(void* context) { return *static_cast<MainWindow*>(context); }

static int32_t CountRows(void* w) { return RowCount(Of(w).list); }
static int32_t PortOfRow(void* w, int32_t row) { return RowPort(Of(w).list, row); }
static void ShowRowDevice(void* context, int32_t row, PortDevice* device) {
  MainWindow& w = Of(context);
  SetRowTexts(w, device, row);
  ShowDeviceOfPort(&w.ports, RowPort(w.list, row), device);
}
static void SetRowChecked(void* w, int32_t row, int32_t checked) {
  SetRowStateImage(Of(w), row, checked ? kChecked : kUnchecked);
}
static int32_t RowIsSelected(void* w, int32_t row) {
  return (SendMessageW(Of(w).list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}
static int32_t CountSelected(void* w) { return SelectedRowCount(Of(w).list); }
static void ClearSelection(void* w) { SetRowState(Of(w).list, -1, 0, LVIS_SELECTED); }
static void SelectAndFocus(void* context, int32_t row) {
  MainWindow& w = Of(context);
  SetRowState(w.list, row, LVIS_SELECTED, LVIS_SELECTED);
  SetRowState(w.list, row, LVIS_FOCUSED, LVIS_FOCUSED);
  RememberFocus(w, row);
}

RowAccess ListRows(MainWindow* w) {
  return {w,           CountRows,     PortOfRow,      SetRowChecked, ShowRowDevice,
          RowIsSelected, CountSelected, ClearSelection, SelectAndFocus};
}

void OpenPropertySheetOfRow(const MainWindow& w, int32_t row) {
  PortDevice* device;
  char16_t deviceId[kDeviceIdUnits];
  if (row < 0 || !ReadRowDevice(w, row, &device) || device == nullptr ||
      !DeviceIdOf(&w.ports, device, deviceId)) {
    return;
  }
  OpenPropertySheet(deviceId);
}

void RefreshList(MainWindow& w) {
  // Rows and records are rebuilt here, so nothing may hold them: a refresh
  // that comes due meanwhile runs once the holder is done.
  if (!RefreshMayRunNow(&w.ports)) return;
  SetAppCursor(w.window, IDC_WAIT, 0);
  SendMessageW(w.list, WM_SETREDRAW, FALSE, 0);
  w.view.listUpdating = 1;
  int32_t oldTop = static_cast<int32_t>(SendMessageW(w.list, LVM_GETTOPINDEX, 0, 0));
  // The selection belongs to ports, as the focus does: the rows of the
  // ports selected now are selected again, wherever they come to stand. A
  // port that has no row any more leaves the selection.
  const int32_t kMostPorts = static_cast<int32_t>(kLargestComDbBytes * 8);
  HeapBlock<uint8_t> selectedPorts(kMostPorts + 1);
  for (int32_t r = -1; (r = static_cast<int32_t>(SendMessageW(w.list, LVM_GETNEXTITEM, r,
                                                              LVNI_SELECTED))) >= 0;) {
    int32_t port = RowPort(w.list, r);
    if (port >= 1 && port <= kMostPorts) selectedPorts[port] = 1;
  }
  SendMessageW(w.list, LVM_DELETEALLITEMS, 0, 0);

  ReloadPorts(&w.ports, w.view.showLocation != 0);
  const PortReservations* ports = w.ports.reservations;
  int32_t count = ports->portCount;
  const ViewState& view = w.view;
  HeapBlock<int32_t> order(count + 1);
  OrderPortRows(w.ports.shown + 1, count, view, order.Get());
  // The rows go in in their final order (the list has no sorting style).
  int32_t focus = -1;
  for (int32_t k = 0; k < count; k++) {
    int32_t port = order[k] + 1;
    char16_t text[16];
    PortCellText(port, text, Units(text));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = k;
    item.pszText = reinterpret_cast<wchar_t*>(text);
    item.lParam = port;
    item.stateMask = LVIS_SELECTED;
    item.state = port <= kMostPorts && selectedPorts[port] ? LVIS_SELECTED : 0;
    int32_t row = static_cast<int32_t>(
        SendMessageW(w.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) continue;  // -1 would address every row
    if (port == view.focusPort) focus = row;
    SetRowStateImage(w, row, ports->reservedFlags[port - 1] ? kChecked : kUnchecked);
    // Every cell gets a text, empty ones too: a cell never set would be
    // asked of the window each time it is read.
    SetRowTexts(w, w.ports.shown[port], row);
  }
  ShowReservedCount(w);
  SetSortArrows(w.list, ColumnPlace(view, view.sortColumn),
                view.settings.sortDirection[SortSlot(view.sortColumn)]);
  // The focus goes back to its port's row, wherever the order put it; with
  // the port gone, no other row takes it. For -1 the list would focus
  // every row.
  if (focus >= 0) SetRowState(w.list, focus, LVIS_FOCUSED, LVIS_FOCUSED);
  RememberFocus(w, focus);
  // Counted once the selection is given back, so that a refresh that
  // restores it leaves the status text (the report of a repair, say) as
  // it was.
  ShowSelectedCount(w);
  // Not while a box of this thread is active (the About box, a message):
  // the keys meant for it would go to the list.
  HWND active = GetActiveWindow();
  if (active == nullptr || active == w.window) SetFocus(w.list);
  RestoreScroll(w.list, oldTop);
  w.view.listUpdating = 0;
  SendMessageW(w.list, WM_SETREDRAW, TRUE, 0);
  SetAppCursor(w.window, IDC_ARROW, 1);
  UpdateWindow(w.list);
  UpdateWindow(w.window);
}
