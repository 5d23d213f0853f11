// The watcher of the COM Name Arbiter key: a thread that waits for value
// changes of the key and asks for a refresh after each.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// The thread's body: returns its exit code. It ends when stop is set (0);
// when the key cannot be opened or its event made (that error); or when a
// wait fails (the wait's error), since waiting again would only fail again
// at once.
// The key is the watcher's alone: opened and closed here, so it is never
// used once closed.
// armRefresh runs on the watcher's thread: it only asks the GUI thread to
// arm the refresh timer, with the context it is given.
uint32_t WatchComArbiter(OsEvent stop, void (*armRefresh)(void* context), void* context);
