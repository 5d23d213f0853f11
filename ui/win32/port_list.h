// The port list: one row per port number the reservation bitmap covers,
// with its check box and the device that carries the number.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "core/port_devices.h"
#include "ui/row_access.h"
#include "ui/win32/list_rows.h"

void UpdateColumns();
void RefreshList();
void SetRowTexts(const PortDevice* device, int32_t row);
void ShowReservedCount();
void ShowSelectedCount();
void RestoreScroll(HWND list, int32_t top);
// Remembers the row last focused or acted on (-1 none) and its port.
void RememberFocus(int32_t row);

// The list's rows for the port session's rules.
extern const RowAccess listRows;
// Opens the system's property sheet of a row's device, when it has one.
void OpenPropertySheetOfRow(int32_t row);
