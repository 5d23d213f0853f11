// The port list's rows as the window's rules see them, in list order
// (sorted any way). The window gives its list control; the tests give a
// plain array of rows.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

struct RowAccess {
  int32_t (*count)();
  int32_t (*port)(int32_t row);       // the number the row stands for
  int32_t (*isChecked)(int32_t row);  // its check box shows "reserved"
  // Sets the box only, as the program's own change, never taken for a
  // user's edit.
  void (*setChecked)(int32_t row, int32_t checked);
  // Rewrites the row's device columns from the device (blank for none or a
  // removed one) and keeps the device as the row's own.
  void (*showDevice)(int32_t row, PortDevice* device);
  int32_t (*isSelected)(int32_t row);
  int32_t (*selectedCount)();
  void (*clearSelection)();
  // Selects the row, gives it the focus and remembers it as focused.
  void (*selectAndFocus)(int32_t row);
};
