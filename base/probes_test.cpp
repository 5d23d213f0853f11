#include "base/probes.h"

#include <gtest/gtest.h>

#include <string>

struct VersionCase {
  uint32_t major, minor;
  uint8_t productType;
  int32_t code;
  int32_t flags[6];  // V50, V51, V52Workstation64, V52Server, V60, V61To6x
};

TEST(ReadOsVersion, PacksTheVersionAndSetsOneFlag) {
  const VersionCase cases[] = {
      {5, 0, 1, 0x0500, {1, 0, 0, 0, 0, 0}}, {5, 1, 1, 0x0501, {0, 1, 0, 0, 0, 0}},
      {5, 2, 1, 0x0502, {0, 0, 1, 0, 0, 0}}, {5, 2, 3, 0x0502, {0, 0, 0, 1, 0, 0}},
      {6, 0, 1, 0x0600, {0, 0, 0, 0, 1, 0}}, {6, 1, 1, 0x0601, {0, 0, 0, 0, 0, 1}},
      {6, 2, 1, 0x0602, {0, 0, 0, 0, 0, 1}}, {6, 3, 3, 0x0603, {0, 0, 0, 0, 0, 1}},
      {10, 0, 1, 0x1000, {0, 0, 0, 0, 0, 0}}, {4, 0, 1, 0x0400, {0, 0, 0, 0, 0, 0}},
  };
  for (const VersionCase& c : cases) {
    OsVersionNumbers numbers = {c.major, c.minor, 7601, 1, c.productType, 0x100};
    OsVersionInfo v;
    DescribeOsVersion(numbers, &v);
    SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " type " << int(c.productType));
    EXPECT_EQ(c.code, v.versionCode);
    const int32_t flags[6] = {v.isV50, v.isV51, v.isV52Workstation64, v.isV52Server, v.isV60,
                              v.isV61To6x};
    for (int i = 0; i < 6; i++) EXPECT_EQ(c.flags[i], flags[i]) << "flag " << i;
    EXPECT_EQ(c.major >= 5 ? 1 : 0, v.is64Bit);
    EXPECT_EQ(std::u16string(c.major >= 5 ? u"x64" : u""), v.platformName);
    EXPECT_EQ(7601, v.build);
    EXPECT_EQ(c.productType, v.productType);
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
