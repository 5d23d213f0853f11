#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <dbt.h>

#include "base/process.h"
#include "base/text.h"
#include "base/window_geometry.h"
#include "res/resource.h"
#include "ui/win32/commands.h"
#include "ui/win32/list_notify.h"
#include "ui/win32/menus.h"
#include "ui/win32/monitor.h"
#include "ui/win32/port_list.h"
#include "ui/win32/settings_file.h"
#include "ui/win32/shutdown.h"

static Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

static void LayoutMainWindow(const MainWindow& w);

int32_t CreateMainWindow(MainWindow* record, int32_t showCommand) {
  WINDOWPLACEMENT placement = {};
  InitCommonControls();
  CreateDialogParamW(reinterpret_cast<HINSTANCE>(programInstance), MAKEINTRESOURCEW(IDD_MAIN),
                     nullptr, MainDialogProc, reinterpret_cast<LPARAM>(record));
  MainWindow& w = *record;
  InitMenuStates(w);

  int parts[2] = {180, -1};
  SendMessageW(w.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

  RECT listRect = {};
  GetWindowRect(w.list, &listRect);
  MapWindowPoints(nullptr, w.window, reinterpret_cast<POINT*>(&listRect), 2);
  w.listTop = listRect.top;
  w.headerHeight = HeaderHeight(w.list);

  if (!ApplyStartupSettings(w, showCommand, &placement)) {
    // No stored placement: the template's size, centred, shown normally.
    RECT windowRect = {};
    RECT desktopRect = {};
    GetWindowRect(w.window, &windowRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    Rect centred = CenteredIn(ToRect(windowRect), ToRect(desktopRect));
    placement.showCmd = SW_SHOWNORMAL;
    placement.rcNormalPosition = {centred.left, centred.top, centred.right, centred.bottom};
  }
  placement.length = sizeof placement;  // whatever a hand-edited file held
  SetWindowPlacement(w.window, &placement);
  LayoutMainWindow(w);
  ShowWindow(w.window, placement.showCmd);
  SetFocus(w.list);
  ArmRefreshTimer(w.window, kStartupRefreshDelay);
  return 1;
}

static void SetCaptionSuffixes(const MainWindow& w, HWND window) {
  char16_t caption[64] = {};
  wchar_t* wide = reinterpret_cast<wchar_t*>(caption);
  GetWindowTextW(window, wide, Units(caption) - 1);
  if (w.startup.showVerInCaption != 0 && caption[0] != 0) {
    TextAppend(caption, Units(caption), u" V");
    TextAppend(caption, Units(caption), programVersion.shortText);
    SetWindowTextW(window, wide);
  }
  if (!w.ports.administrator) {
    GetWindowTextW(window, wide, Units(caption));
    TextAppend(caption, Units(caption), u"  [Restricted]");
    SetWindowTextW(window, wide);
  }
}

static int32_t InitMainWindow(MainWindow& w, HWND window) {
  w.window = window;
  w.menu = GetMenu(window);
  w.contextMenuHolder = CreateMenu();
  w.contextMenu = CreateMenu();
  ReadWindowSettings(w);

  ViewSettings& settings = w.view.settings;
  settings.smallIconSize = ScaleByDpi(w, 16);
  settings.largeIconSize = ScaleByDpi(w, 32);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(programInstance);
  w.smallIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_VARNICK), IMAGE_ICON,
                                              settings.smallIconSize, settings.smallIconSize,
                                              LR_COPYFROMRESOURCE));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(w.smallIcon));
  w.largeIcon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_VARNICK), IMAGE_ICON,
                                              settings.largeIconSize, settings.largeIconSize,
                                              LR_COPYFROMRESOURCE));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(w.largeIcon));

  bool large = GetSystemMetrics(SM_CXMENUCHECK) >= 16;
  w.menuCheckBitmap = static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(large ? IDB_MENU_BITMAP_16 : IDB_MENU_BITMAP_13),
                 IMAGE_BITMAP, large ? 16 : 13, large ? 16 : 13, LR_MONOCHROME));
  SetMenuItemBitmaps(w.menu, IDM_RESTART_ELEVATED, MF_BYCOMMAND, w.menuCheckBitmap,
                     w.menuCheckBitmap);

  SetCaptionSuffixes(w, window);

  w.list = GetDlgItem(window, IDC_PORT_LIST);
  w.statusBar = GetDlgItem(window, IDC_STATUS_BAR);
  w.clearButton = GetDlgItem(window, IDC_CLEAR_BUTTON);
  w.removeButton = GetDlgItem(window, IDC_REMOVE_BUTTON);

  // Each refresh inserts the rows in their final order. The template's
  // sorting style would place every row by comparing it with all those
  // already there, which at thousands of rows costs more than the rest
  // of a refresh; cleared while the list is still empty.
  SetWindowLongPtrW(w.list, GWL_STYLE, GetWindowLongPtrW(w.list, GWL_STYLE) &
                                           ~static_cast<LONG_PTR>(LVS_SORTASCENDING | LVS_SORTDESCENDING));
  LPARAM styles = SendMessageW(w.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendMessageW(w.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               styles | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);

  if (osVersion.versionCode >= 0x501) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    w.deviceNotification = RegisterDeviceNotificationW(
        window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE | DEVICE_NOTIFY_ALL_INTERFACE_CLASSES);
  }
  StartKeyWatcher(w);
  return 1;
}

static void LayoutMainWindow(const MainWindow& w) {
  RECT client = {};
  RECT statusRect = {};
  GetClientRect(w.window, &client);
  GetWindowRect(w.statusBar, &statusRect);
  Rect status, list;
  LayoutRects(ToRect(client), w.listTop, statusRect.bottom - statusRect.top, &status, &list);
  HDWP batch = BeginDeferWindowPos(2);
  if (batch != nullptr) {
    batch = DeferWindowPos(batch, w.statusBar, nullptr, status.left, status.top,
                           status.right - status.left, status.bottom - status.top, SWP_NOZORDER);
  }
  if (batch != nullptr) {
    batch = DeferWindowPos(batch, w.list, nullptr, list.left, list.top, list.right - list.left,
                           list.bottom - list.top, SWP_NOZORDER);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
  UpdateWindow(w.list);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* record = reinterpret_cast<MainWindow*>(lParam);
    KeepOnWindow(window, record);
    return InitMainWindow(*record, window);
  }
  MainWindow* w = MainWindowOf(window);
  if (w == nullptr) return FALSE;  // before WM_INITDIALOG
  switch (message) {
    case WM_SIZE:
      LayoutMainWindow(*w);
      return 0;
    case WM_CLOSE:
      CloseMainWindow(*w);
      return 0;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {kMainWindowMinWidth,
                                                               kMainWindowMinHeight};
      return 0;
    case WM_NOTIFY:
      return OnListNotify(*w, static_cast<int32_t>(wParam), reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      ShowContextMenu(*w, static_cast<int16_t>(LOWORD(lParam)),
                      static_cast<int16_t>(HIWORD(lParam)));
      return 0;
    case WM_COMMAND:
      DispatchCommand(*w, LOWORD(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      SetUndoMenuState(*w);
      return 0;
    case WM_DEVICECHANGE:
      OnDeviceChange(*w, wParam, lParam);
      return 0;
    case kArmRefreshMessage:
      if (!w->shuttingDown) ArmRefreshTimer(window, kKeyChangeRefreshDelay);
      return 0;
  }
  return FALSE;
}
