#include "core/number_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"

using namespace std::string_literals;

namespace {

std::string Utf16Le(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// What a read comes to: each rule as "port key identity @line", or the
// error's description.
std::u16string Outcome(const std::string& bytes) {
  NumberPlan plan;
  PlanError error;
  int32_t read = ReadNumberPlan(reinterpret_cast<const uint8_t*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size()), &plan, &error);
  std::u16string outcome;
  if (read == 0) {
    EXPECT_EQ(nullptr, plan.rules);
    EXPECT_EQ(0, plan.ruleCount);
    char16_t text[200];
    DescribePlanError(error, text, Units(text));
    return text;
  }
  EXPECT_EQ(kPlanOk, error.fault);
  for (int32_t i = 0; i < plan.ruleCount; i++) {
    const PlanRule& rule = plan.rules[i];
    const char16_t* keys[] = {u"L", u"I", u"H"};
    outcome += Ascii(std::to_string(rule.port)) + u" " + keys[rule.key] + u" " + rule.identity +
               u" @" + Ascii(std::to_string(rule.line)) + u"\n";
  }
  ReleaseNumberPlan(&plan);
  return outcome;
}

}  // namespace

TEST(NumberPlan, ReadsRulesAndRefusesAPlanWithAnyFaultyLine) {
  const std::string x400(400, 'x');
  const std::string comments(kPlanMostBytes - 16, '#');
  const struct {
    std::string bytes;
    std::u16string outcome;
  } cases[] = {
      // "#" starts a comment only as a line's first non-blank character.
      {"# bench 4\n\nCOM3 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)#USB(2)\n"
       "   # indented comment\n\t \nCOM4 instance USB\\VID_0403&PID_6001\\A12345\n",
       u"3 L PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)#USB(2) @3\n"
       u"4 I USB\\VID_0403&PID_6001\\A12345 @6\n"},
      {"COM3 location a # the left socket\n", u"line 1: not a rule (COMn location|instance|hardware IDENTITY)"},
      {"COM3 #location a\n", u"line 1: not a rule: #location is no key (location, instance or hardware)"},
      // Every line end counts once: CR LF, LF, a lone CR.
      {"COM1 hardware A\r\nCOM2 hardware B\rCOM3 hardware C\nCOM4 hardware D",
       u"1 H A @1\n2 H B @2\n3 H C @3\n4 H D @4\n"},
      {"\r\n\r\r\n\n\rCOM5 hardware E\r\n", u"5 H E @6\n"},
      {"\r\n\r\nCOM5 hardware E\r\nCOM6 nothing F", u"line 4: not a rule: nothing is no key (location, instance or hardware)"},
      // Any case, blanks and tabs around and between the words.
      {"com7 LOCATION x\ncOm8 Instance y\n\t COM9\t\thardware \t z  \t\r\n",
       u"7 L x @1\n8 I y @2\n9 H z @3\n"},
      {"COM4096 location a\nCOM0001 location b", u"4096 L a @1\n1 L b @2\n"},
      // The encodings, and an identity beyond ASCII kept as written.
      {"\xEF\xBB\xBF# UTF-8 with its mark\nCOM1 location a", u"1 L a @2\n"},
      {"COM5 location \xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80", u"5 L \u00C4\u20AC\U0001F600 @1\n"},
      {Utf16Le(u"# Z\u00E4hlerschrank 2 \u2014 \u6771 \U0001F600\r\nCOM2 instance ROOT\\PORTS\\0000\r\n"),
       u"2 I ROOT\\PORTS\\0000 @2\n"},
      {"", u""},
      {"# nothing yet\n\n", u""},
      {"COM6 location " + x400, u"6 L " + Ascii(x400) + u" @1\n"},
      {"COM6 location " + x400 + "x", u"line 1: not a rule: the identity is longer than 400 characters"},
      {comments + "\nCOM1 hardware a", u"1 H a @2\n"},
      {comments + "\nCOM1 hardware ab", u"not a plan: the file is larger than 1 MiB"},
      // Lines that are no rule.
      {"COM1 location a\nCOM3 location\n", u"line 2: not a rule (COMn location|instance|hardware IDENTITY)"},
      {"COM3 location a b", u"line 1: not a rule (COMn location|instance|hardware IDENTITY)"},
      {"COM3", u"line 1: not a rule (COMn location|instance|hardware IDENTITY)"},
      {"location COM3 a", u"line 1: not a rule: location is no COM name"},
      {"COMX location a", u"line 1: not a rule: COMX is no COM name"},
      {"COM0 location a", u"line 1: not a rule: COM0 is no COM name"},
      {"COM-3 location a", u"line 1: not a rule: COM-3 is no COM name"},
      {"COM3 locaton a", u"line 1: not a rule: locaton is no key (location, instance or hardware)"},
      {"COM3 location a\x01" "b", u"line 1: not a rule: it holds a control character or a blank other than space and tab"},
      {"COM3 location a\x7F", u"line 1: not a rule: it holds a control character or a blank other than space and tab"},
      {"COM3\xC2\xA0location a", u"line 1: not a rule: it holds a control character or a blank other than space and tab"},
      // Numbers beyond the last, and one number twice, however written.
      {"COM1 location a\nCOM5000 location b", u"line 2: COM5000 is beyond COM4096"},
      {"com4097 location b", u"line 1: com4097 is beyond COM4096"},
      {"COM123456789012 location b", u"line 1: COM123456789012 is beyond COM4096"},
      {"COM3 location a\n# a comment\ncom03 hardware b\nCOM3 instance c", u"lines 1 and 3: two rules for COM3"},
      // Bytes that are no UTF-8: overlong, surrogate, beyond U+10FFFF, a
      // bad continuation, a lone continuation, a sequence cut short.
      {"COM1 location a\n\xC0\xAF", u"line 2: not UTF-8 text"},
      {"COM1 location a\n# \xE0\x80\xAF", u"line 2: not UTF-8 text"},
      {"COM1 location a\r\n\xF0\x80\x80\xAF", u"line 2: not UTF-8 text"},
      {"COM1 location \xED\xA0\x80", u"line 1: not UTF-8 text"},
      {"COM1 location \xF4\x90\x80\x80", u"line 1: not UTF-8 text"},
      {"COM1 location \xC3(", u"line 1: not UTF-8 text"},
      {"COM1 location \x80", u"line 1: not UTF-8 text"},
      {"COM1 location \xFF", u"line 1: not UTF-8 text"},
      {"COM1 location a\n\n\xE2\x82", u"line 3: not UTF-8 text"},
      {"\xFE\xFF\0C"s, u"line 1: not UTF-8 text"},
      // A NUL anywhere: UTF-16 without its mark, or no text at all.
      {"COM1 location a\n#\0"s, u"line 2: not a text file (it holds a NUL character)"},
      {"C\0O\0M\0"s, u"line 1: not a text file (it holds a NUL character)"},
      {Utf16Le(u"COM1 location a\r\n") + "C", u"line 2: not UTF-16 text"},
      {Utf16Le(u"# \xD800\r\nCOM1 location a"), u"line 1: not UTF-16 text"},
      {Utf16Le(u"\n\n# \xDC00"), u"line 3: not UTF-16 text"},
      {Utf16Le(u"COM1 location a\n# \0"s), u"line 2: not a text file (it holds a NUL character)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 80));
    EXPECT_EQ(c.outcome, Outcome(c.bytes));
  }
}

// A rule written as a plan's line, in UTF-8, reads back as it was; one
// that would not is not written.
TEST(NumberPlan, RulesWrittenReadBackAsTheyWere) {
  const std::u16string longest(400, u'y');
  const struct {
    int32_t port;
    PlanKey key;
    std::u16string identity;
  } rules[] = {
      {1, kPlanLocation, u"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)#USB(2)"},
      {4096, kPlanInstance, u"USB\\VID_0403&PID_6001\\A12345"},
      {17, kPlanHardware, u"\u00C4\u20AC\U0001F600#"},
      {300, kPlanHardware, longest},
  };
  std::u16string text = u"# exported\r\n";
  for (const auto& r : rules) {
    char16_t line[kPlanLineUnits];
    ASSERT_EQ(1, PlanRuleLine(r.port, r.key, r.identity.c_str(), line, Units(line)));
    text += line + std::u16string(u"\r\n");
  }
  std::vector<uint8_t> bytes(Utf8OfText(text.c_str(), nullptr, 0));
  ASSERT_EQ(bytes.size(), Utf8OfText(text.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())));
  NumberPlan plan;
  PlanError error;
  ASSERT_EQ(1, ReadNumberPlan(bytes.data(), static_cast<uint32_t>(bytes.size()), &plan, &error));
  ASSERT_EQ(4, plan.ruleCount);
  for (int32_t i = 0; i < plan.ruleCount; i++) {
    EXPECT_EQ(rules[i].port, plan.rules[i].port);
    EXPECT_EQ(rules[i].key, plan.rules[i].key);
    EXPECT_EQ(rules[i].identity, plan.rules[i].identity);
    EXPECT_EQ(i + 2, plan.rules[i].line);
  }
  ReleaseNumberPlan(&plan);

  const struct {
    int32_t port;
    std::u16string identity;
  } unwritable[] = {{0, u"a"}, {4097, u"a"}, {3, u""}, {3, u"a b"}, {3, u"a\tb"}, {3, u"a\nb"},
                    {3, u"a\u00A0b"}, {3, u"\xD800"}, {3, u"a\xDC00"}, {3, longest + u"y"}};
  for (const auto& u : unwritable) {
    char16_t line[kPlanLineUnits] = u"x";
    EXPECT_EQ(0, PlanRuleLine(u.port, kPlanLocation, u.identity.c_str(), line, Units(line)));
    EXPECT_EQ(u"", std::u16string(line));
  }
  // Too small a line and too small a buffer: nothing half written.
  char16_t line[20];
  EXPECT_EQ(0, PlanRuleLine(3, kPlanLocation, longest.c_str(), line, Units(line)));
  EXPECT_EQ(u"", std::u16string(line));
  uint8_t out[5];
  EXPECT_EQ(4u, Utf8OfText(u"a\u20AC\u20AC", out, Units(out)));
  EXPECT_EQ(3u, Utf8OfText(u"\xDC00", nullptr, 0));  // half a pair: U+FFFD
}
