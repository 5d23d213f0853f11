#include "platform/sim/profile_codec.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "platform/os.h"
#include "ui/settings_rules.h"

namespace {

std::string Encoded(const void* data, uint32_t size) {
  std::string text(2 * size + 3, '\0');
  EncodeProfileStruct(data, size, &text[0]);
  text.resize(strlen(text.c_str()));
  return text;
}

TEST(ProfileEncoding, StructuresAreHexWithAChecksumAndReadBackOnlyWhole) {
  const int32_t widths[7] = {80, 200, 310, 65, 150, 85, 85};
  const std::string text = Encoded(widths, sizeof widths);
  // Little-endian bytes, then the low byte of their sum (720, 0x2D0).
  EXPECT_EQ("50000000C80000003601000041000000960000005500000055000000D0", text);
  int32_t back[7] = {};
  ASSERT_EQ(1, DecodeProfileStruct(text.c_str(), back, sizeof back));
  EXPECT_EQ(0, memcmp(widths, back, sizeof back));

  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(tolower(c));
  EXPECT_EQ(1, DecodeProfileStruct(lower.c_str(), back, sizeof back));

  // Anything else reads as absent and leaves the destination alone.
  int32_t untouched[7] = {1, 2, 3, 4, 5, 6, 7};
  std::string wrongSum = text;
  wrongSum[57] = wrongSum[57] == '0' ? '1' : '0';
  for (const std::string& bad : {wrongSum, text.substr(0, 56), text + "00", std::string(""),
                                 std::string(58, 'G'), std::string("garbage text")}) {
    EXPECT_EQ(0, DecodeProfileStruct(bad.c_str(), untouched, sizeof untouched)) << bad;
  }
  EXPECT_EQ(7, untouched[6]);
}

TEST(ProfileEncoding, IntegersAreDecimalAndReadAsThePlatformReadsThem) {
  char text[32];
  for (int32_t value : {0, 1, -5, 96, 2147483647, -2147483647 - 1}) {
    FormatSettingInt(value, text);
    EXPECT_EQ(std::to_string(value), text);
    EXPECT_EQ(value, ParseProfileInt(text));
  }
  EXPECT_EQ(16, ParseProfileInt("0x10"));
  EXPECT_EQ(15, ParseProfileInt("0o17"));
  EXPECT_EQ(5, ParseProfileInt("0b101"));
  EXPECT_EQ(0, ParseProfileInt("0b2"));
  EXPECT_EQ(12, ParseProfileInt("12abc"));
  EXPECT_EQ(0, ParseProfileInt("abc"));
  EXPECT_EQ(0, ParseProfileInt(""));
}

// The profile functions of the platform this runs on (Wine's own under
// Wine) agree with the encodings above, both ways.
TEST(ProfileEncoding, ThePlatformsProfileFunctionsAgree) {
  char16_t program[260];
  uint32_t length;
  ASSERT_EQ(kOsErrorSuccess, OsModuleFileName(program, 260, &length));
  char file[300];
  ASSERT_TRUE(OsToAnsiExact(program, file, 260));
  strcat(file, ".settings-test.ini");
  const StoredPlacement placement = {44, 2, 3, -1, -1, -8, -8, 10, 20, 710, 520};
  ASSERT_EQ(kOsErrorSuccess,
            OsProfileWriteStruct("Settings", "WindowPlacement", &placement, sizeof placement, file));
  StoredPlacement back = {};
  ASSERT_EQ(kOsErrorSuccess,
            OsProfileReadStruct("Settings", "WindowPlacement", &back, sizeof back, file));
  EXPECT_EQ(0, memcmp(&placement, &back, sizeof back));
  // Text made here reads back through the platform, and the reverse.
  ASSERT_EQ(kOsErrorSuccess, OsProfileWriteString("Settings", "Own",
                                                  Encoded(&placement, sizeof placement).c_str(), file));
  EXPECT_EQ(kOsErrorSuccess, OsProfileReadStruct("Settings", "Own", &back, sizeof back, file));
  EXPECT_NE(kOsErrorSuccess, OsProfileReadStruct("Settings", "Own", &back, sizeof back - 1, file));
  for (const char* value : {"-5", "0x10", "0o17", "0b101", "12abc", "abc", "7", " 8"}) {
    OsProfileWriteString("Settings", "Number", value, file);
    EXPECT_EQ(ParseProfileInt(value), OsProfileReadInt("Settings", "Number", 42, file)) << value;
  }
  OsProfileWriteString("Settings", "Number", "", file);
  EXPECT_EQ(42, OsProfileReadInt("Settings", "Number", 42, file));
  EXPECT_EQ(42, OsProfileReadInt("Settings", "Missing", 42, file));
  remove(file);
}

}  // namespace
