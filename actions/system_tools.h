// Work handed to the operating system from the File menu: a restore point,
// Device Manager with non-present devices shown, and the restart with
// administrator rights.
#pragma once

#include <stdint.h>

// 1 when a restore point was created, or the system offers none to try.
int32_t CreateRestorePoint();
void OpenDeviceManager();
// Starts the program again through the "runas" verb with the given
// argument text (null: none); 1 when the new instance was started.
int32_t RestartElevated(const char16_t* parameters);
