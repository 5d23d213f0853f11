#include "ui/win32/row_work.h"

#include "ui/port_session.h"
#include "ui/win32/monitor.h"
#include "ui/win32/window_state.h"

void EndRowWorkAndCatchUp() {
  int32_t due = EndRowWork();
  if (due & kCloseDue) {
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  } else if (due & kRefreshDue) {
    // Through the timer, so that the rows are not rebuilt inside the list's
    // own notification that the use may have run in.
    ArmRefreshTimer(kKeyChangeRefreshDelay);
  }
}
