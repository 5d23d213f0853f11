// The system's property sheet of a row's device, each in a thread of its
// own so that several can be open while the main window stays responsive.
#pragma once

#include <stdint.h>

// Returns at once; the sheet opens in the background. Every failure (no
// device, no devmgr.dll, no thread) is silent.
void OpenPropertySheet(int32_t row);

