#include <gtest/gtest.h>

#include <string>

#include "platform/os.h"

// The settings file is named through the ANSI profile functions: a path
// they would read as another (a letter swapped for a look-alike, or cut)
// must not be given to them at all.
TEST(ToAnsiExact, TakesOnlyTextThatComesBackTheSame) {
  struct Case {
    const char16_t* text;
    uint32_t chars;
    bool exact;
    const char* ansi;
  };
  const Case cases[] = {
      {u"C:\\Tools\\varnick.ini", 64, true, "C:\\Tools\\varnick.ini"},
      {u"abc", 4, true, "abc"},               // exactly fits with the terminator
      {u"abcd", 4, false, ""},                // one too long
      {u"", 1, true, ""},
      {u"C:\\\u0101\\varnick.ini", 64, false, ""},  // best fit would give 'a'
      {u"C:\\\u4E2D\\varnick.ini", 64, false, ""},  // a default '?' would stand in
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ansi) + " in " + std::to_string(c.chars));
    char buffer[64];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(c.exact, OsToAnsiExact(c.text, buffer, c.chars));
    EXPECT_STREQ(c.ansi, buffer);
  }
}
