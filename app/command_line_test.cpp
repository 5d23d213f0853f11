#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>

static std::u16string Args(const char16_t* commandLine) {
  return SkipProgramNameIn(commandLine);
}

// The program name ends at the first space or tab outside quotes, as the
// system's own parser ends it; the blanks after it are skipped.
TEST(SkipProgramName, EndsAtTheFirstBlankOutsideQuotes) {
  const struct {
    const char16_t* commandLine;
    const char16_t* arguments;
  } cases[] = {
      {u"varnick.exe", u""},
      {u"varnick.exe    ", u""},
      {u"varnick.exe -c", u"-c"},
      {u"\"C:\\Program Files\\varnick.exe\"   /r", u"/r"},
      {u"\"C:\\Program Files\\varnick.exe\"", u""},
      // Quotes may stand anywhere in the name, not only at its start.
      {u"C:\\\"Program Files\"\\varnick.exe /c x", u"/c x"},
      // A tab ends the name as a space does, behind a quoted name or a
      // plain one; a tab inside quotes is part of the name.
      {u"varnick.com\t/c", u"/c"},
      {u"\"C:\\Tools\\varnick.com\"\t/c", u"/c"},
      {u"varnick.com \t \t/c\t/r", u"/c\t/r"},
      {u"varnick.com\t", u""},
      {u"\"C:\\My\tTools\\varnick.com\" /c", u"/c"},
      // A leading blank: the program name itself becomes the argument text.
      {u" varnick.exe /c", u"varnick.exe /c"},
      {u"\tvarnick.exe /c", u"varnick.exe /c"},
      // A quote that is never closed swallows the rest.
      {u"\"C:\\Tools\\varnick.exe /c", u""},
      {u"   ", u""},
      {u"", u""},
      {u"\"\" /r", u"/r"},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
    EXPECT_EQ(std::u16string(cases[i].arguments), Args(cases[i].commandLine)) << "case " << i;
  }
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

// "/apply" takes the next word as its file, whatever it is; "/export" the
// next word that is no switch, and writes to standard output without one.
TEST(DetectSwitches, ALongSwitchTakesItsFile) {
  const struct {
    const char16_t* text;
    const char16_t* plan;       // null: no /apply
    const char16_t* exported;   // null: no /export
    const char16_t* unknown;    // null: none
    int32_t moves;
  } cases[] = {
      {u"/apply plan.txt", u"plan.txt", nullptr, nullptr, 0},
      {u"-APPLY \"C:\\My Plans\\p.txt\" /n", u"C:\\My Plans\\p.txt", nullptr, nullptr, 0},
      {u"/apply /c", u"/c", nullptr, nullptr, 0},  // a file named so
      {u"/apply /m /m COM5 COM3", u"/m", nullptr, nullptr, 1},
      {u"/export", nullptr, u"", nullptr, 0},
      {u"/export out.txt /c", nullptr, u"out.txt", nullptr, 0},
      {u"/Export /c", nullptr, u"", nullptr, 0},
      {u"/export -apply p", u"p", u"", nullptr, 0},
      {u"/apply", nullptr, nullptr, u"/apply", 0},
      {u"/apply a /apply b", u"a", nullptr, u"/apply", 0},
      {u"/export a /export", nullptr, u"a", u"/export", 0},
      {u"/applyx", nullptr, nullptr, u"/applyx", 0},
      {u"/app", nullptr, nullptr, u"/app", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::u16string(c.text).size()));
    BatchSwitches s = DetectSwitches(c.text);
    EXPECT_EQ(c.plan != nullptr, s.applySwitch != 0);
    EXPECT_EQ(std::u16string(c.plan != nullptr ? c.plan : u""), std::u16string(s.planPath));
    EXPECT_EQ(c.exported != nullptr, s.exportSwitch != 0);
    EXPECT_EQ(std::u16string(c.exported != nullptr ? c.exported : u""), std::u16string(s.exportPath));
    EXPECT_EQ(std::u16string(c.unknown != nullptr ? c.unknown : u""), std::u16string(s.unknownWord));
    EXPECT_EQ(c.moves, s.moveCount);
    const char16_t* text = s.moveText;
    char16_t device[kWordUnits], target[kWordUnits];
    int32_t pairs = 0;
    while (NextMove(&text, device, target)) pairs++;
    EXPECT_EQ(c.moves, pairs);
  }
}

