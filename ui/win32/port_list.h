// The port list: one row per port number the reservation bitmap covers,
// with its check box and the device that carries the number.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "core/port_devices.h"
#include "ui/row_access.h"

void UpdateColumns();
void RefreshList();
void SetRowTexts(const PortDevice* device, int32_t row);
void ShowReservedCount();
void ShowSelectedCount();
void RestoreScroll(HWND list, int32_t top);
int32_t HeaderItemCount(HWND list);
int32_t HeaderHeight(HWND list);

int32_t RowCount();
int32_t SelectedRowCount();

// The port number a row stands for, from its Port text.
int32_t RowPort(int32_t row);
// Text of one cell into a zero-filled buffer of 256 units.
void ReadCellText(int32_t row, int32_t column, char16_t* text);
void SetRowState(int32_t row, UINT state, UINT mask);
// Sets a row's check box (kChecked, kUnchecked) as the program's own change.
void SetRowStateImage(int32_t row, uint32_t image);
int32_t RowStateImage(int32_t row);
// The row that now stands for a port; -1 when none does.
int32_t FindRowOfPort(int32_t port);
// Remembers the row last focused or acted on (-1 none) and its port.
void RememberFocus(int32_t row);
// The row of the remembered port, which a refresh or a sort may have
// moved; the remembered position when the port has no row now.
int32_t RememberedFocusRow();
// The device a row carries as its item data (null for none); 0 when the
// row cannot be read.
int32_t ReadRowDevice(int32_t row, PortDevice** device);

// The list's rows for the port session's rules.
extern const RowAccess listRows;
// Opens the system's property sheet of a row's device, when it has one.
void OpenPropertySheetOfRow(int32_t row);
