// The dialog that gives a serial port another number: the device, its ID,
// and every number ComDB covers with what holds it; only a free or stale
// number can be chosen.
#pragma once

#include <stdint.h>

#include "ui/win32/window_state.h"

// Modal, owned by the main window; the number chosen, 0 when cancelled.
int32_t ChooseNewPortNumber(MainWindow& w, const PortDevice* device);
