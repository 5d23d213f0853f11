// The command line: where the program name ends and which switches the
// argument text holds, over any UTF-16 text.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "app/command_line.h"
#include "base/text.h"
#include "tests/fuzz/fuzz_support.h"

static bool IsSwitch(const char16_t* word, char16_t a, char16_t b) {
  return (word[0] == u'/' || word[0] == u'-') && (word[1] == a || word[1] == b) && word[2] == 0;
}

// "/name" or "-name", the name in any case.
static bool IsLong(const char16_t* word, const std::u16string& name) {
  if (word[0] != u'/' && word[0] != u'-') return false;
  std::u16string rest(word + 1);
  if (rest.size() != name.size()) return false;
  for (size_t i = 0; i < rest.size(); i++) {
    if (TextFoldAscii(rest[i]) != name[i]) return false;
  }
  return true;
}

static bool AnySwitch(const char16_t* word) {
  return ((word[0] == u'/' || word[0] == u'-') && word[1] != 0 && word[2] == 0) ||
         IsLong(word, u"apply") || IsLong(word, u"export") || IsLong(word, u"autoapply") ||
         IsLong(word, u"undo");
}

// Whether a word of the text is exactly "/x" or "-x", for x of either case;
// the two words behind "/m" are its device and number, the word behind
// "/apply" its file, and the word behind "/export" or "/autoapply" too
// unless it is a switch: never switches.
static bool Holds(const char16_t* text, char16_t a, char16_t b) {
  char16_t word[kWordUnits];
  int32_t cut;
  while (NextWord(&text, word, kWordUnits, &cut)) {
    if (IsSwitch(word, a, b)) return true;
    if (IsSwitch(word, u'm', u'M')) {
      for (int operand = 0; operand < 2 && NextWord(&text, word, kWordUnits, &cut); operand++) {
      }
    } else if (IsLong(word, u"apply")) {
      NextWord(&text, word, kWordUnits, &cut);
    } else if (IsLong(word, u"export") || IsLong(word, u"autoapply")) {
      const char16_t* at = text;
      if (NextWord(&at, word, kWordUnits, &cut) && (cut || !AnySwitch(word))) text = at;
    }
  }
  return false;
}

// Where the argument text begins, by the rule itself: a double quote opens
// a run that the next one closes; outside a run the first space or tab ends
// the program name and the spaces and tabs after it are skipped; a text
// that ends first has no arguments (npos).
static size_t ArgumentsAt(const std::u16string& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); i++) {
    if (line[i] == u'"') {
      quoted = !quoted;
    } else if ((line[i] == u' ' || line[i] == u'\t') && !quoted) {
      while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) i++;
      return i;
    }
  }
  return std::u16string::npos;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string line;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) break;  // the system's command line ends at its first zero
    line.push_back(unit);
  }
  const char16_t* arguments = SkipProgramNameIn(line.c_str());
  // Inside the command line, or the constant empty text.
  FUZZ_CHECK((arguments >= line.c_str() && arguments <= line.c_str() + line.size()) ||
             *arguments == 0);
  std::u16string text(arguments, TextLength(arguments));
  size_t at = ArgumentsAt(line);
  if (at == std::u16string::npos) {
    FUZZ_CHECK(text.empty());
  } else {
    FUZZ_CHECK(arguments == line.c_str() + at);
  }
  BatchSwitches switches = DetectSwitches(arguments);
  FUZZ_CHECK(switches.clearSwitch == Holds(arguments, u'c', u'C'));
  FUZZ_CHECK(switches.removeSwitch == Holds(arguments, u'r', u'R'));
  FUZZ_CHECK(TextLength(switches.unknownWord) < kWordUnits);
  return 0;
}
