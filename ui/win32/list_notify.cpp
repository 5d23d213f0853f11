#include "ui/win32/list_notify.h"

#include <commctrl.h>

#include "app/process.h"
#include "platform/os.h"
#include "res/resource.h"
#include "actions/property_sheet.h"
#include "ui/win32/commands.h"
#include "ui/edit_rules.h"
#include "ui/win32/list_sort.h"
#include "ui/win32/main_window.h"
#include "ui/win32/monitor.h"
#include "ui/win32/port_list.h"
#include "ui/view_state.h"

static int32_t FocusedRow() {
  return static_cast<int32_t>(SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                           LVNI_FOCUSED));
}

static UINT RowState(int32_t row, UINT mask) {
  return static_cast<UINT>(SendMessageW(listView, LVM_GETITEMSTATE, row, mask));
}

// Puts a clicked box back as it was. A refresh may have moved the rows
// meanwhile, so the row is found again by its port.
static void PutBoxBack(int32_t port, uint32_t oldState) {
  int32_t row = FindRowOfPort(port);
  if (row >= 0) SetRowStateImage(row, StateImageOf(oldState));
}

// A click on a box while the rows are in use (a message box of another
// command is up) is refused and put back.
static void RefuseBoxChange(const NMLISTVIEW* change) {
  SetRowStateImage(change->iItem, StateImageOf(change->uOldState));
  MessageBeep(MB_OK);
}

// Why an edit cannot be made, or null when it can.
static const char16_t* EditRefusal() {
  if (!isAdmin) return u"Admin privileges are required";
  if (portReservations->storedValueTooLong) {
    return u"ComDB is longer than 4096 ports; nothing was changed";
  }
  if (portReservations->storedValueUnread) return u"ComDB could not be read; nothing was changed";
  return nullptr;
}

// Without administrator rights, or with a ComDB the program does not
// write, the box is put back; 0 when refused.
static int32_t CheckBoxChanged(const NMLISTVIEW* change) {
  int32_t row = change->iItem;
  if (!BeginRowCommand()) {
    RefuseBoxChange(change);
    return 0;
  }
  if (const char16_t* refusal = EditRefusal()) {
    int32_t port = RowPort(row);
    OsMessageBox(0, refusal, u"Error", kOsMbOk | kOsMbIconError);
    PutBoxBack(port, change->uOldState);
    EndRowWorkAndCatchUp();
    return 0;
  }

  // Only a focus the report brings counts: lists that report whole states
  // carry the focus of a row that already had it.
  UINT focusGained = change->uNewState & ~change->uOldState & LVIS_FOCUSED;
  if (!focusGained && SelectedRowCount() <= 1) {
    SetRowState(-1, 0, LVIS_SELECTED);
  }
  SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
  SetRowState(row, LVIS_FOCUSED, LVIS_FOCUSED);
  RememberFocus(row);

  int32_t flag = RowStateImage(row) - 1;
  SetPortReserved(portReservations, RowPort(row), flag);
  int32_t count = RowCount();
  for (int32_t r = 0; r < count; r++) {
    if (!RowState(r, LVIS_SELECTED)) continue;
    SetRowStateImage(r, flag ? kChecked : kUnchecked);
    SetPortReserved(portReservations, RowPort(r), flag);
  }
  SaveReservations();
  ShowReservedCount();
  EndRowWorkAndCatchUp();
  return 1;
}

LRESULT OnListNotify(HWND, int32_t controlId, const NMHDR* header) {
  if (controlId != IDC_PORT_LIST) return 0;
  switch (header->code) {
    case LVN_COLUMNCLICK:
      SortByClickedColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
      break;
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
      // Every focus change counts, the keyboard's too; the program's own
      // rebuilds remember theirs themselves.
      if (!listUpdating && change->iItem >= 0 && (change->uChanged & LVIF_STATE) &&
          (change->uNewState & ~change->uOldState & LVIS_FOCUSED)) {
        RememberFocus(change->iItem);
      }
      if (IsCheckBoxChange(listUpdating, change->uChanged, change->uOldState,
                           change->uNewState) &&
          !CheckBoxChanged(change)) {
        return 0;
      }
      break;
    }
    case NM_RCLICK:
      if (SelectedRowCount() <= 1) {
        int32_t row = FocusedRow();
        if (row != -1) {
          SendMessageW(listView, LVM_SETSELECTIONMARK, 0, row);
          RememberFocus(row);
        }
      }
      break;
    case NM_RETURN:
    case NM_DBLCLK: {
      int32_t row = FocusedRow();
      if (row != -1 && BeginRowCommand()) {
        SetAppCursor(IDC_WAIT, 0);
        OpenPropertySheet(row);
        SetAppCursor(IDC_ARROW, 0);
        EndRowWorkAndCatchUp();
      }
      break;
    }
    case NM_CLICK:
      RememberFocus(FocusedRow());
      break;
  }
  // The program's own rebuilds count once they are done: a refresh that
  // only clears and restores the selection leaves the text as it was.
  if (!listUpdating) ShowSelectedCount();
  return 0;
}
