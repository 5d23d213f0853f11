#include "ui/win32/settings_file.h"

#include <commctrl.h>

#include "actions/visual_theme.h"
#include "base/memory.h"
#include "base/window_geometry.h"
#include "res/resource.h"
#include "ui/row_order.h"
#include "ui/settings_rules.h"
#include "ui/win32/menus.h"
#include "ui/win32/port_list.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(StoredPlacement), "placement layout");

static Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

static int32_t WorkAreaOf(HMONITOR monitor, Rect* work) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (monitor == nullptr || !GetMonitorInfoW(monitor, &info)) return 0;
  *work = ToRect(info.rcWork);
  return 1;
}

// A placement stored on a larger screen, or on a monitor that is gone,
// opens inside the work area of the monitor nearest to it. The normal
// rectangle is in workspace coordinates (the window is no tool window);
// the monitors are found in screen coordinates.
static void BringOntoScreen(StoredPlacement* p) {
  Rect primaryWork, nearestWork;
  if (!WorkAreaOf(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primaryWork)) return;
  Rect normal = {p->left, p->top, p->right, p->bottom};
  Rect screen = WorkspaceToScreen(normal, primaryWork);
  RECT asked = {screen.left, screen.top, screen.right, screen.bottom};
  if (!WorkAreaOf(MonitorFromRect(&asked, MONITOR_DEFAULTTONEAREST), &nearestWork)) return;
  Rect placed = PlacedInWorkArea(normal, primaryWork, nearestWork, kMainWindowMinWidth,
                                 kMainWindowMinHeight);
  p->left = placed.left;
  p->top = placed.top;
  p->right = placed.right;
  p->bottom = placed.bottom;
}

void ReadWindowSettings(MainWindow& w) {
  w.themesActive = IsThemeActiveNow();
  w.startup = ReadStartupSettings(GetScreenDpi(w), w.themesActive);
}

int32_t ApplyStartupSettings(MainWindow& w, int32_t showCommand, WINDOWPLACEMENT* placement) {
  ViewState& view = w.view;
  view.showDeviceId = w.startup.showDeviceId;
  SetMenuCheck(w, IDM_SHOW_DEVICE_ID, view.showDeviceId);
  view.showLocation = w.startup.showLocation;
  SetMenuCheck(w, IDM_SHOW_LOCATION, view.showLocation);
  MemCopy(view.settings.columnWidths, w.startup.columnWidths, sizeof view.settings.columnWidths);
  InsertColumns(w);
  view.sortColumn = w.startup.sortColumn;
  view.settings.sortDirection[view.sortColumn] = w.startup.sortDirection;
  if (w.themesActive) {
    view.settings.visualStyles = w.startup.visualStyles;
    SetMenuCheck(w, IDM_WINDOWS_THEME, view.settings.visualStyles);
    if (view.settings.visualStyles == 0) ApplyWindowTheme(w);
  } else {
    EnableMenuItem(w.menu, IDM_WINDOWS_THEME, MF_BYCOMMAND | MF_GRAYED);
  }
  if (!w.startup.hasPlacement) return 0;
  StoredPlacement stored = w.startup.placement;
  AdaptStoredPlacement(&stored, w.startup.storedDpi, GetScreenDpi(w), showCommand);
  BringOntoScreen(&stored);
  MemCopy(placement, &stored, sizeof stored);
  return 1;
}

void SaveSettings(MainWindow& w) {
  if (!IsWindowVisible(w.window)) return;
  ViewState& view = w.view;
  SettingsToSave settings = {};
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  settings.hasPlacement = GetWindowPlacement(w.window, &placement);
  MemCopy(&settings.placement, &placement, sizeof placement);
  KeepColumnWidths(w);
  MemCopy(settings.columnWidths, view.settings.columnWidths, sizeof settings.columnWidths);
  settings.sortColumn = view.sortColumn;
  settings.sortDirection = view.settings.sortDirection[SortSlot(view.sortColumn)];
  settings.showDeviceId = view.showDeviceId;
  settings.showLocation = view.showLocation;
  settings.visualStyles = view.settings.visualStyles;
  settings.screenDpi = GetScreenDpi(w);
  WriteSettings(settings);
}
