#include "platform/win32/last_error.h"

#include "platform/os.h"

uint32_t OsGetLastError() { return GetLastError(); }

void OsSetLastError(uint32_t code) { SetLastError(code); }

// Out of line, so that the two below jump to it.
__attribute__((noinline)) int32_t LastErrorOfFailure() {
  DWORD error = GetLastError();
  return error != 0 ? static_cast<int32_t>(error) : kOsErrorGenFailure;
}

int32_t ErrorOf(BOOL succeeded) { return succeeded ? kOsErrorSuccess : LastErrorOfFailure(); }

int32_t HandleOf(HANDLE returned, uintptr_t* handle) {
  bool failed = returned == nullptr || returned == INVALID_HANDLE_VALUE;
  *handle = failed ? 0 : reinterpret_cast<uintptr_t>(returned);
  return failed ? LastErrorOfFailure() : kOsErrorSuccess;
}

int32_t ErrorOfResult(HRESULT result) {
  if (SUCCEEDED(result)) return kOsErrorSuccess;
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) return HRESULT_CODE(result);
  return static_cast<int32_t>(result);
}
