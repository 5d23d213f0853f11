// The port list: one row per port number the reservation bitmap covers,
// with its check box and the device that carries the number.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "core/port_devices.h"
#include "ui/row_access.h"
#include "ui/win32/list_rows.h"
#include "ui/win32/window_state.h"

// The list's columns at its start: the first four, then Device ID and
// Location where the view shows them, in the widths the view keeps.
void InsertColumns(MainWindow& w);
// Shows or hides an optional column (Device ID, Location) and sets the
// view's flag; the other columns keep their places' widths.
void ShowColumn(MainWindow& w, int32_t column, int32_t shown);
// The widths of the columns the list has now into the view.
void KeepColumnWidths(MainWindow& w);
void RefreshList(MainWindow& w);
void SetRowTexts(const MainWindow& w, const PortDevice* device, int32_t row);
void ShowReservedCount(const MainWindow& w);
void ShowSelectedCount(MainWindow& w);
void RestoreScroll(HWND list, int32_t top);
// Remembers the row last focused or acted on (-1 none) and its port.
void RememberFocus(MainWindow& w, int32_t row);

// The list's rows for the port session's rules.
RowAccess ListRows(MainWindow* w);
// Opens the system's property sheet of a row's device, when it has one.
void OpenPropertySheetOfRow(const MainWindow& w, int32_t row);
