#include "ui/win32/list_notify.h"

#include <commctrl.h>

#include "platform/os.h"
#include "res/resource.h"
#include "ui/edit_rules.h"
#include "ui/port_session.h"
#include "ui/win32/app_cursor.h"
#include "ui/win32/list_sort.h"
#include "ui/win32/monitor.h"
#include "ui/win32/port_list.h"
#include "ui/win32/row_work.h"

static int32_t FocusedRow(HWND list) {
  return static_cast<int32_t>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

static void PutBoxBack(MainWindow& w, const NMLISTVIEW* change) {
  SetRowStateImage(w, change->iItem, StateImageOf(change->uOldState));
}

// Without administrator rights, or with a ComDB the program does not
// write, the box is put back; 0 when refused.
static int32_t CheckBoxChanged(MainWindow& w, const NMLISTVIEW* change) {
  int32_t row = change->iItem;
  // Refused, with a beep: a click while rows are in use (a message box of
  // another command is up), and Space, which opens property sheets. Space
  // reaches the list only inside a message box's own loop, which
  // translates no accelerator; the list would take it for a click.
  if (GetKeyState(VK_SPACE) < 0 || !BeginRowWork(&w.ports)) {
    PutBoxBack(w, change);
    MessageBeep(MB_OK);
    return 0;
  }
  // Only a focus the report brings counts: lists that report whole states
  // carry the focus of a row that already had it.
  int32_t focusGained = (change->uNewState & ~change->uOldState & LVIS_FOCUSED) != 0;
  int32_t reserved = StateImageOf(change->uNewState) == kChecked;
  int32_t saved;
  const RowAccess rows = ListRows(&w);
  if (const char16_t* refusal =
          EditReservations(&w.ports, rows, row, reserved, focusGained, &saved)) {
    // The rows stay as they are while the box is up: no refresh or sort
    // runs under row work.
    OsMessageBox(0, refusal, u"Error", kOsMbOk | kOsMbIconError);
    PutBoxBack(w, change);
    EndRowWorkAndCatchUp(w);
    return 0;
  }
  // A save that did not write leaves the boxes showing what is not stored:
  // show what is.
  if (!saved) ArmRefreshTimer(w.window, kKeyChangeRefreshDelay);
  ShowReservedCount(w);
  EndRowWorkAndCatchUp(w);
  return 1;
}

LRESULT OnListNotify(MainWindow& w, int32_t controlId, const NMHDR* header) {
  if (controlId != IDC_PORT_LIST) return 0;
  switch (header->code) {
    case LVN_COLUMNCLICK:
      SortByClickedColumn(w, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
      break;
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
      // Every focus change counts, the keyboard's too; the program's own
      // rebuilds remember theirs themselves.
      if (!w.view.listUpdating && change->iItem >= 0 && (change->uChanged & LVIF_STATE) &&
          (change->uNewState & ~change->uOldState & LVIS_FOCUSED)) {
        RememberFocus(w, change->iItem);
      }
      if (IsCheckBoxChange(w.view.listUpdating, change->uChanged, change->uOldState,
                           change->uNewState) &&
          !CheckBoxChanged(w, change)) {
        return 0;
      }
      break;
    }
    case NM_RCLICK:
      if (SelectedRowCount(w.list) <= 1) {
        int32_t row = FocusedRow(w.list);
        if (row != -1) {
          SendMessageW(w.list, LVM_SETSELECTIONMARK, 0, row);
          RememberFocus(w, row);
        }
      }
      break;
    case NM_RETURN:
    case NM_DBLCLK: {
      int32_t row = FocusedRow(w.list);
      if (row != -1 && BeginRowWork(&w.ports)) {
        SetAppCursor(w.window, IDC_WAIT, 0);
        OpenPropertySheetOfRow(w, row);
        SetAppCursor(w.window, IDC_ARROW, 0);
        EndRowWorkAndCatchUp(w);
      }
      break;
    }
    case NM_CLICK:
      RememberFocus(w, FocusedRow(w.list));
      break;
  }
  // The program's own rebuilds count once they are done: a refresh that
  // only clears and restores the selection leaves the text as it was.
  if (!w.view.listUpdating) ShowSelectedCount(w);
  return 0;
}
