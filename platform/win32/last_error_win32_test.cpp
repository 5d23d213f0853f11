// A failure the system reports without an error still comes back from the
// platform as one: GEN_FAILURE, never 0, which every caller takes for
// success.
#include "platform/win32/last_error.h"

#include <gtest/gtest.h>

#include "platform/os.h"

namespace {

TEST(LastError, AFailureWithoutALastErrorIsGenFailure) {
  const struct {
    BOOL succeeded;
    DWORD lastError;
    int32_t error;
  } cases[] = {
      {TRUE, 0, kOsErrorSuccess},
      {TRUE, ERROR_ACCESS_DENIED, kOsErrorSuccess},  // a stale last error
      {FALSE, ERROR_ACCESS_DENIED, kOsErrorAccessDenied},
      {FALSE, 0, kOsErrorGenFailure},
  };
  for (const auto& c : cases) {
    SetLastError(c.lastError);
    EXPECT_EQ(c.error, ErrorOf(c.succeeded)) << c.succeeded << " " << c.lastError;
  }
  const struct {
    HANDLE returned;
    DWORD lastError;
    int32_t error;
  } handles[] = {
      {reinterpret_cast<HANDLE>(0x40), 0, kOsErrorSuccess},
      {nullptr, ERROR_NOT_ENOUGH_MEMORY, kOsErrorNotEnoughMemory},
      {nullptr, 0, kOsErrorGenFailure},
      {INVALID_HANDLE_VALUE, 0, kOsErrorGenFailure},
  };
  for (const auto& c : handles) {
    SetLastError(c.lastError);
    uintptr_t handle = 1;
    EXPECT_EQ(c.error, HandleOf(c.returned, &handle)) << c.returned;
    EXPECT_EQ(c.error == kOsErrorSuccess ? reinterpret_cast<uintptr_t>(c.returned) : 0u, handle);
  }
}

}  // namespace
