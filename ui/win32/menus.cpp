#include "ui/win32/menus.h"

#include <commctrl.h>

#include "base/probes.h"
#include "base/process.h"
#include "res/resource.h"
#include "ui/moves.h"
#include "ui/undo.h"
#include "ui/win32/port_list.h"

// Replaces the whole state of an item, by command.
static void SetMenuItemState(HMENU menu, int32_t id, UINT state) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = state;
  SetMenuItemInfoW(menu, id, FALSE, &info);
}

void SetMenuCheck(const MainWindow& w, int32_t id, int32_t on) {
  SetMenuItemState(w.menu, id, on ? MFS_CHECKED : 0);
}

void GrayMenuItem(HMENU menu, int32_t id) { SetMenuItemState(menu, id, MFS_GRAYED); }

void SetUndoMenuState(const MainWindow& w) {
  EnableMenuItem(w.menu, IDM_UNDO, MF_BYCOMMAND | (MayUndoLastChange(&w.ports) ? MF_ENABLED : MF_GRAYED));
}

void InitMenuStates(const MainWindow& w) {
  SetUndoMenuState(w);
  if (!IsRestorePointAvailable()) GrayMenuItem(w.menu, IDM_RESTORE_POINT);
  if (w.ports.administrator) {
    GrayMenuItem(w.menu, IDM_RESTART_ELEVATED);
    AppendMenuW(w.contextMenu, MF_STRING, IDM_REMOVE_DEVICE, L"&Remove Device\tDel");
  } else {
    GrayMenuItem(w.menu, IDM_RESTORE_POINT);
    EnableWindow(w.clearButton, FALSE);
    EnableWindow(w.removeButton, FALSE);
    AppendMenuW(w.contextMenu, MF_STRING | MF_GRAYED, IDM_REMOVE_DEVICE, L"&Remove Device\tDel");
  }
  AppendMenuW(w.contextMenu, MF_STRING, IDM_CHANGE_PORT, L"Change Port &Number...\tF2");
  AppendMenuW(w.contextMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(w.contextMenu, MF_STRING, IDM_COPY, L"&Copy");
  AppendMenuW(w.contextMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(w.contextMenu, MF_STRING, IDM_PROPERTIES, L"&Properties");
  AppendMenuW(w.contextMenuHolder, MF_POPUP, reinterpret_cast<UINT_PTR>(w.contextMenu), L"&Pop");
  SetMenuDefaultItem(w.contextMenu, IDM_PROPERTIES, FALSE);
}

void ShowContextMenu(MainWindow& w, int32_t x, int32_t y) {
  if (x == -1 && y == -1) {
    RECT label = {};
    label.left = LVIR_LABEL;
    // No focused row leaves no label to place the menu on: no menu.
    if (w.view.settings.focusRow < 0 ||
        !SendMessageW(w.list, LVM_GETITEMRECT, w.view.settings.focusRow,
                      reinterpret_cast<LPARAM>(&label))) {
      return;
    }
    MapWindowPoints(w.list, nullptr, reinterpret_cast<POINT*>(&label), 2);
    x = label.left + (label.right - label.left) / 2;
    y = label.top + (label.bottom - label.top) / 2;
  }
  POINT client = {x, y};
  ScreenToClient(w.list, &client);
  if (client.y <= w.headerHeight) return;
  LVHITTESTINFO hit = {};
  hit.pt = client;
  SendMessageW(w.list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  RememberFocus(w, hit.iItem);
  w.view.settings.clickedColumn = hit.iSubItem;
  // Only a serial port is given another number; a modem keeps its own.
  PortDevice* device = nullptr;
  bool serialPort = hit.iItem >= 0 && ReadRowDevice(w, hit.iItem, &device) &&
                    MayTakeAnotherNumber(device);
  EnableMenuItem(w.contextMenu, IDM_CHANGE_PORT, MF_BYCOMMAND | (serialPort ? MF_ENABLED : MF_GRAYED));
  TrackPopupMenu(w.contextMenu, TPM_RIGHTBUTTON, x, y, 0, w.window, nullptr);
}
