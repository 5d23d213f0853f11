// The port list control's rows and header, read and set one message at a
// time: what the window's parts share of the list.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "core/port_devices.h"

int32_t RowCount();
int32_t SelectedRowCount();
int32_t HeaderItemCount(HWND list);  // the number of columns
int32_t HeaderHeight(HWND list);
// The port number a row stands for, from its Port text.
int32_t RowPort(int32_t row);
// Text of one cell into a zero-filled buffer of kCellTextUnits.
void ReadCellText(int32_t row, int32_t column, char16_t* text);
void SetRowState(int32_t row, UINT state, UINT mask);
// Sets a row's check box (kChecked, kUnchecked) as the program's own change.
void SetRowStateImage(int32_t row, uint32_t image);
int32_t RowStateImage(int32_t row);
// The row that now stands for a port; -1 when none does.
int32_t FindRowOfPort(int32_t port);
// The device a row carries as its item data (null for none); 0 when the
// row cannot be read.
int32_t ReadRowDevice(int32_t row, PortDevice** device);
