#include "ui/view_state.h"

const int32_t kDefaultColumnWidths[7] = {80, 200, 310, 65, 150, 85, 85};

ViewSettings viewSettings = {
    16, 32, {80, 200, 310, 65, 150, 85, 85}, -1, -1, 1, -1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

int32_t sortColumn = 0;
int32_t showDeviceId = 0;
int32_t listUpdating = 0;
int32_t lastSelectedCount = -1;
int32_t focusPort = 0;
