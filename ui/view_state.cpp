#include "ui/view_state.h"

// The widths come from the settings when the window is made.
ViewSettings viewSettings = {16, 32, {}, -1, -1, 1, -1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}};

int32_t sortColumn = 0;
int32_t showDeviceId = 0;
int32_t listUpdating = 0;
int32_t lastSelectedCount = -1;
int32_t focusPort = 0;
