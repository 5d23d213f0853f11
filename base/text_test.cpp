#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

TEST(Text, WritesStayTerminatedWithinTheBuffer) {
  char16_t buffer[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
  EXPECT_EQ(5u, TextCopy(buffer, 6, u"COM4096"));
  EXPECT_EQ(std::u16string(u"COM40"), buffer);
  EXPECT_EQ(0u, TextAppend(buffer, 6, u"more"));
  EXPECT_EQ(std::u16string(u"COM40"), buffer);
  TextCopy(buffer, 6, u"-");
  TextAppendUnsigned(buffer, 6, 4294967295u);
  EXPECT_EQ(std::u16string(u"-4294"), buffer);
}

TEST(Text, SignedDecimalCoversTheWholeRange) {
  char16_t buffer[16] = {};
  TextAppendSigned(buffer, 16, INT32_MIN);
  EXPECT_EQ(std::u16string(u"-2147483648"), buffer);
  buffer[0] = 0;
  TextAppendSigned(buffer, 16, 0);
  EXPECT_EQ(std::u16string(u"0"), buffer);
}

TEST(Text, FoldsAsciiLettersOnlyAndKeepsALineOneLine) {
  EXPECT_EQ(u'c', TextFoldAscii(u'C'));
  EXPECT_EQ(u'c', TextFoldAscii(u'c'));
  EXPECT_EQ(u'\u0421', TextFoldAscii(u'\u0421'));  // Cyrillic capital Es
  char16_t line[8] = u"a:";
  TextAppendOneLine(line, 8, u"b\r\n\tcd");
  EXPECT_EQ(std::u16string(u"a:b???c"), std::u16string(line));
}

TEST(Text, EqualIsUnitForUnitAndWhole) {
  EXPECT_TRUE(TextEqual(u"", u""));
  EXPECT_TRUE(TextEqual(u"20261210T165029Z-4242-1", u"20261210T165029Z-4242-1"));
  EXPECT_FALSE(TextEqual(u"Varnick", u"varnick"));  // no folding
  EXPECT_FALSE(TextEqual(u"done", u"done "));       // a prefix is another text
  EXPECT_FALSE(TextEqual(u"done ", u"done"));
}
