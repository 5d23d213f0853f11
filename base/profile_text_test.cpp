#include "base/profile_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const ProfileValue kValues[] = {{"SortCol", "2"}, {"DPI", "96"}};

struct MergeCase {
  const char* name;
  std::string before;
  std::string after;  // "" when the text is left alone
};

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }
#define BYTES(literal) Bytes(literal, sizeof literal - 1)

TEST(ProfileText, ASectionsKeysAreSetAndEveryOtherByteKept) {
  const std::string longLine(100000, 'x');
  const std::vector<MergeCase> cases = {
      {"empty file", "", "[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"other sections, comments, CRLF and LF lines, a key in other case and spacing",
       "; by hand\n[Other]\r\nSortCol=9\r\n[settings]\nsortcol = 5 \n; note\n\n[Last]\r\nx=1\r\n",
       "; by hand\n[Other]\r\nSortCol=9\r\n[settings]\nsortcol =2\n; note\nDPI=96\r\n\n[Last]\r\nx=1\r\n"},
      {"missing section, no final line end", "[Other]\r\nx=1",
       "[Other]\r\nx=1\r\n[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"last key of the file without a line end", "[Settings]\r\nSortCol=1",
       "[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"header alone without a line end", "[Settings]", "[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"only the first section and the first line of a key count",
       "[Settings]\r\nSortCol=1\r\nSortCol=7\r\n[SETTINGS]\r\nDPI=1\r\n",
       "[Settings]\r\nSortCol=2\r\nSortCol=7\r\nDPI=96\r\n[SETTINGS]\r\nDPI=1\r\n"},
      {"keys without '=' and in comments", "[Settings]\r\n;SortCol=1\r\n  SortCol  \r\nDPI\r\n",
       "[Settings]\r\n;SortCol=1\r\n  SortCol=2\r\nDPI=96\r\n"},
      {"a value holding '='", "[Settings]\r\nDPI==5\r\nSortCol=\r\n", "[Settings]\r\nDPI=96\r\nSortCol=2\r\n"},
      {"byte-order mark, blanks and a comment around the header, CR lines",
       "\xEF\xBB\xBF[ SETTINGS ] ; c\rSortCol=1\rDPI=2\r",
       "\xEF\xBB\xBF[ SETTINGS ] ; c\rSortCol=2\rDPI=96\r"},
      {"lines that are no header", "[Settings\r\nSortCol=1\r\n[Settings]x]\r\nDPI=1\r\n",
       "[Settings\r\nSortCol=1\r\n[Settings]x]\r\nDPI=1\r\n[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"keys go behind the section's last line that is not blank",
       "[Settings]\r\n\r\n \t\r\n[Next]\r\n", "[Settings]\r\nSortCol=2\r\nDPI=96\r\n\r\n \t\r\n[Next]\r\n"},
      {"binary bytes", BYTES("[Settings]\r\nSort\0Col=1\r\n\xFF\0\x1A=\r\n"),
       BYTES("[Settings]\r\nSort\0Col=1\r\n\xFF\0\x1A=\r\nSortCol=2\r\nDPI=96\r\n")},
      {"a long line", longLine, longLine + "\r\n[Settings]\r\nSortCol=2\r\nDPI=96\r\n"},
      {"UTF-16 little-endian", BYTES("\xFF\xFE[\0S\0]\0"), ""},
      {"UTF-16 big-endian", BYTES("\xFE\xFF\0[\0S\0]"), ""},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.name);
    uint64_t length = 99;
    const int32_t merged = MergeProfileSection(c.before.data(), c.before.size(), "Settings", kValues,
                                               2, nullptr, 0, &length);
    if (c.after.empty()) {
      EXPECT_EQ(0, merged);
      EXPECT_EQ(0u, length);
      continue;
    }
    ASSERT_EQ(1, merged);
    ASSERT_EQ(c.after.size(), length);
    // Any smaller buffer gets what fits and not a byte more.
    for (uint64_t capacity : {length, length / 2, uint64_t{0}}) {
      std::string out(length + 1, '#');
      MergeProfileSection(c.before.data(), c.before.size(), "Settings", kValues, 2, &out[0], capacity,
                          &length);
      EXPECT_EQ(c.after.substr(0, capacity), out.substr(0, capacity));
      EXPECT_EQ(std::string(length + 1 - capacity, '#'), out.substr(capacity));
    }
    // A second save changes nothing more.
    std::string again(length, '\0');
    MergeProfileSection(c.after.data(), c.after.size(), "Settings", kValues, 2, &again[0], length,
                        &length);
    EXPECT_EQ(c.after, again);
  }
}

}  // namespace
