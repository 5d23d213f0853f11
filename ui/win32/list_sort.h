// Sorting the port list by a column, and the header's sort arrows.
#pragma once

#include <windows.h>

#include <stdint.h>

// The list's comparator: rows by index, the column as the sort parameter.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column);
void SortRows(int32_t column);
void SetSortArrows(HWND list, int32_t column, int32_t ascending);
// A click on a column header: toggles its direction, sorts, moves the arrow.
void SortByClickedColumn(int32_t column);
