// The port list's notifications: check-box edits of reservations, focus
// changes remembered with their port, sorting by a header click.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

// Always 0; the list does not use the result.
LRESULT OnListNotify(MainWindow& w, int32_t controlId, const NMHDR* header);
