// How the Win32 platform turns the system's answers into the error codes
// platform/os.h returns, which are never 0 for a failure. Out of line: a
// call and a jump at each of the many calls.
#pragma once

#include <windows.h>

#include <stdint.h>

// GetLastError() after a call that failed; GEN_FAILURE where the system
// set none.
int32_t LastErrorOfFailure();
// 0 for a BOOL call that succeeded, else LastErrorOfFailure().
int32_t ErrorOf(BOOL succeeded);
// A handle a call returned, into *handle; on failure (null or
// INVALID_HANDLE_VALUE) *handle is 0 and LastErrorOfFailure() returned.
int32_t HandleOf(HANDLE returned, uintptr_t* handle);
// A COM call's HRESULT: the Win32 code it carries (FACILITY_WIN32), else
// the HRESULT itself; 0 for any success.
int32_t ErrorOfResult(HRESULT result);
