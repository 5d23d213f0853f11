#include "ui/win32/port_list.h"

#include <commctrl.h>

#include "actions/property_sheet.h"
#include "base/memory.h"
#include "base/text.h"
#include "ui/edit_rules.h"
#include "ui/port_session.h"
#include "ui/row_cells.h"
#include "ui/row_order.h"
#include "ui/view_state.h"
#include "ui/win32/app_cursor.h"
#include "ui/win32/list_sort.h"
#include "ui/win32/window_state.h"

static const wchar_t* const kColumnTitles[5] = {L"Port", L"Kernel Name", L"Device", L"Class",
                                                L"Device ID"};

static void InsertColumn(int32_t index) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = viewSettings.columnWidths[index];
  column.pszText = const_cast<wchar_t*>(kColumnTitles[index]);
  column.iSubItem = index;
  SendMessageW(listView, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void UpdateColumns() {
  int32_t n = HeaderItemCount(listView);
  if (n == 0) {
    for (int32_t i = 0; i < 4; i++) InsertColumn(i);
    n = 4;
  }
  if (showDeviceId && n == 4) {
    InsertColumn(kDeviceIdColumn);
    n = 5;
  }
  if (!showDeviceId && n == 5) {
    SendMessageW(listView, LVM_DELETECOLUMN, kDeviceIdColumn, 0);
    n = 4;
  }
  viewSettings.columnCount = n;
}

static void SetCellText(int32_t row, int32_t column, const char16_t* text) {
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text));
  SendMessageW(listView, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetRowTexts(const PortDevice* device, int32_t row) {
  int32_t last = showDeviceId ? kDeviceIdColumn : kClassColumn;
  for (int32_t column = kKernelNameColumn; column <= last; column++) {
    SetCellText(row, column, DeviceCellText(device, column));
  }
}

void ShowReservedCount() {
  if (PortState() == nullptr) return;  // before the first refresh
  char16_t text[132] = {};
  TextAppend(text, Units(text), u" ");
  TextAppendSigned(text, Units(text), ReservedPortCount());
  TextAppend(text, Units(text), u" ports reserved");
  SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
}

void ShowSelectedCount() {
  int32_t n = SelectedRowCount();
  if (n == lastSelectedCount) return;
  lastSelectedCount = n;
  char16_t text[132] = {};
  TextAppend(text, Units(text), u" Selected Devices: ");
  TextAppendSigned(text, Units(text), n);
  SendMessageW(statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
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

void RememberFocus(int32_t row) {
  viewSettings.focusRow = row;
  focusPort = row >= 0 ? RowPort(row) : 0;
}


static void ShowRowDevice(int32_t row, PortDevice* device) {
  SetRowTexts(device, row);
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = reinterpret_cast<LPARAM>(device);
  SendMessageW(listView, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

static int32_t RowIsChecked(int32_t row) { return RowStateImage(row) == static_cast<int32_t>(kChecked); }
static void SetRowChecked(int32_t row, int32_t checked) {
  SetRowStateImage(row, checked ? kChecked : kUnchecked);
}
static int32_t RowIsSelected(int32_t row) {
  return (SendMessageW(listView, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}
static void ClearSelection() { SetRowState(-1, 0, LVIS_SELECTED); }
static void SelectAndFocus(int32_t row) {
  SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
  SetRowState(row, LVIS_FOCUSED, LVIS_FOCUSED);
  RememberFocus(row);
}

const RowAccess listRows = {RowCount,      RowPort,          RowIsChecked,
                            SetRowChecked, ShowRowDevice,    RowIsSelected,
                            SelectedRowCount, ClearSelection, SelectAndFocus};

void OpenPropertySheetOfRow(int32_t row) {
  PortDevice* device;
  char16_t deviceId[kDeviceIdUnits];
  if (row < 0 || !ReadRowDevice(row, &device) || device == nullptr ||
      !DeviceIdOf(device, deviceId)) {
    return;
  }
  OpenPropertySheet(deviceId);
}

void RefreshList() {
  // Rows and records are rebuilt here, so nothing may hold them: a refresh
  // that comes due meanwhile runs once the holder is done.
  if (!RefreshMayRunNow()) return;
  SetAppCursor(IDC_WAIT, 0);
  SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
  listUpdating = 1;
  int32_t oldTop = static_cast<int32_t>(SendMessageW(listView, LVM_GETTOPINDEX, 0, 0));
  // The selection belongs to ports, as the focus does: the rows of the
  // ports selected now are selected again, wherever they come to stand. A
  // port that has no row any more leaves the selection.
  const int32_t kMostPorts = static_cast<int32_t>(kLargestComDbBytes * 8);
  auto* selectedPorts = static_cast<uint8_t*>(MemAlloc(kMostPorts + 1));
  for (int32_t r = -1; (r = static_cast<int32_t>(SendMessageW(listView, LVM_GETNEXTITEM, r,
                                                              LVNI_SELECTED))) >= 0;) {
    int32_t port = RowPort(r);
    if (port >= 1 && port <= kMostPorts) selectedPorts[port] = 1;
  }
  SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);

  ReloadPorts();
  const PortReservations* ports = PortState();
  int32_t count = ports->portCount;
  auto** devices = static_cast<PortDevice**>(MemAlloc(sizeof(PortDevice*) * (count + 1)));
  auto* order = static_cast<int32_t*>(MemAlloc(sizeof(int32_t) * (count + 1)));
  for (int32_t i = 0; i < count; i++) devices[i] = DeviceOfPort(i + 1);
  OrderPortRows(devices, count, sortColumn, order);
  // The rows go in in their final order (the list has no sorting style).
  int32_t focus = -1;
  for (int32_t k = 0; k < count; k++) {
    int32_t i = order[k];
    char16_t text[16];
    PortCellText(i + 1, text, Units(text));
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = k;
    item.pszText = reinterpret_cast<wchar_t*>(text);
    item.lParam = reinterpret_cast<LPARAM>(devices[i]);
    item.stateMask = LVIS_SELECTED;
    item.state = i < kMostPorts && selectedPorts[i + 1] ? LVIS_SELECTED : 0;
    int32_t row = static_cast<int32_t>(
        SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) continue;  // -1 would address every row
    if (i + 1 == focusPort) focus = row;
    SetRowStateImage(row, ports->reservedFlags[i] ? kChecked : kUnchecked);
    // Every cell gets a text, empty ones too: a cell never set would be
    // asked of the window each time it is read.
    SetRowTexts(devices[i], row);
  }
  MemFree(order);
  MemFree(devices);
  MemFree(selectedPorts);
  ShowReservedCount();
  SetSortArrows(listView, sortColumn, viewSettings.sortDirection[SortSlot(sortColumn)]);
  // The focus goes back to its port's row, wherever the order put it; with
  // the port gone, no other row takes it. For -1 the list would focus
  // every row.
  if (focus >= 0) SetRowState(focus, LVIS_FOCUSED, LVIS_FOCUSED);
  RememberFocus(focus);
  // Counted once the focused row is selected again, so that a refresh
  // that restores the selection leaves the status text (the report of a
  // repair, say) as it was.
  ShowSelectedCount();
  // Not while a box of this thread is active (the About box, a message):
  // the keys meant for it would go to the list.
  HWND active = GetActiveWindow();
  if (active == nullptr || active == mainWindow) SetFocus(listView);
  RestoreScroll(listView, oldTop);
  listUpdating = 0;
  SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
  SetAppCursor(IDC_ARROW, 1);
  UpdateWindow(listView);
  UpdateWindow(mainWindow);
}
