#include "base/error_name.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"

// Names come from the table, whatever the size of the code; the rest of
// the table is data.
TEST(ErrorName, KnownCodesHaveTheirNames) {
  EXPECT_STREQ("ok", ErrorName(0));
  EXPECT_STREQ("ACCESS_DENIED", ErrorName(5));
  EXPECT_STREQ("NOT_FOUND", ErrorName(1168));
  EXPECT_STREQ("IN_WOW64", ErrorName(0xE0000235));
}

TEST(ErrorName, FallbackSwitchesToHexadecimalAt0x10000000) {
  EXPECT_STREQ("ERROR_4", ErrorName(4));
  EXPECT_STREQ("ERROR_1461", ErrorName(1461));
  EXPECT_STREQ("ERROR_268435455", ErrorName(0x0FFFFFFF));
  EXPECT_STREQ("ERROR_0x10000000", ErrorName(0x10000000));
  EXPECT_STREQ("ERROR_0xE0000236", ErrorName(0xE0000236));
  EXPECT_STREQ("ERROR_0xFFFFFFFF", ErrorName(0xFFFFFFFF));
}

TEST(ErrorName, SecondFallbackOverwritesTheFirst) {
  const char* first = ErrorName(4);
  const char* second = ErrorName(7);
  EXPECT_EQ(first, second);
  EXPECT_STREQ("ERROR_7", first);
  // A table entry is a constant and leaves the buffer alone.
  ErrorName(5);
  EXPECT_STREQ("ERROR_7", first);
}

