#include "ui/key_watcher.h"

#include "core/port_reservations.h"

uint32_t WatchComArbiter(OsEvent stop, void (*armRefresh)(void* context), void* context) {
  OsKey key = 0;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kComArbiterPath, kOsKeyNotify, &key);
  if (status != kOsErrorSuccess) return static_cast<uint32_t>(status);
  if (key == 0) return 0;
  OsEvent changed = OsCreateEvent(0);
  uint32_t exitCode = 0;
  for (;;) {
    status = changed != 0 ? OsRegWaitForValueChange(key, changed, stop) : kOsErrorNotEnoughMemory;
    if (status == kOsWaitStopped) break;
    if (status != kOsErrorSuccess) {
      exitCode = static_cast<uint32_t>(status);
      break;
    }
    armRefresh(context);
  }
  OsRegCloseKey(key);
  if (changed != 0) OsCloseEvent(changed);
  return exitCode;
}
