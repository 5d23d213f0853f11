// The texts of a port's row: the one place they are made, both for the
// list's cells and for the order the rows are filled in, which must be the
// order a sort of those cells gives.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

// "COM" and the port number.
void PortCellText(int32_t port, char16_t* text, uint32_t units);
// A device column's cell (Kernel Name to Location): the device's field,
// "---" when that is empty; empty for no device or a removed one.
const char16_t* DeviceCellText(const PortDevice* device, int32_t column);
