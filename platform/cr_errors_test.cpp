// The configuration manager's answers as the Win32 codes the device calls
// of platform/os.h return: what the inventory reads as "not present" and
// "buffer too small" comes out of the table, and no failure maps to 0.
#include "platform/cr_errors.h"

#include <gtest/gtest.h>

#include "platform/os.h"

TEST(CrErrors, MapAsTheConfigurationManagerDoesAndNeverHideAFailure) {
  const struct {
    uint32_t result;
    int32_t error;
  } cases[] = {
      {kCrSuccess, kOsErrorSuccess},
      {kCrNoSuchDevnode, kOsErrorNotFound},  // the node is not present
      {kCrNoSuchValue, kOsErrorNotFound},
      {kCrBufferSmall, kOsErrorInsufficientBuffer},
      {kCrInvalidDevnode, kOsErrorInvalidData},
      {2, kOsErrorNotEnoughMemory},   // CR_OUT_OF_MEMORY
      {51, kOsErrorAccessDenied},     // CR_ACCESS_DENIED
      {19, kOsErrorGenFailure},       // CR_FAILURE: none of its own
      {0x7FFFFFFF, kOsErrorGenFailure},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error, Win32ErrorOfCr(c.result)) << c.result;
  }
  for (uint32_t result = 1; result <= 64; result++) {
    EXPECT_NE(kOsErrorSuccess, Win32ErrorOfCr(result)) << result;
  }
}
