// The order of the port list: the row comparison and the column-click rule.
// The list's texts are read through a reader, so the rule itself needs no
// window.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"
#include "ui/view_state.h"

const uint32_t kCellTextUnits = 256;

// Writes the text of one cell into a zero-filled buffer of kCellTextUnits.
typedef void (*CellTextReader)(const void* context, int32_t row, int32_t column, char16_t* text);

// The sortDirection slot of a column: a column outside 0 to 5 (a hand-edited
// setting) uses column 0's, so nothing indexes past the flags.
int32_t SortSlot(int32_t column);

// Negative when row a sorts before row b by the column, in the direction
// given (nonzero ascending). Port sorts by number; the other columns by the
// system's text order, ties broken by the Port text (or, for Port, by
// Kernel Name). The reader is asked for columns by number, not by place.
int32_t CompareRowsBy(CellTextReader read, const void* context, int32_t a, int32_t b,
                      int32_t column, int32_t ascending);

// The rows of a list filled from the models, in the order a sort of its
// cells by the view's sort column and direction gives: rows[k] := the
// index (port number - 1) of the port row k shows. devices[i] is the
// device port i + 1 shows (null for none). The cells are made from the
// records as the rows show them, with the columns not shown empty.
void OrderPortRows(PortDevice* const* devices, int32_t count, const ViewState& view,
                   int32_t* rows);

// A click on a column header: toggles that column's direction and makes it
// the sort column; returns the new direction flag.
int32_t ClickSortColumn(ViewState* view, int32_t column);
