// The port list: one row per port number the reservation bitmap covers,
// with its check box and the device that carries the number.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "core/port_devices.h"
#include "core/port_reservations.h"

// The two models, created by the first refresh and kept until shutdown.
extern PortReservations* portReservations;
extern PortDeviceList* portDevices;

void UpdateColumns();
void RefreshList();
void SetRowTexts(const PortDevice* device, int32_t row);
void ShowReservedCount();
void ShowSelectedCount();
void RestoreScroll(HWND list, int32_t top);
int32_t HeaderItemCount(HWND list);
int32_t HeaderHeight(HWND list);

// The port number a row stands for, from its Port text.
int32_t RowPort(int32_t row);
// Text of one cell into a zero-filled buffer of 256 units.
void ReadCellText(int32_t row, int32_t column, char16_t* text);
void SetRowState(int32_t row, UINT state, UINT mask);
void SetRowStateImage(int32_t row, uint32_t image);
