#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

static std::u16string Args(const char16_t* commandLine) {
  return SkipProgramNameIn(commandLine);
}

TEST(SkipProgramName, EndsAtTheFirstSpaceOutsideQuotes) {
  EXPECT_EQ(u"", Args(u"varnick.exe"));
  EXPECT_EQ(u"", Args(u"varnick.exe    "));
  EXPECT_EQ(u"-c", Args(u"varnick.exe -c"));
  EXPECT_EQ(u"/r", Args(u"\"C:\\Program Files\\varnick.exe\"   /r"));
  EXPECT_EQ(u"", Args(u"\"C:\\Program Files\\varnick.exe\""));
  // Quotes may stand anywhere in the name, not only at its start.
  EXPECT_EQ(u"/c x", Args(u"C:\\\"Program Files\"\\varnick.exe /c x"));
  // A tab is part of the name.
  EXPECT_EQ(u"", Args(u"varnick.exe\t/c"));
}

TEST(SkipProgramName, OddCommandLines) {
  // A leading space: the program name itself becomes the argument text.
  EXPECT_EQ(u"varnick.exe /c", Args(u" varnick.exe /c"));
  // A quote that is never closed swallows the rest.
  EXPECT_EQ(u"", Args(u"\"C:\\Tools\\varnick.exe /c"));
  EXPECT_EQ(u"", Args(u"   "));
  EXPECT_EQ(u"", Args(u""));
  EXPECT_EQ(u"/r", Args(u"\"\" /r"));
}

TEST(SkipProgramName, EmptyResultIsOneConstantText) {
  EXPECT_EQ(SkipProgramNameIn(u"a"), SkipProgramNameIn(u"\"b"));
}

TEST(DetectSwitches, FindsEitherTextAnywhereInAnyCase) {
  struct Case {
    const char16_t* text;
    int32_t clear, remove, list, dryRun, quiet, batch;
  } cases[] = {
      {u"", 0, 0, 0, 0, 0, 0},         {u"/x", 0, 0, 0, 0, 0, 0},
      {u"/c", 1, 0, 0, 0, 0, 1},       {u"-C", 1, 0, 0, 0, 0, 1},
      {u"/R", 0, 1, 0, 0, 0, 1},       {u"-r", 0, 1, 0, 0, 0, 1},
      {u"/config", 1, 0, 0, 0, 0, 1},  {u"--run", 0, 1, 0, 0, 0, 1},
      {u"-cr", 1, 0, 0, 0, 0, 1},      {u"/c/r", 1, 1, 0, 0, 0, 1},
      {u"/c -r", 1, 1, 0, 0, 0, 1},    {u"c r", 0, 0, 0, 0, 0, 0},
      {u"\\c", 0, 0, 0, 0, 0, 0},      {u"x-c", 1, 0, 0, 0, 0, 1},
      {u"/ c", 0, 0, 0, 0, 0, 0},      {u"/L", 0, 0, 1, 0, 0, 1},
      {u"-n /r", 0, 1, 0, 1, 0, 1},    {u"/N", 0, 0, 0, 1, 0, 1},
      {u"/q", 0, 0, 0, 0, 1, 0},       {u"-Q /c", 1, 0, 0, 0, 1, 1},
  };
  for (const Case& c : cases) {
    BatchSwitches s = DetectSwitches(c.text);
    SCOPED_TRACE(std::string(c.text, c.text + std::u16string(c.text).size()));
    EXPECT_EQ(c.clear, s.clearSwitch);
    EXPECT_EQ(c.remove, s.removeSwitch);
    EXPECT_EQ(c.list, s.listSwitch);
    EXPECT_EQ(c.dryRun, s.dryRunSwitch);
    EXPECT_EQ(c.quiet, s.quietSwitch);
    EXPECT_EQ(c.batch, IsBatchMode(s));
  }
}
