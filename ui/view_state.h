// The view of the port list that the window's parts share: the block the
// settings file restores, and the flags beside it. Plain integers only, so
// the rules that use them build without the window code. The window keeps
// one in its own record.
#pragma once

#include <stdint.h>

struct ViewSettings {
  int32_t smallIconSize;
  int32_t largeIconSize;
  int32_t columnWidths[7];  // by slot: Port, Kernel Name, Device, Class, Device ID, two spare
  int32_t focusRow;         // row last focused or acted on; -1 none
  int32_t clickedColumn;    // column under the last context-menu click; -1 none
  int32_t visualStyles;
  int32_t columnCount;      // 4 or 5 once the columns exist
  int32_t sortDirection[10];  // per column: nonzero ascending
};

struct ViewState {
  ViewSettings settings;
  int32_t sortColumn;
  int32_t showDeviceId;
  // Set while the program itself changes rows or check boxes, so that the
  // list's reports of those changes are not taken for the user's edits.
  int32_t listUpdating;
  int32_t lastSelectedCount;
  // The port of the row focusRow names, 0 for none: a refresh or a sort
  // moves rows, and the focus follows the port, not the position.
  int32_t focusPort;
};

// As a window starts: the widths come from the settings when it is made.
ViewState InitialViewState();

const int32_t kPortColumn = 0;
const int32_t kKernelNameColumn = 1;
const int32_t kDeviceColumn = 2;
const int32_t kClassColumn = 3;
const int32_t kDeviceIdColumn = 4;
