#include "ui/win32/menus.h"

#include <commctrl.h>

#include "base/probes.h"
#include "base/process.h"
#include "res/resource.h"
#include "ui/view_state.h"
#include "ui/win32/port_list.h"
#include "ui/win32/window_state.h"

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
  RememberFocus(hit.iItem);
  viewSettings.clickedColumn = hit.iSubItem;
  TrackPopupMenu(contextMenu, TPM_RIGHTBUTTON, x, y, 0, window, nullptr);
}
