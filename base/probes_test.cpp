#include "base/probes.h"

#include <gtest/gtest.h>

#include <string>

// The window compares the packed code (device notifications from 5.1 on);
// the About box names the platform.
TEST(ReadOsVersion, PacksTheVersionAndNamesThePlatform) {
  const struct {
    uint32_t major, minor;
    int32_t code;
    const char16_t* platform;
  } cases[] = {
      {5, 0, 0x0500, u"x64"}, {5, 1, 0x0501, u"x64"}, {6, 1, 0x0601, u"x64"},
      {6, 3, 0x0603, u"x64"}, {10, 0, 0x1000, u"x64"}, {4, 0, 0x0400, u""},
  };
  for (const auto& c : cases) {
    OsVersionNumbers numbers = {c.major, c.minor, 7601, 1, 1, 0x100};
    OsVersionInfo v;
    DescribeOsVersion(numbers, &v);
    SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
    EXPECT_EQ(c.code, v.versionCode);
    EXPECT_EQ(std::u16string(c.platform), v.platformName);
  }
}

TEST(ReadProgramVersion, TextsShowTheRevisionFromTenUp) {
  struct {
    uint32_t ms, ls;
    const char16_t* full;
    const char16_t* shortText;
  } cases[] = {
      {0x00010000, 0x00050000, u"1.0.5.0", u"1.0.5"},
      {0x00020001, 0x00030009, u"2.1.3.9", u"2.1.3"},
      {0x00020001, 0x0003000C, u"2.1.3.12", u"2.1.3.12"},
      {0xFFFFFFFF, 0xFFFFFFFF, u"65535.65535.655", u"65535.65535.655"},
  };
  for (const auto& c : cases) {
    ProgramVersion v;
    DescribeProgramVersion(c.ms, c.ls, &v);
    EXPECT_EQ(std::u16string(c.full), v.fullText);
    EXPECT_EQ(std::u16string(c.shortText), v.shortText);
    EXPECT_EQ(c.ms, v.versionMS);
  }
}
