#include "ui/settings_file.h"

#include <commctrl.h>

#include "actions/visual_theme.h"
#include "res/resource.h"
#include "ui/commands.h"
#include "ui/main_window.h"
#include "ui/port_list.h"
#include "ui/settings_rules.h"
#include "ui/view_state.h"

static_assert(sizeof(WINDOWPLACEMENT) == sizeof(StoredPlacement), "placement layout");

int32_t ReadStartupSettings(int32_t showCommand, WINDOWPLACEMENT* placement) {
  showDeviceId = ReadSettingInt("ShowDeviceId", 0) != 0;
  SetMenuCheck(IDM_SHOW_DEVICE_ID, showDeviceId);
  int32_t screenDpi = GetScreenDpi();
  int32_t storedDpi = ReadColumnWidths(screenDpi);
  UpdateColumns();
  ReadSortOrder();
  if (IsThemeActiveNow()) {
    viewSettings.visualStyles = ReadSettingInt("VisualStyles", 1) != 0;
    SetMenuCheck(IDM_WINDOWS_THEME, viewSettings.visualStyles);
    if (viewSettings.visualStyles == 0) ApplyVisualStyles();
  } else {
    EnableMenuItem(mainMenu, IDM_WINDOWS_THEME, MF_BYCOMMAND | MF_GRAYED);
  }
  StoredPlacement stored;
  if (!ReadPlacement(storedDpi, screenDpi, showCommand, &stored)) return 0;
  CopyMemory(placement, &stored, sizeof stored);
  return 1;
}

void SaveSettings() {
  if (!IsWindowVisible(mainWindow)) return;
  SettingsToSave settings = {};
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  settings.hasPlacement = GetWindowPlacement(mainWindow, &placement);
  CopyMemory(&settings.placement, &placement, sizeof placement);
  settings.columnCount = HeaderItemCount(listView);
  for (int32_t i = 0; i < settings.columnCount && i < 5; i++) {
    settings.columnWidths[i] =
        static_cast<int32_t>(SendMessageW(listView, LVM_GETCOLUMNWIDTH, i, 0));
  }
  settings.screenDpi = GetScreenDpi();
  WriteSettings(settings);
}
