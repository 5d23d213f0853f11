// The command line: where the program name ends and which switches the
// argument text holds, over any UTF-16 text.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "app/command_line.h"
#include "app/text.h"
#include "tests/fuzz/fuzz_support.h"

static bool Holds(const std::u16string& text, char16_t a, char16_t b) {
  for (size_t i = 0; i + 1 < text.size(); i++) {
    if ((text[i] == u'/' || text[i] == u'-') && (text[i + 1] == a || text[i + 1] == b)) return true;
  }
  return false;
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
  FUZZ_CHECK(text.empty() || text[0] != u' ');
  BatchSwitches switches = DetectSwitches(arguments);
  FUZZ_CHECK(switches.clearSwitch == Holds(text, u'c', u'C'));
  FUZZ_CHECK(switches.removeSwitch == Holds(text, u'r', u'R'));
  return 0;
}
