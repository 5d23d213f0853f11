#include "ui/win32/shutdown.h"

#include "actions/about_box.h"
#include "ui/port_session.h"
#include "ui/win32/monitor.h"
#include "ui/win32/settings_file.h"
#include "ui/win32/window_state.h"

int32_t shuttingDown = 0;

void CloseMainWindow(HWND window) {
  if (shuttingDown) return;
  if (!CloseMayRunNow()) {
    MessageBeep(MB_OK);  // it closes once the box that holds the rows is answered
    return;
  }
  shuttingDown = 1;
  StopKeyWatcher();
  SaveSettings();  // only while the window is still visible
  ShowWindow(window, SW_HIDE);
  ReleasePorts();
  DestroyMenu(contextMenu);
  DestroyMenu(contextMenuHolder);
  DeleteObject(menuCheckBitmap);
  DeleteAboutLinkFont();
  if (deviceNotification != nullptr) UnregisterDeviceNotification(deviceNotification);
  Sleep(150);
  PostQuitMessage(0);
  EndDialog(window, 0);
  DestroyWindow(window);
  DestroyIcon(smallIcon);
  DestroyIcon(largeIcon);
}
