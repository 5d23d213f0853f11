// The view of the port list that the window's parts share: the block the
// settings file restores, and the flags beside it. Plain integers only, so
// the rules that use them build without the window code. The window keeps
// one in its own record.
#pragma once

#include <stdint.h>

struct ViewSettings {
  int32_t smallIconSize;
  int32_t largeIconSize;
  int32_t columnWidths[7];  // by column: Port, Kernel Name, Device, Class, Device ID, Location, spare
  int32_t focusRow;         // row last focused or acted on; -1 none
  int32_t clickedColumn;    // place of the column under the last context-menu click; -1 none
  int32_t visualStyles;
  int32_t sortDirection[10];  // per column: nonzero ascending
};

struct ViewState {
  ViewSettings settings;
  int32_t sortColumn;
  int32_t showDeviceId;
  int32_t showLocation;
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

// The columns, by what they show. The list has the first four always, then
// Device ID and Location where they are shown, in that order: a column's
// place in the list is not always its number.
const int32_t kPortColumn = 0;
const int32_t kKernelNameColumn = 1;
const int32_t kDeviceColumn = 2;
const int32_t kClassColumn = 3;
const int32_t kDeviceIdColumn = 4;
const int32_t kLocationColumn = 5;
const int32_t kFixedColumns = 4;

// The place of a column in the list; -1 when it is not shown.
int32_t ColumnPlace(const ViewState& view, int32_t column);
// The column at a place in the list; -1 for none.
int32_t ColumnAtPlace(const ViewState& view, int32_t place);
// How many columns the list has.
int32_t ShownColumnCount(const ViewState& view);
