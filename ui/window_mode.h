// Window mode: the main window and the one message loop.
#pragma once

#include <stdint.h>

// Returns when the window has been closed; the exit code is always 0.
int32_t RunMainWindow(int32_t showCommand);
