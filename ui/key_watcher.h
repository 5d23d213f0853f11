// The watcher of the COM Name Arbiter key: a thread that blocks on value
// changes of the key and asks for a refresh after each.
#pragma once

#include <stdint.h>

#include <atomic>

#include "platform/os.h"

// Set first thing at shutdown, read by the watcher after every wake.
extern std::atomic<int32_t> shuttingDown;
// The key the watcher waits on; shutdown closes it to release the wait.
extern std::atomic<OsKey> watchedKey;

// The thread's body: returns its exit code. 0 after shutdown; the open
// error when the key cannot be opened; the wait's error when a wait fails,
// since waiting again would only fail again at once.
// armRefresh runs on the watcher's thread: it only asks the GUI thread to
// arm the refresh timer, with the context it is given.
uint32_t WatchComArbiter(void (*armRefresh)(void* context), void* context);
