// The numbers the window offers a serial port, COM1 up to what ComDB
// covers, each with what holds it: free, reserved with no device (stale,
// which may be taken), or used by a device, present or not (which may not).
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

// The entry of one number: "COM3<tab>free", "COM4<tab>reserved, no device",
// "COM5<tab>used by USB Serial Port (COM5)", "COM6<tab>used by Gone (not
// present)", "COM1<tab>in use by \Device\Serial0" (a running driver named
// it), "COM7<tab>this device". holder: what holds the number (FindHolder),
// null for nothing. 1 when the number may be chosen.
int32_t DescribeMoveTarget(int32_t port, int32_t reserved, const PortDevice* holder,
                           const PortDevice* device, char16_t* text, uint32_t units);
