// The system's property sheet of a device, each in a thread of its own so
// that several can be open while the main window stays responsive.
#pragma once

#include <stdint.h>

// Opens the sheet of the device with this instance ID, read from the
// system just before. Returns at once; the sheet opens in the background.
// Every failure (no devmgr.dll, no thread) is silent.
void OpenPropertySheet(const char16_t* deviceId);
