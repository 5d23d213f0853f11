#include "ui/window_mode.h"

#include <windows.h>

#include "base/process.h"
#include "res/resource.h"
#include "ui/win32/main_window.h"
#include "ui/win32/window_state.h"

int32_t RunMainWindow(int32_t showCommand) {
  // The window's record lives as long as the message loop, which is as long
  // as window mode lasts.
  MainWindow record = {};
  record.view = InitialViewState();
  record.ports.administrator = isAdmin;
  StartJournal(&record.ports.journal, kJournalWindow);
  CreateMainWindow(&record, showCommand);
  HACCEL accelerators = LoadAcceleratorsW(reinterpret_cast<HINSTANCE>(programInstance),
                                          MAKEINTRESOURCEW(IDA_MAIN));
  MSG message;
  // GetMessageW reports -1 when it fails; waiting again would fail again at
  // once, so that ends the loop as the quit message does.
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorW(record.window, accelerators, &message)) continue;
    if (IsDialogMessageW(record.window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DestroyAcceleratorTable(accelerators);
  return 0;
}
