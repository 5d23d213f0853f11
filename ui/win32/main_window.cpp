#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include "base/process.h"
#include "base/text.h"
#include "base/window_geometry.h"
#include "res/resource.h"
#include "ui/view_state.h"
#include "ui/win32/commands.h"
#include "ui/win32/list_notify.h"
#include "ui/win32/menus.h"
#include "ui/win32/monitor.h"
#include "ui/win32/port_list.h"
#include "ui/win32/settings_file.h"
#include "ui/win32/shutdown.h"
#include "ui/win32/window_state.h"

static Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

int32_t CreateMainWindow(int32_t showCommand) {
  WINDOWPLACEMENT placement = {};
  InitCommonControls();
  mainWindow = CreateDialogParamW(reinterpret_cast<HINSTANCE>(programInstance),
                                  MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  InitMenuStates();

  int parts[2] = {180, -1};
  SendMessageW(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  RECT listRect = {};
  GetWindowRect(listView, &listRect);
  MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&listRect), 2);
  listTop = listRect.top;
  headerHeight = HeaderHeight(listView);

  if (!ApplyStartupSettings(showCommand, &placement)) {
    // No stored placement: the template's size, centred, shown normally.
    RECT windowRect = {};
    RECT desktopRect = {};
    GetWindowRect(mainWindow, &windowRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    Rect centred = CenteredIn(ToRect(windowRect), ToRect(desktopRect));
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = {centred.left, centred.top, centred.right, centred.bottom};
  }
  placement.length = sizeof placement;  // whatever a hand-edited file held
  SetWindowPlacement(mainWindow, &placement);
  LayoutMainWindow();
  ShowWindow(mainWindow, placement.showCmd);
  SetFocus(listView);
  ArmRefreshTimer(kStartupRefreshDelay);
  return 1;
}

static void SetCaptionSuffixes(HWND window) {
  char16_t caption[64] = {};
  wchar_t* wide = reinterpret_cast<wchar_t*>(caption);
  GetWindowTextW(window, wide, Units(caption) - 1);
  if (ShowVersionInCaption() != 0 && caption[0] != 0) {
    TextAppend(caption, Units(caption), u" V");
    TextAppend(caption, Units(caption), programVersion.shortText);
    SetWindowTextW(window, wide);
  }
  if (!isAdmin) {
    GetWindowTextW(window, wide, Units(caption));
    TextAppend(caption, Units(caption), u"  [Restricted]");
    SetWindowTextW(window, wide);
  }
}

int32_t InitMainWindow(HWND window) {
  mainWindow = window;
  mainMenu = GetMenu(window);
  contextMenuHolder = CreateMenu();
  contextMenu = CreateMenu();
  ReadWindowSettings();

  viewSettings.smallIconSize = ScaleByDpi(16);
  viewSettings.largeIconSize = ScaleByDpi(32);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(programInstance);
  smallIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_VARNICK), IMAGE_ICON,
                                            viewSettings.smallIconSize,
                                            viewSettings.smallIconSize, LR_COPYFROMRESOURCE));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  largeIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_VARNICK), IMAGE_ICON,
                                            viewSettings.largeIconSize,
                                            viewSettings.largeIconSize, LR_COPYFROMRESOURCE));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));

  bool large = GetSystemMetrics(SM_CXMENUCHECK) >= 16;
  menuCheckBitmap = static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(large ? IDB_MENU_BITMAP_16 : IDB_MENU_BITMAP_13),
                 IMAGE_BITMAP, large ? 16 : 13, large ? 16 : 13, LR_MONOCHROME));
  SetMenuItemBitmaps(mainMenu, IDM_RESTART_ELEVATED, MF_BYCOMMAND, menuCheckBitmap,
                     menuCheckBitmap);

  SetCaptionSuffixes(window);

  listView = GetDlgItem(window, IDC_PORT_LIST);
  statusBar = GetDlgItem(window, IDC_STATUS_BAR);
  clearButton = GetDlgItem(window, IDC_CLEAR_BUTTON);
  removeButton = GetDlgItem(window, IDC_REMOVE_BUTTON);

  // Each refresh inserts the rows in their final order. The template's
  // sorting style would place every row by comparing it with all those
  // already there, which at thousands of rows costs more than the rest
  // of a refresh; cleared while the list is still empty.
  SetWindowLongPtrW(listView, GWL_STYLE, GetWindowLongPtrW(listView, GWL_STYLE) &
                                             ~static_cast<LONG_PTR>(LVS_SORTASCENDING | LVS_SORTDESCENDING));
  LPARAM styles = SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               styles | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);

  if (osVersion.versionCode >= 0x501) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    deviceNotification = RegisterDeviceNotificationW(
        window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
  }
  StartKeyWatcher(window);
  return 1;
}

void LayoutMainWindow() {
  RECT client = {};
  RECT statusRect = {};
  GetClientRect(mainWindow, &client);
  GetWindowRect(statusBar, &statusRect);
  Rect status, list;
  LayoutRects(ToRect(client), listTop, statusRect.bottom - statusRect.top, &status, &list);
  HDWP batch = BeginDeferWindowPos(2);
  if (batch != nullptr) {
    batch = DeferWindowPos(batch, statusBar, nullptr, status.left, status.top,
                           status.right - status.left, status.bottom - status.top, SWP_NOZORDER);
  }
  if (batch != nullptr) {
    batch = DeferWindowPos(batch, listView, nullptr, list.left, list.top, list.right - list.left,
                           list.bottom - list.top, SWP_NOZORDER);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
  UpdateWindow(listView);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return InitMainWindow(window);
    case WM_SIZE:
      LayoutMainWindow();
      return 0;
    case WM_CLOSE:
      CloseMainWindow(window);
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {300, 200};
      return 0;
    case WM_NOTIFY:
      return OnListNotify(window, static_cast<int32_t>(wParam),
                          reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      ShowContextMenu(window, static_cast<int16_t>(LOWORD(lParam)),
                      static_cast<int16_t>(HIWORD(lParam)));
      return 0;
    case WM_COMMAND:
      DispatchCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_DEVICECHANGE:
      OnDeviceChange(window, wParam, lParam);
      return 0;
    case kArmRefreshMessage:
      if (!shuttingDown) ArmRefreshTimer(kKeyChangeRefreshDelay);
      return 0;
  }
  return FALSE;
}
