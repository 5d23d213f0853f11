#include "ui/win32/shutdown.h"

#include "actions/about_box.h"
#include "ui/port_session.h"
#include "ui/win32/monitor.h"
#include "ui/win32/settings_file.h"

void CloseMainWindow(MainWindow& w) {
  if (w.shuttingDown) return;
  if (!CloseMayRunNow(&w.ports)) {
    MessageBeep(MB_OK);  // it closes once the box that holds the rows is answered
    return;
  }
  w.shuttingDown = 1;
  StopKeyWatcher(w);
  SaveSettings(w);  // only while the window is still visible
  ShowWindow(w.window, SW_HIDE);
  ReleasePorts(&w.ports);
  DestroyMenu(w.contextMenu);
  DestroyMenu(w.contextMenuHolder);
  DeleteObject(w.menuCheckBitmap);
  DeleteAboutLinkFont();
  if (w.deviceNotification != nullptr) UnregisterDeviceNotification(w.deviceNotification);
  Sleep(150);
  PostQuitMessage(0);
  EndDialog(w.window, 0);
  DestroyWindow(w.window);
  DestroyIcon(w.smallIcon);
  DestroyIcon(w.largeIcon);
}
