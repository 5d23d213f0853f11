// Window mode on the simulated platform: no window exists, so the mode ends
// at once with its exit code.
#include "ui/window_mode.h"

int32_t RunMainWindow(int32_t) { return 0; }
