// The port list's rows as the window's rules see them, in list order
// (sorted any way). The window gives its list control; the tests give a
// plain array of rows. Each call gets the context the access was made with.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

struct RowAccess {
  void* context;
  int32_t (*count)(void* context);
  int32_t (*port)(void* context, int32_t row);  // the number the row stands for
  // Sets the box only, as the program's own change, never taken for a
  // user's edit.
  void (*setChecked)(void* context, int32_t row, int32_t checked);
  // Rewrites the row's device columns from the device (blank for none or a
  // removed one) and keeps the device as the row's own.
  void (*showDevice)(void* context, int32_t row, PortDevice* device);
  int32_t (*isSelected)(void* context, int32_t row);
  int32_t (*selectedCount)(void* context);
  void (*clearSelection)(void* context);
  // Selects the row, gives it the focus and remembers it as focused.
  void (*selectAndFocus)(void* context, int32_t row);
};
