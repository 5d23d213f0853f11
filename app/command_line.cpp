#include "app/command_line.h"

#include "app/text.h"
#include "platform/os.h"

const char16_t* SkipProgramName() {
  const char16_t* commandLine = OsCommandLine();
  return SkipProgramNameIn(commandLine != nullptr ? commandLine : u"");
}

// The switch's letter after "/" or "-", anywhere, in any case.
static int32_t HasSwitch(const char16_t* text, char16_t letter) {
  const char16_t slash[3] = {u'/', letter, 0};
  const char16_t hyphen[3] = {u'-', letter, 0};
  return TextFindNoCase(text, slash) != nullptr || TextFindNoCase(text, hyphen) != nullptr;
}

BatchSwitches DetectSwitches(const char16_t* text) {
  BatchSwitches s;
  s.clearSwitch = HasSwitch(text, u'c');
  s.removeSwitch = HasSwitch(text, u'r');
  s.listSwitch = HasSwitch(text, u'l');
  s.dryRunSwitch = HasSwitch(text, u'n');
  s.quietSwitch = HasSwitch(text, u'q');
  return s;
}

int32_t StartupShowCommand() {
  uint32_t flags = 0;
  uint16_t showWindow = 0;
  OsStartupInfo(&flags, &showWindow);
  const uint32_t kUseShowWindow = 0x1;  // STARTF_USESHOWWINDOW
  return (flags & kUseShowWindow) != 0 ? showWindow : 10;
}
