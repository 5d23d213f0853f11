#include "ui/win32/commands.h"

#include <commctrl.h>

#include "actions/about_box.h"
#include "actions/clipboard.h"
#include "actions/system_tools.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/listing.h"
#include "core/plan_file.h"
#include "platform/os.h"
#include "res/resource.h"
#include "ui/moves.h"
#include "ui/plans.h"
#include "ui/port_session.h"
#include "ui/repairs.h"
#include "ui/row_order.h"
#include "ui/undo.h"
#include "ui/win32/app_cursor.h"
#include "ui/win32/file_dialogs.h"
#include "ui/win32/menus.h"
#include "ui/win32/monitor.h"
#include "ui/win32/move_dialog.h"
#include "ui/win32/plan_dialog.h"
#include "ui/win32/port_list.h"
#include "ui/win32/row_work.h"
#include "ui/win32/settings_file.h"

static int32_t NextSelectedRow(HWND list, int32_t after) {
  return static_cast<int32_t>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

static void ShowStatus(const MainWindow& w, const char16_t* text) {
  SendMessageW(w.statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
}

static void ShowRepairOutcome(MainWindow& w, RepairKind kind, const RepairResult& outcome) {
  char16_t text[200];
  RepairStatusText(kind, outcome, text, Units(text));
  TellJournalFailure(&w.ports, text, Units(text));
  ShowStatus(w, text);
  // Boxes that show what ComDB does not hold go back to what it does.
  if (outcome.saveFailed || outcome.unsaved) ArmRefreshTimer(w.window, kKeyChangeRefreshDelay);
}

static void ClearUnusedCommand(MainWindow& w) {
  ShowRepairOutcome(w, kClearRepair, ClearUnusedPorts(&w.ports, ListRows(&w)));
}

static void RemoveNonPresentCommand(MainWindow& w) {
  ShowRepairOutcome(w, kRemoveRepair, RemoveNonPresentPorts(&w.ports, ListRows(&w)));
}

// The rows selected now, in index order, into *rows; how many. The user
// may select others while a message box of the command is up, and the
// command works what was asked of it.
static int32_t SelectedRows(HWND list, HeapBlock<int32_t>* rows) {
  int32_t count = SelectedRowCount(list);
  int32_t* selected = rows->Reset(count > 0 ? count : 1);
  int32_t n = 0;
  for (int32_t r = NextSelectedRow(list, -1); r >= 0 && n < count; r = NextSelectedRow(list, r)) {
    selected[n++] = r;
  }
  return n;
}

static void RemoveSelectedDevices(MainWindow& w) {
  SetAppCursor(w.window, IDC_WAIT, 0);
  HeapBlock<int32_t> selected;
  int32_t n = SelectedRows(w.list, &selected), removed = 0;
  const RowAccess rows = ListRows(&w);
  for (int32_t i = 0; i < n; i++) {
    int32_t r = selected[i];
    RememberFocus(w, r);
    PortDevice* device;
    if (!ReadRowDevice(w, r, &device)) continue;
    SendMessageW(w.list, LVM_ENSUREVISIBLE, r, FALSE);
    if (RemoveDeviceOfRow(&w.ports, rows, r, device)) {
      removed++;
      ShowReservedCount(w);
      ShowSelectedCount(w);
    }
    UpdateWindow(w.window);
  }
  // A save that did not write leaves the boxes showing what is not stored:
  // show what is.
  if (removed > 0 && !SaveRemovals(&w.ports)) ArmRefreshTimer(w.window, kKeyChangeRefreshDelay);
  // For focusRow -1 the list would be asked to select every row.
  int32_t focusRow = w.view.settings.focusRow;
  if (focusRow >= 0) {
    SetRowState(w.list, focusRow, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  }
  SetAppCursor(w.window, IDC_ARROW, 0);
}

static void OpenSelectedPropertySheets(MainWindow& w) {
  HeapBlock<int32_t> selected;
  int32_t k = SelectedRows(w.list, &selected);  // the rows the question counts
  if (k > 10) {
    wchar_t text[64];
    wsprintfW(text, L"This opens %i property dialogs! Sure?", k);
    if (OsMessageBox(0, reinterpret_cast<const char16_t*>(text), u"Varnick",
                     MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return;
    }
    SetForegroundWindow(w.window);
  }
  SetAppCursor(w.window, IDC_APPSTARTING, 0);
  for (int32_t i = 0; i < k; i++) OpenPropertySheetOfRow(w, selected[i]);
  // The sheets start in threads of their own: the app-starting cursor says
  // so while their windows come up.
  Sleep(500);
  SetAppCursor(w.window, IDC_ARROW, 0);
}

static void SelectAllRows(MainWindow& w) {
  SetRowState(w.list, -1, LVIS_SELECTED, LVIS_SELECTED);
  SetFocus(w.list);
  ShowSelectedCount(w);
}

static void CopyClickedCell(const MainWindow& w) {
  // A menu opened where no row is has no cell to copy, and copying nothing
  // would empty the clipboard.
  const ViewSettings& settings = w.view.settings;
  if (settings.clickedColumn < 0 || settings.focusRow < 0) return;
  char16_t text[kCellTextUnits] = {};
  ReadCellText(w.list, settings.focusRow, settings.clickedColumn, text);
  TextBufferToClipboard(w.window, text);
}

// The rows' lines under a line of column names, into text when it is
// given (room units); their length either way.
static int32_t RowsText(const MainWindow& w, const int32_t* rows, int32_t n, char16_t* text,
                        int32_t room) {
  char16_t line[kListingLineUnits];
  int32_t length = 0;
  for (int32_t i = -1; i < n; i++) {
    PortDevice* device = nullptr;
    if (i < 0) {
      ListingHeader(kTabs, line, Units(line));
    } else if (ReadRowDevice(w, rows[i], &device)) {
      int32_t port = RowPort(w.list, rows[i]);
      ListingLine(kTabs, port, IsPortReserved(&w.ports, port), device, line, Units(line));
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
static void CopySelectedRows(MainWindow& w) {
  HeapBlock<int32_t> selected;
  int32_t n = SelectedRows(w.list, &selected);
  if (n > 0) {
    // The lines carry the serial ports' identities, which the Location
    // column's reload may not have read.
    ReadPortIdentities(&w.ports);
    int32_t room = RowsText(w, selected.Get(), n, nullptr, 0) + 1;
    HeapBlock<char16_t> text(room);
    RowsText(w, selected.Get(), n, text.Get(), room);
    TextBufferToClipboard(w.window, text.Get());
  }
}

static void RestartAsAdministrator(MainWindow& w) {
  SetAppCursor(w.window, IDC_WAIT, 0);
  // Saved before the new instance starts, which reads the file at once.
  SaveSettings(w);
  // The new instance always opens the window: it gets no argument text,
  // which would otherwise be searched for the batch switches.
  if (RestartElevated(nullptr)) PostMessageW(w.window, WM_CLOSE, 0, 0);
  SetAppCursor(w.window, IDC_ARROW, 0);
}

// The port's row alone selected and focused now, on the rows as they
// stand, so that whatever the list does while the rows are held keeps it
// so for the refresh.
static void SelectPortRow(MainWindow& w, int32_t port) {
  SetRowState(w.list, -1, 0, LVIS_SELECTED);
  int32_t row = FindRowOfPort(w.list, port);  // -1 would select every row
  if (row >= 0) SetRowState(w.list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  RememberFocus(w, row);
}

// Gives the focused row's serial port the number the user chooses; the
// list then shows it on its new row, focused and selected there, once the
// refresh held back while the dialog and its boxes were up has run.
static void ChangePortNumber(MainWindow& w) {
  PortDevice* device = nullptr;
  if (!ReadRowDevice(w, w.view.settings.focusRow, &device) || !MayTakeAnotherNumber(device)) {
    MessageBeep(MB_OK);
    return;
  }
  if (const char16_t* refusal = RefuseNumberChange(&w.ports)) {
    OsMessageBox(0, refusal, u"Error", kOsMbOk | kOsMbIconError);
    return;
  }
  int32_t target = ChooseNewPortNumber(w, device);
  if (target == 0) return;
  SetAppCursor(w.window, IDC_WAIT, 0);
  int32_t moved = MoveDeviceOfRow(&w.ports, device, target);
  SetAppCursor(w.window, IDC_ARROW, 0);
  if (!moved) return;
  SelectPortRow(w, target);
  RefreshList(w);
}

// This machine's plan, into a file the user chooses. It reads the devices
// afresh and holds no rows.
static void ExportNumberPlan(MainWindow& w) {
  char16_t path[kChosenPathUnits] = u"number-plan.txt";
  if (!ChooseFileToSave(w.window, u"Export Number Plan", path, Units(path))) return;
  SetAppCursor(w.window, IDC_WAIT, 0);
  int32_t written = ExportPlanFile(path);
  SetAppCursor(w.window, IDC_ARROW, 0);
  if (!written) return;
  char16_t text[kChosenPathUnits + 32];
  TextCopy(text, Units(text), u" Number plan written to ");
  TextAppendOneLine(text, Units(text), path);
  ShowStatus(w, text);
}

// A plan the user chooses, previewed, and applied with OK; the list then
// shows the result, once the refresh held back meanwhile has run.
static void ApplyNumberPlan(MainWindow& w) {
  char16_t path[kChosenPathUnits] = {};
  if (!ChooseFileToOpen(w.window, u"Open Number Plan", path, Units(path))) return;
  NumberPlan plan;
  PlanError error;
  uint32_t systemError;
  if (!LoadPlanFile(path, &plan, &error, &systemError)) {
    char16_t text[kChangeLineUnits];
    DescribePlanLoadFailure(error, systemError, text, Units(text));
    OsMessageBox(0, text, u"Varnick", kOsMbOk | kOsMbIconError);
    return;
  }
  PlanConfirmation outcome = PreviewAndApplyPlan(w, path, &plan);
  ReleaseNumberPlan(&plan);
  if (outcome == kPlanApplied) ShowStatus(w, u" Number plan applied");
  RefreshList(w);
}

// The window's own last change taken back; the list then shows the
// machine as it is, once the refresh held back meanwhile has run, a port
// moved back on its old row as F2 shows one on its new. Offered only where
// there is one (the menu greys it): Ctrl+Z otherwise beeps.
static void UndoLastChangeCommand(MainWindow& w) {
  char16_t text[120] = {};
  int32_t movedTo = 0;
  SetAppCursor(w.window, IDC_WAIT, 0);
  int32_t ran = UndoLastChange(&w.ports, text, Units(text), &movedTo);
  SetAppCursor(w.window, IDC_ARROW, 0);
  if (!ran) {
    MessageBeep(MB_OK);
    return;
  }
  if (movedTo != 0) SelectPortRow(w, movedTo);
  TellJournalFailure(&w.ports, text, Units(text));
  ShowStatus(w, text);
  RefreshList(w);
}

// Commands that hold rows or device records run only when no other such
// work is under way (a message box of one may be up); otherwise the click
// is refused.
static void RunRowCommand(MainWindow& w, void (*command)(MainWindow& w)) {
  if (!BeginRowWork(&w.ports)) {
    MessageBeep(MB_OK);
    return;
  }
  command(w);
  EndRowWorkAndCatchUp(w);
}

// The columns change under the rows: not while a command holds them; the
// refresh then runs at once and fills the new column. While the Location
// column is shown, every reload reads the identities it shows.
static void ToggleColumn(MainWindow& w, int32_t menuId, int32_t column) {
  if (RowsInUse(&w.ports)) {
    MessageBeep(MB_OK);
    return;
  }
  int32_t shown = ColumnPlace(w.view, column) < 0;
  ShowColumn(w, column, shown);
  SetMenuCheck(w, menuId, shown);
  RefreshList(w);
}

static void WithBusyCursor(const MainWindow& w, void (*action)()) {
  SetAppCursor(w.window, IDC_WAIT, 0);
  action();
  SetAppCursor(w.window, IDC_ARROW, 0);
}

static void OpenDeviceManagerNow() { OpenDeviceManager(); }
static void CreateRestorePointNow() { CreateRestorePoint(); }

void DispatchCommand(MainWindow& w, int32_t id) {
  UpdateWindow(w.window);
  switch (id) {
    case IDC_CLEAR_BUTTON:
      RunRowCommand(w, ClearUnusedCommand);
      break;
    case IDC_REMOVE_BUTTON:
      RunRowCommand(w, RemoveNonPresentCommand);
      break;
    case IDM_REMOVE_KEY:
    case IDM_REMOVE_DEVICE:
    case IDM_REMOVE_OTHER:
      RunRowCommand(w, RemoveSelectedDevices);
      break;
    case IDM_SELECT_ALL:
    case IDM_SELECT_ALL_OTHER:
      SelectAllRows(w);
      break;
    case IDM_REFRESH_KEY:
    case IDM_REFRESH:
      RefreshList(w);  // held back by itself while rows are in use
      break;
    case IDM_PROPERTIES_SPACE:
    case IDM_PROPERTIES_ENTER:
    case IDM_PROPERTIES:
      RunRowCommand(w, OpenSelectedPropertySheets);
      break;
    case IDM_RESTART_ELEVATED:
      RestartAsAdministrator(w);
      break;
    case IDM_RESTORE_POINT:
      WithBusyCursor(w, CreateRestorePointNow);
      break;
    case IDM_DEVICE_MANAGER:
      WithBusyCursor(w, OpenDeviceManagerNow);
      break;
    case IDM_EXPORT_PLAN:
      ExportNumberPlan(w);
      break;
    case IDM_APPLY_PLAN:
      RunRowCommand(w, ApplyNumberPlan);
      break;
    case IDM_UNDO:
    case IDM_UNDO_KEY:
      RunRowCommand(w, UndoLastChangeCommand);
      break;
    case IDM_EXIT:
      PostMessageW(w.window, WM_CLOSE, 0, 0);
      break;
    case IDM_SHOW_DEVICE_ID:
      ToggleColumn(w, IDM_SHOW_DEVICE_ID, kDeviceIdColumn);
      break;
    case IDM_SHOW_LOCATION:
      ToggleColumn(w, IDM_SHOW_LOCATION, kLocationColumn);
      break;
    case IDM_WINDOWS_THEME:
      w.view.settings.visualStyles = !w.view.settings.visualStyles;
      SetMenuCheck(w, IDM_WINDOWS_THEME, w.view.settings.visualStyles);
      ApplyWindowTheme(w);
      break;
    case IDM_ALWAYS_ON_TOP:
      w.alwaysOnTop = !w.alwaysOnTop;
      SetMenuCheck(w, IDM_ALWAYS_ON_TOP, w.alwaysOnTop);
      SetWindowZOrder(w.window, w.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST);
      OsKeepMessageBoxesOnTop(w.alwaysOnTop);
      break;
    case IDM_ABOUT:
      ShowAboutBox({w.window, w.largeIcon, w.view.settings.largeIconSize, SetAppCursor});
      break;
    case IDM_COPY_ROWS:
      CopySelectedRows(w);
      break;
    case IDM_COPY:
      CopyClickedCell(w);
      break;
    case IDM_CHANGE_PORT:
    case IDM_CHANGE_PORT_KEY:
      RunRowCommand(w, ChangePortNumber);
      break;
  }
}
