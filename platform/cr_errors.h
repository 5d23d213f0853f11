// The configuration manager's CR_ results as the Win32 error codes they
// stand for, the way CM_MapCrToWin32Err maps them, for the two platforms:
// every device call of platform/os.h answers in Win32 codes. Portable: no
// system call, one table for both.
#pragma once

#include <stdint.h>

const uint32_t kCrSuccess = 0;           // CR_SUCCESS
const uint32_t kCrInvalidDevnode = 5;    // CR_INVALID_DEVNODE
const uint32_t kCrNoSuchDevnode = 13;    // CR_NO_SUCH_DEVNODE (CR_NO_SUCH_DEVINST)
const uint32_t kCrBufferSmall = 26;      // CR_BUFFER_SMALL
const uint32_t kCrNoSuchValue = 37;      // CR_NO_SUCH_VALUE

// The Win32 code a CR_ result stands for; GEN_FAILURE for one the
// configuration manager maps to none.
int32_t Win32ErrorOfCr(uint32_t result);
