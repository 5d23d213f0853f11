#include "ui/win32/commands.h"

#include <commctrl.h>

#include "actions/about_box.h"
#include "actions/clipboard.h"
#include "actions/system_tools.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/listing.h"
#include "platform/os.h"
#include "res/resource.h"
#include "ui/edit_rules.h"
#include "ui/port_session.h"
#include "ui/repairs.h"
#include "ui/row_order.h"
#include "ui/view_state.h"
#include "ui/win32/app_cursor.h"
#include "ui/win32/menus.h"
#include "ui/win32/monitor.h"
#include "ui/win32/port_list.h"
#include "ui/win32/row_work.h"
#include "ui/win32/settings_file.h"
#include "ui/win32/window_state.h"

static int32_t alwaysOnTop = 0;

static int32_t NextSelectedRow(int32_t after) {
  return static_cast<int32_t>(
      SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

static void ShowRepairOutcome(RepairKind kind, const RepairResult& outcome) {
  char16_t text[132];
  RepairStatusText(kind, outcome, text, Units(text));
  SendMessageW(statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  // Boxes that show what ComDB does not hold go back to what it does.
  if (outcome.saveFailed || outcome.unsaved) ArmRefreshTimer(kKeyChangeRefreshDelay);
}

static void ClearUnusedCommand() {
  ShowRepairOutcome(kClearRepair, ClearUnusedPorts(listRows));
}

static void RemoveNonPresentCommand() {
  ShowRepairOutcome(kRemoveRepair, RemoveNonPresentPorts(listRows));
}

// The rows selected now, in index order: the user may select others while
// a message box of the command is up, and the command works what was asked
// of it. Released with MemFree.
static int32_t* SelectedRows(int32_t* n) {
  int32_t count = SelectedRowCount();
  auto* rows = static_cast<int32_t*>(MemAlloc(sizeof(int32_t) * (count > 0 ? count : 1)));
  *n = 0;
  for (int32_t r = NextSelectedRow(-1); r >= 0 && *n < count; r = NextSelectedRow(r)) {
    rows[(*n)++] = r;
  }
  return rows;
}

static void RemoveSelectedDevices() {
  SetAppCursor(IDC_WAIT, 0);
  int32_t n, removed = 0;
  int32_t* selected = SelectedRows(&n);
  for (int32_t i = 0; i < n; i++) {
    int32_t r = selected[i];
    RememberFocus(r);
    PortDevice* device;
    if (!ReadRowDevice(r, &device)) continue;
    SendMessageW(listView, LVM_ENSUREVISIBLE, r, FALSE);
    if (RemoveDeviceOfRow(listRows, r, device)) {
      removed++;
      ShowReservedCount();
      ShowSelectedCount();
    }
    UpdateWindow(mainWindow);
  }
  MemFree(selected);
  // A save that did not write leaves the boxes showing what is not stored:
  // show what is.
  if (removed > 0 && !SaveRemovals()) ArmRefreshTimer(kKeyChangeRefreshDelay);
  // For focusRow -1 the list would be asked to select every row.
  if (viewSettings.focusRow >= 0) {
    SetRowState(viewSettings.focusRow, LVIS_FOCUSED | LVIS_SELECTED,
                LVIS_FOCUSED | LVIS_SELECTED);
  }
  SetAppCursor(IDC_ARROW, 0);
}

static void OpenSelectedPropertySheets() {
  int32_t k;
  int32_t* selected = SelectedRows(&k);  // the rows the question counts
  if (k > 10) {
    wchar_t text[64];
    wsprintfW(text, L"This opens %i property dialogs! Sure?", k);
    if (OsMessageBox(0, reinterpret_cast<const char16_t*>(text), u"Varnick",
                     MB_YESNO | MB_ICONQUESTION) != IDYES) {
      MemFree(selected);
      return;
    }
    SetForegroundWindow(mainWindow);
  }
  SetAppCursor(IDC_APPSTARTING, 0);
  for (int32_t i = 0; i < k; i++) OpenPropertySheetOfRow(selected[i]);
  MemFree(selected);
  Sleep(500);
  SetAppCursor(IDC_ARROW, 0);
}

static void SelectAllRows() {
  SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
  SetFocus(listView);
  ShowSelectedCount();
}

static void CopyClickedCell() {
  // A menu opened where no row is has no cell to copy, and copying nothing
  // would empty the clipboard.
  if (viewSettings.clickedColumn < 0 || viewSettings.focusRow < 0) return;
  char16_t text[kCellTextUnits] = {};
  ReadCellText(viewSettings.focusRow, viewSettings.clickedColumn, text);
  TextBufferToClipboard(mainWindow, text);
}

// The rows' lines under a line of column names, into text when it is
// given (room units); their length either way.
static int32_t RowsText(const int32_t* rows, int32_t n, char16_t* text, int32_t room) {
  char16_t line[kListingLineUnits];
  int32_t length = 0;
  for (int32_t i = -1; i < n; i++) {
    PortDevice* device = nullptr;
    if (i < 0) {
      ListingHeader(kTabs, line, Units(line));
    } else if (ReadRowDevice(rows[i], &device)) {
      ListingLine(kTabs, RowPort(rows[i]), listRows.isChecked(rows[i]), device, line, Units(line));
    } else {
      continue;
    }
    TextAppend(line, Units(line), u"\r\n");
    if (text != nullptr) TextCopy(text + length, room - length, line);
    length += TextLength(line);
  }
  return length;
}

// The selected rows as the listing gives them, tab-separated, which a
// spreadsheet takes one cell a field. Measured first, then written: a
// whole list is thousands of lines.
static void CopySelectedRows() {
  int32_t n;
  int32_t* selected = SelectedRows(&n);
  if (n > 0) {
    int32_t room = RowsText(selected, n, nullptr, 0) + 1;
    auto* text = static_cast<char16_t*>(MemAlloc(room * sizeof(char16_t)));
    RowsText(selected, n, text, room);
    TextBufferToClipboard(mainWindow, text);
    MemFree(text);
  }
  MemFree(selected);
}

static void RestartAsAdministrator() {
  SetAppCursor(IDC_WAIT, 0);
  // Saved before the new instance starts, which reads the file at once.
  SaveSettings();
  // The new instance always opens the window: it gets no argument text,
  // which would otherwise be searched for the batch switches.
  if (RestartElevated(nullptr)) PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  SetAppCursor(IDC_ARROW, 0);
}

// Commands that hold rows or device records run only when no other such
// work is under way (a message box of one may be up); otherwise the click
// is refused.
static void RunRowCommand(void (*command)()) {
  if (!BeginRowWork()) {
    MessageBeep(MB_OK);
    return;
  }
  command();
  EndRowWorkAndCatchUp();
}

// The columns change under the rows: not while a command holds them; the
// refresh then runs at once and fills the new column.
static void ToggleDeviceIdColumn() {
  if (RowsInUse()) {
    MessageBeep(MB_OK);
    return;
  }
  showDeviceId = !showDeviceId;
  SetMenuCheck(IDM_SHOW_DEVICE_ID, showDeviceId);
  UpdateColumns();
  RefreshList();
}

void DispatchCommand(HWND window, int32_t id, HWND, int32_t) {
  UpdateWindow(mainWindow);
  switch (id) {
    case IDC_CLEAR_BUTTON:
      RunRowCommand(ClearUnusedCommand);
      break;
    case IDC_REMOVE_BUTTON:
      RunRowCommand(RemoveNonPresentCommand);
      break;
    case IDM_REMOVE_KEY:
    case IDM_REMOVE_DEVICE:
    case IDM_REMOVE_OTHER:
      RunRowCommand(RemoveSelectedDevices);
      break;
    case IDM_SELECT_ALL:
    case IDM_SELECT_ALL_OTHER:
      SelectAllRows();
      break;
    case IDM_REFRESH_KEY:
    case IDM_REFRESH:
      RefreshList();  // held back by itself while rows are in use
      break;
    case IDM_PROPERTIES_SPACE:
    case IDM_PROPERTIES_ENTER:
    case IDM_PROPERTIES:
      RunRowCommand(OpenSelectedPropertySheets);
      break;
    case IDM_RESTART_ELEVATED:
      RestartAsAdministrator();
      break;
    case IDM_RESTORE_POINT:
      SetAppCursor(IDC_WAIT, 0);
      CreateRestorePoint();
      SetAppCursor(IDC_ARROW, 0);
      break;
    case IDM_DEVICE_MANAGER:
      SetAppCursor(IDC_WAIT, 0);
      OpenDeviceManager();
      SetAppCursor(IDC_ARROW, 0);
      break;
    case IDM_EXIT:
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case IDM_SHOW_DEVICE_ID:
      ToggleDeviceIdColumn();
      break;
    case IDM_WINDOWS_THEME:
      viewSettings.visualStyles = !viewSettings.visualStyles;
      SetMenuCheck(IDM_WINDOWS_THEME, viewSettings.visualStyles);
      ApplyWindowTheme();
      break;
    case IDM_ALWAYS_ON_TOP:
      alwaysOnTop = !alwaysOnTop;
      SetMenuCheck(IDM_ALWAYS_ON_TOP, alwaysOnTop);
      SetWindowZOrder(mainWindow, alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST);
      OsKeepMessageBoxesOnTop(alwaysOnTop);
      break;
    case IDM_ABOUT:
      ShowAboutBox({mainWindow, largeIcon, viewSettings.largeIconSize, SetAppCursor});
      break;
    case IDM_COPY_ROWS:
      CopySelectedRows();
      break;
    case IDM_COPY:
      CopyClickedCell();
      break;
  }
}
