// Which device-change messages ask for a refresh of the port list.
#pragma once

#include <stdint.h>

const uint32_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
const uint32_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE

// An arrival or removal of a device interface of the COM port or modem
// interface classes or of the Ports setup class. The record comes from
// another process: beyond its size field, only what its own size covers is
// read.
int32_t IsWatchedDeviceChange(uintptr_t event, const void* record);