// "/undo" takes no word; a second one is named, and behind "/m" it is a
// device's name like any other word.
TEST(DetectSwitches, UndoIsASwitchOfItsOwn) {
  const struct {
    const char16_t* text;
    bool undo;
    const char16_t* unknown;
    int32_t moves;
    bool exported;
  } cases[] = {
      {u"/undo", true, u"", 0, false},
      {u"-UNDO /n", true, u"", 0, false},
      {u"/undo /undo", true, u"/undo", 0, false},
      {u"/undone", false, u"/undone", 0, false},
      {u"/m /undo COM3", false, u"", 1, false},
      {u"/export /undo", true, u"", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::u16string(c.text).size()));
    BatchSwitches s = DetectSwitches(c.text);
    EXPECT_EQ(c.undo, s.undoSwitch != 0);
    EXPECT_EQ(std::u16string(c.unknown), std::u16string(s.unknownWord));
    EXPECT_EQ(c.moves, s.moveCount);
    EXPECT_EQ(c.exported, s.exportSwitch != 0);
    EXPECT_EQ(std::u16string(u""), std::u16string(s.exportPath));
    EXPECT_EQ(1, IsBatchMode(s));
  }
}

// "/autoapply" takes the next word that is no switch as its file; "off",
// in any case, removes instead, and no word tells what is kept.
TEST(DetectSwitches, AutoApplyTakesAFileOrOff) {
  const struct {
    const char16_t* text;
    bool present;
    const char16_t* path;
    bool off;
    const char16_t* unknown;  // null: none
    const char16_t* letters;  // the one-letter switches found
  } cases[] = {
      {u"/autoapply plan.txt", true, u"plan.txt", false, nullptr, u""},
      {u"-AutoApply \"C:\\My Plans\\p.txt\" /n", true, u"C:\\My Plans\\p.txt", false, nullptr, u"n"},
      {u"/autoapply off", true, u"", true, nullptr, u""},
      {u"/autoapply OFF /q", true, u"", true, nullptr, u"q"},
      {u"/autoapply .\\off", true, u".\\off", false, nullptr, u""},
      {u"/autoapply offline.txt", true, u"offline.txt", false, nullptr, u""},
      {u"/autoapply", true, u"", false, nullptr, u""},
      {u"/autoapply /r p", true, u"", false, u"p", u"r"},
      {u"/autoapply a /autoapply b", true, u"a", false, u"/autoapply", u""},
      {u"/autoapplyx", false, u"", false, u"/autoapplyx", u""},
      {u"/autoapply /undo", true, u"", false, nullptr, u""},  // a switch, no file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::u16string(c.text).size()));
    BatchSwitches s = DetectSwitches(c.text);
    EXPECT_EQ(c.present, s.autoApplySwitch != 0);
    EXPECT_EQ(std::u16string(c.path), std::u16string(s.autoApplyPath));
    EXPECT_EQ(c.off, s.autoApplyOff != 0);
    EXPECT_EQ(std::u16string(c.unknown != nullptr ? c.unknown : u""), std::u16string(s.unknownWord));
    std::u16string letters;
    if (s.removeSwitch) letters += u'r';
    if (s.dryRunSwitch) letters += u'n';
    if (s.quietSwitch) letters += u'q';
    EXPECT_EQ(std::u16string(c.letters), letters);
    EXPECT_EQ(1, IsBatchMode(s));
  }
}
