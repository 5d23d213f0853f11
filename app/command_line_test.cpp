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

// A switch is a whole word, "/x" or "-x" in any case; words are split as
// the system splits a command line. Any other word is named, and nothing
// else is done with it.
TEST(DetectSwitches, ASwitchIsAWholeWord) {
  struct Case {
    const char16_t* text;
    const char16_t* switches;  // c r l n q ? for each switch found
    const char16_t* unknown;   // the first word that is none; null for none
  } cases[] = {
      {u"", u"", nullptr},
      {u"/c", u"c", nullptr},
      {u"-C", u"c", nullptr},
      {u"/c /r", u"cr", nullptr},
      {u"-r\t-c  -c", u"cr", nullptr},
      {u"/L", u"l", nullptr},
      {u"-n /r", u"rn", nullptr},
      {u"-Q /c", u"cq", nullptr},
      {u"/q", u"q", nullptr},
      {u"\"/c\" \"-r\"", u"cr", nullptr},  // quoted, still the whole word
      {u"/? -h /H", u"?", nullptr},
      // Words that only hold a switch's text are not switches.
      {u"--dry-run", u"", u"--dry-run"},
      {u"/clear-reservations", u"", u"/clear-reservations"},
      {u"/c /norestart", u"c", u"/norestart"},
      {u"-cr", u"", u"-cr"},
      {u"/c/r", u"", u"/c/r"},
      {u"/config", u"", u"/config"},
      {u"/x", u"", u"/x"},
      {u"/", u"", u"/"},
      {u"/ c", u"", u"/"},
      {u"\"C:\\My -c Files\\x.txt\"", u"", u"C:\\My -c Files\\x.txt"},
      {u"\"\"", u"", u""},
      // Backslashes count only before a quote.
      {u"a\\\\\"b c\" /r", u"r", u"a\\b c"},
      {u"a\\\"b /c", u"c", u"a\"b"},
      {u"\"a\"\"b\" /l", u"l", u"a\"b"},
      {u"\"/c", u"c", nullptr},  // a quote never closed ends with the text
      // /m takes a device and a COM name; a pair is an m each.
      {u"/m COM5 COM3 -M \"USB\\X 1\" com4", u"mm", nullptr},
      {u"/c /m COM5", u"c", u"/m"},
      {u"/m COM5 3", u"", u"3"},
  };
  for (const Case& c : cases) {
    BatchSwitches s = DetectSwitches(c.text);
    SCOPED_TRACE(std::string(c.text, c.text + std::u16string(c.text).size()));
    std::u16string found;
    if (s.clearSwitch) found += u'c';
    if (s.removeSwitch) found += u'r';
    if (s.listSwitch) found += u'l';
    if (s.dryRunSwitch) found += u'n';
    if (s.quietSwitch) found += u'q';
    if (s.usageSwitch) found += u'?';
    found += std::u16string(s.moveCount, u'm');
    EXPECT_EQ(std::u16string(c.switches), found);
    EXPECT_EQ(c.unknown != nullptr, s.hasUnknownWord != 0);
    EXPECT_EQ(std::u16string(c.unknown != nullptr ? c.unknown : u""), std::u16string(s.unknownWord));
    EXPECT_EQ(found != u"q" && (found != u"" || c.unknown != nullptr), IsBatchMode(s) != 0);
  }
}

// A word longer than its room is cut, ends within it, and is no switch.
TEST(DetectSwitches, ALongWordIsCutAndNamed) {
  std::u16string text = u"/c /" + std::u16string(5000, u'c');
  BatchSwitches s = DetectSwitches(text.c_str());
  EXPECT_TRUE(s.hasUnknownWord);
  EXPECT_EQ(kWordUnits - 1, std::u16string(s.unknownWord).size());
}
