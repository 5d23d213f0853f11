#include "ui/key_watcher.h"

#include "core/port_reservations.h"

uint32_t WatchComArbiter(OsEvent stop, void (*armRefresh)(void* context), void* context) {
  OsKey key = 0;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kComArbiterPath, kOsKeyNotify, &key);
  if (status != kOsErrorSuccess) return static_cast<uint32_t>(status);
  if (key == 0) return 0;
  OsEvent changed;
  bool stopped = false;
  status = OsCreateEvent(false, &changed);
  while (status == kOsErrorSuccess) {
    status = OsRegWaitForValueChange(key, changed, stop, &stopped);
    if (status != kOsErrorSuccess || stopped) break;
    armRefresh(context);
  }
  OsRegCloseKey(key);
  if (changed != 0) OsCloseEvent(changed);
  return static_cast<uint32_t>(status);
}
