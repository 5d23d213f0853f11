#include "ui/win32/settings_file.h"

#include <commctrl.h>

#include "actions/visual_theme.h"
#include "base/memory.h"
#include "res/resource.h"
#include "ui/row_order.h"
#include "ui/settings_rules.h"
#include "ui/win32/menus.h"
#include "ui/win32/port_list.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(StoredPlacement), "placement layout");

void ReadWindowSettings(MainWindow& w) {
  w.themesActive = IsThemeActiveNow();
  w.startup = ReadStartupSettings(GetScreenDpi(w), w.themesActive);
}

int32_t ApplyStartupSettings(MainWindow& w, int32_t showCommand, WINDOWPLACEMENT* placement) {
  ViewState& view = w.view;
  view.showDeviceId = w.startup.showDeviceId;
  SetMenuCheck(w, IDM_SHOW_DEVICE_ID, view.showDeviceId);
  MemCopy(view.settings.columnWidths, w.startup.columnWidths, sizeof view.settings.columnWidths);
  UpdateColumns(w);
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
  int32_t present[kDeviceIdColumn + 1];
  int32_t columns = HeaderItemCount(w.list);
  if (columns > kDeviceIdColumn + 1) columns = kDeviceIdColumn + 1;
  for (int32_t i = 0; i < columns; i++) {
    present[i] = static_cast<int32_t>(SendMessageW(w.list, LVM_GETCOLUMNWIDTH, i, 0));
  }
  TakeColumnWidths(view.settings.columnWidths, present, columns);
  MemCopy(settings.columnWidths, view.settings.columnWidths, sizeof settings.columnWidths);
  settings.sortColumn = view.sortColumn;
  settings.sortDirection = view.settings.sortDirection[SortSlot(view.sortColumn)];
  settings.showDeviceId = view.showDeviceId;
  settings.visualStyles = view.settings.visualStyles;
  settings.screenDpi = GetScreenDpi(w);
  WriteSettings(settings);
}
