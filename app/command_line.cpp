#include "app/command_line.h"

#include "app/text.h"
#include "platform/os.h"

static const char16_t kEmptyText[] = u"";

const char16_t* SkipProgramNameIn(const char16_t* p) {
  // Quoted runs may stand anywhere in the program name; only a space outside
  // them ends it (a tab does not).
  while (*p != 0) {
    if (*p == u'"') {
      p++;
      while (*p != 0 && *p != u'"') p++;
      if (*p == 0) break;  // never closed: no arguments
      p++;
      continue;
    }
    if (*p == u' ') {
      while (*p == u' ') p++;
      return p;
    }
    p++;
  }
  return kEmptyText;
}

const char16_t* SkipProgramName() {
  const char16_t* commandLine = OsCommandLine();
  return commandLine != nullptr ? SkipProgramNameIn(commandLine) : kEmptyText;
}

BatchSwitches DetectSwitches(const char16_t* text) {
  BatchSwitches s;
  s.clearSwitch = TextFindNoCase(text, u"/c") != nullptr || TextFindNoCase(text, u"-c") != nullptr;
  s.removeSwitch = TextFindNoCase(text, u"/r") != nullptr || TextFindNoCase(text, u"-r") != nullptr;
  return s;
}

int32_t StartupShowCommand() {
  uint32_t flags = 0;
  uint16_t showWindow = 0;
  OsStartupInfo(&flags, &showWindow);
  const uint32_t kUseShowWindow = 0x1;  // STARTF_USESHOWWINDOW
  return (flags & kUseShowWindow) != 0 ? showWindow : 10;
}
