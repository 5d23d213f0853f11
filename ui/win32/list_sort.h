// Sorting the port list by a column, and the header's sort arrows.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

void SortRows(const MainWindow& w, int32_t column);
// The arrow on the header at that place (-1: on none).
void SetSortArrows(HWND list, int32_t place, int32_t ascending);
// A click on the header at that place: toggles its column's direction,
// sorts, moves the arrow.
void SortByClickedColumn(MainWindow& w, int32_t place);
