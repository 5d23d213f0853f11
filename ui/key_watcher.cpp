#include "ui/key_watcher.h"

#include "core/port_reservations.h"

std::atomic<int32_t> shuttingDown{0};
std::atomic<OsKey> watchedKey{0};

uint32_t WatchComArbiter(void (*armRefresh)(void* context), void* context) {
  OsKey key = 0;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kComArbiterPath, kOsKeyNotify, &key);
  if (status != kOsErrorSuccess) return static_cast<uint32_t>(status);
  if (key == 0) return 0;
  watchedKey = key;
  // Shutdown may have begun before the key was stored; then nobody will
  // close it but this thread.
  if (shuttingDown) {
    if (watchedKey.exchange(0) == key) OsRegCloseKey(key);
    return 0;
  }
  for (;;) {
    status = OsRegWaitForValueChange(key);
    if (shuttingDown) return 0;
    if (status != kOsErrorSuccess) return static_cast<uint32_t>(status);
    armRefresh(context);
  }
}
