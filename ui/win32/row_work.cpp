#include "ui/win32/row_work.h"

#include <commctrl.h>

#include "base/text.h"
#include "ui/port_session.h"
#include "ui/win32/monitor.h"

void EndRowWorkAndCatchUp(MainWindow& w) {
  // Said by the work that changed something, where the work said nothing
  // of the journal itself.
  char16_t text[100] = {};
  if (TellJournalFailure(&w.ports, text, Units(text))) {
    SendMessageW(w.statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  }
  int32_t due = EndRowWork(&w.ports);
  if (due & kCloseDue) {
    PostMessageW(w.window, WM_CLOSE, 0, 0);
  } else if (due & kRefreshDue) {
    // Through the timer, so that the rows are not rebuilt inside the list's
    // own notification that the use may have run in.
    ArmRefreshTimer(w.window, kKeyChangeRefreshDelay);
  }
}
