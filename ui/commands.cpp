#include "ui/commands.h"

#include <commctrl.h>

#include "actions/visual_theme.h"
#include "app/probes.h"
#include "app/process.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/port_list.h"
#include "ui/view_state.h"

static int32_t alwaysOnTop = 0;

// Replaces the whole state of an item, by command.
static void SetMenuItemState(HMENU menu, int32_t id, UINT state) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = state;
  SetMenuItemInfoW(menu, id, FALSE, &info);
}

void SetMenuCheck(int32_t id, int32_t on) { SetMenuItemState(mainMenu, id, on ? MFS_CHECKED : 0); }

void GrayMenuItem(HMENU menu, int32_t id) { SetMenuItemState(menu, id, MFS_GRAYED); }

void SetAppCursor(LPCWSTR cursorId, int32_t nudge) {
  HCURSOR cursor = LoadCursorW(nullptr, cursorId);
  SetClassLongPtrW(mainWindow, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetClassLongPtrW(listView, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
  SetCursor(cursor);
  if (nudge) {
    POINT p;
    if (GetCursorPos(&p)) {
      SetCursorPos(p.x + 1, p.y);
      SetCursorPos(p.x, p.y);
    }
    SetCursor(cursor);
  }
}

void InitMenuStates() {
  if (!IsRestorePointAvailable()) GrayMenuItem(mainMenu, IDM_RESTORE_POINT);
  if (isAdmin) {
    GrayMenuItem(mainMenu, IDM_RESTART_ELEVATED);
    AppendMenuW(contextMenu, MF_STRING, IDM_REMOVE_DEVICE, L"&Remove Device\tDel");
  } else {
    GrayMenuItem(mainMenu, IDM_RESTORE_POINT);
    EnableWindow(clearButton, FALSE);
    EnableWindow(removeButton, FALSE);
    AppendMenuW(contextMenu, MF_STRING | MF_GRAYED, IDM_REMOVE_DEVICE, L"&Remove Device\tDel");
  }
  AppendMenuW(contextMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(contextMenu, MF_STRING, IDM_COPY, L"&Copy");
  AppendMenuW(contextMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(contextMenu, MF_STRING, IDM_PROPERTIES, L"&Properties");
  AppendMenuW(contextMenuHolder, MF_POPUP, reinterpret_cast<UINT_PTR>(contextMenu), L"&Pop");
  SetMenuDefaultItem(contextMenu, IDM_PROPERTIES, FALSE);
}

void OpenPropertySheetOfRow(int32_t) {
  // Device property sheets are not offered in this build.
}

static void SelectAllRows() {
  SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
  SetFocus(listView);
  ShowSelectedCount();
}

void DispatchCommand(HWND window, int32_t id, HWND, int32_t) {
  UpdateWindow(mainWindow);
  switch (id) {
    case IDM_SELECT_ALL:
    case IDM_SELECT_ALL_OTHER:
      SelectAllRows();
      break;
    case IDM_REFRESH_KEY:
    case IDM_REFRESH:
      RefreshList();
      break;
    case IDM_EXIT:
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case IDM_SHOW_DEVICE_ID:
      showDeviceId = !showDeviceId;
      SetMenuCheck(IDM_SHOW_DEVICE_ID, showDeviceId);
      UpdateColumns();
      RefreshList();
      break;
    case IDM_WINDOWS_THEME:
      viewSettings.visualStyles = !viewSettings.visualStyles;
      SetMenuCheck(IDM_WINDOWS_THEME, viewSettings.visualStyles);
      ApplyVisualStyles();
      break;
    case IDM_ALWAYS_ON_TOP:
      alwaysOnTop = !alwaysOnTop;
      SetMenuCheck(IDM_ALWAYS_ON_TOP, alwaysOnTop);
      SetWindowZOrder(mainWindow, alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST);
      break;
  }
}

void ShowContextMenu(HWND window, int32_t x, int32_t y) {
  if (x == -1 && y == -1) {
    RECT label = {};
    label.left = LVIR_LABEL;
    // No focused row leaves no label to place the menu on: no menu.
    if (viewSettings.focusRow < 0 ||
        !SendMessageW(listView, LVM_GETITEMRECT, viewSettings.focusRow,
                      reinterpret_cast<LPARAM>(&label))) {
      return;
    }
    MapWindowPoints(listView, nullptr, reinterpret_cast<POINT*>(&label), 2);
    x = label.left + (label.right - label.left) / 2;
    y = label.top + (label.bottom - label.top) / 2;
  }
  POINT client = {x, y};
  ScreenToClient(listView, &client);
  if (client.y <= headerHeight) return;
  LVHITTESTINFO hit = {};
  hit.pt = client;
  SendMessageW(listView, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  viewSettings.focusRow = hit.iItem;
  viewSettings.clickedColumn = hit.iSubItem;
  TrackPopupMenu(contextMenu, TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
}
