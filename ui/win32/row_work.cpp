#include "ui/win32/row_work.h"

#include "ui/port_session.h"
#include "ui/win32/monitor.h"

void EndRowWorkAndCatchUp(MainWindow& w) {
  int32_t due = EndRowWork(&w.ports);
  if (due & kCloseDue) {
    PostMessageW(w.window, WM_CLOSE, 0, 0);
  } else if (due & kRefreshDue) {
    // Through the timer, so that the rows are not rebuilt inside the list's
    // own notification that the use may have run in.
    ArmRefreshTimer(w.window, kKeyChangeRefreshDelay);
  }
}
