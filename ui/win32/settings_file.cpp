#include "ui/win32/settings_file.h"

#include <commctrl.h>

#include "actions/visual_theme.h"
#include "base/memory.h"
#include "res/resource.h"
#include "ui/row_order.h"
#include "ui/settings_rules.h"
#include "ui/view_state.h"
#include "ui/win32/menus.h"
#include "ui/win32/port_list.h"
#include "ui/win32/window_state.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(StoredPlacement), "placement layout");

static StartupSettings startup;
static int32_t themesActive;

void ReadWindowSettings() {
  themesActive = IsThemeActiveNow();
  startup = ReadStartupSettings(GetScreenDpi(), themesActive);
}

int32_t ShowVersionInCaption() { return startup.showVerInCaption; }

int32_t ApplyStartupSettings(int32_t showCommand, WINDOWPLACEMENT* placement) {
  showDeviceId = startup.showDeviceId;
  SetMenuCheck(IDM_SHOW_DEVICE_ID, showDeviceId);
  MemCopy(viewSettings.columnWidths, startup.columnWidths, sizeof viewSettings.columnWidths);
  UpdateColumns();
  sortColumn = startup.sortColumn;
  viewSettings.sortDirection[sortColumn] = startup.sortDirection;
  if (themesActive) {
    viewSettings.visualStyles = startup.visualStyles;
    SetMenuCheck(IDM_WINDOWS_THEME, viewSettings.visualStyles);
    if (viewSettings.visualStyles == 0) ApplyWindowTheme();
  } else {
    EnableMenuItem(mainMenu, IDM_WINDOWS_THEME, MF_BYCOMMAND | MF_GRAYED);
  }
  if (!startup.hasPlacement) return 0;
  StoredPlacement stored = startup.placement;
  AdaptStoredPlacement(&stored, startup.storedDpi, GetScreenDpi(), showCommand);
  MemCopy(placement, &stored, sizeof stored);
  return 1;
}

void SaveSettings() {
  if (!IsWindowVisible(mainWindow)) return;
  SettingsToSave settings = {};
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  settings.hasPlacement = GetWindowPlacement(mainWindow, &placement);
  MemCopy(&settings.placement, &placement, sizeof placement);
  int32_t present[kDeviceIdColumn + 1];
  int32_t columns = HeaderItemCount(listView);
  if (columns > kDeviceIdColumn + 1) columns = kDeviceIdColumn + 1;
  for (int32_t i = 0; i < columns; i++) {
    present[i] = static_cast<int32_t>(SendMessageW(listView, LVM_GETCOLUMNWIDTH, i, 0));
  }
  TakeColumnWidths(viewSettings.columnWidths, present, columns);
  MemCopy(settings.columnWidths, viewSettings.columnWidths, sizeof settings.columnWidths);
  settings.sortColumn = sortColumn;
  settings.sortDirection = viewSettings.sortDirection[SortSlot(sortColumn)];
  settings.showDeviceId = showDeviceId;
  settings.visualStyles = viewSettings.visualStyles;
  settings.screenDpi = GetScreenDpi();
  WriteSettings(settings);
}
