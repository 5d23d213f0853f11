// The port list control's rows and header, read and set one message at a
// time: what the window's parts share of the list. Each row carries the
// number of the port it stands for as its item data.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

int32_t RowCount(HWND list);
int32_t SelectedRowCount(HWND list);
int32_t HeaderItemCount(HWND list);  // the number of columns
int32_t HeaderHeight(HWND list);
// The port number a row stands for; 0 when the row cannot be read.
int32_t RowPort(HWND list, int32_t row);
// Text of one cell into a zero-filled buffer of kCellTextUnits.
void ReadCellText(HWND list, int32_t row, int32_t column, char16_t* text);
void SetRowState(HWND list, int32_t row, UINT state, UINT mask);
// Sets a row's check box (kChecked, kUnchecked) as the program's own change.
void SetRowStateImage(MainWindow& w, int32_t row, uint32_t image);
// The row that now stands for a port; -1 when none does.
int32_t FindRowOfPort(HWND list, int32_t port);
// The device a row shows (null for none); 0 when the row cannot be read.
int32_t ReadRowDevice(const MainWindow& w, int32_t row, PortDevice** device);
