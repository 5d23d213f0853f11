#include "app/command_line.h"

#include "base/text.h"
#include "core/port_move.h"
#include "platform/os.h"

const char16_t* SkipProgramName() {
  const char16_t* commandLine = OsCommandLine();
  return SkipProgramNameIn(commandLine != nullptr ? commandLine : u"");
}

static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int32_t NextWord(const char16_t** text, char16_t* word, uint32_t units, int32_t* cut) {
  const char16_t* p = *text;
  while (IsBlank(*p)) p++;
  word[0] = 0;
  *cut = 0;
  if (*p == 0) {
    *text = p;
    return 0;
  }
  uint32_t length = 0;
  auto put = [&](char16_t c, uint32_t count) {
    for (; count > 0; count--) {
      if (length + 1 < units) {
        word[length++] = c;
      } else {
        *cut = 1;
      }
    }
  };
  bool quoted = false;
  while (*p != 0 && (quoted || !IsBlank(*p))) {
    if (*p == u'\\') {
      uint32_t slashes = 0;
      while (*p == u'\\') p++, slashes++;
      if (*p != u'"') {
        put(u'\\', slashes);
        continue;
      }
      put(u'\\', slashes / 2);
      if (slashes % 2 == 1) {
        put(u'"', 1);
        p++;
        continue;
      }
    }
    if (*p == u'"') {
      if (quoted && p[1] == u'"') {
        put(u'"', 1);
        p += 2;
      } else {
        quoted = !quoted;
        p++;
      }
      continue;
    }
    put(*p++, 1);
  }
  word[length] = 0;
  *text = p;
  return 1;
}

// The letter of a word that is "/x" or "-x", folded to lower case; 0 for
// any other word.
static char16_t SwitchLetter(const char16_t* word) {
  if ((word[0] != u'/' && word[0] != u'-') || word[1] == 0 || word[2] != 0) return 0;
  return TextFoldAscii(word[1]);
}

enum LongSwitch { kNoLongSwitch, kApplySwitch, kExportSwitch, kAutoApplySwitch, kUndoSwitch };

// "/apply" or "-apply" and the like, in any case.
static LongSwitch LongSwitchOf(const char16_t* word) {
  if (word[0] != u'/' && word[0] != u'-') return kNoLongSwitch;
  static const struct {
    const char16_t* name;
    LongSwitch which;
  } kNames[] = {{u"apply", kApplySwitch}, {u"export", kExportSwitch},
                {u"autoapply", kAutoApplySwitch}, {u"undo", kUndoSwitch}};
  for (const auto& n : kNames) {
    uint32_t i = 0;
    while (n.name[i] != 0 && TextFoldAscii(word[1 + i]) == n.name[i]) i++;
    if (n.name[i] == 0 && word[1 + i] == 0) return n.which;
  }
  return kNoLongSwitch;
}

static void NameUnknownWord(BatchSwitches* s, const char16_t* word) {
  if (s->hasUnknownWord) return;
  s->hasUnknownWord = 1;
  TextCopy(s->unknownWord, Units(s->unknownWord), word);
}

// The two words behind "/m": the device, and its number, which must be a
// "COMn" name. 0 when they are not there.
static int32_t MoveWords(const char16_t** text, char16_t* device, char16_t* target,
                         BatchSwitches* s) {
  int32_t cut;
  if (!NextWord(text, device, kWordUnits, &cut) || !NextWord(text, target, kWordUnits, &cut)) {
    if (s != nullptr) NameUnknownWord(s, u"/m");
    return 0;
  }
  if (PortNumberOfName(target) == 0) {
    if (s != nullptr) NameUnknownWord(s, target);
    return 0;
  }
  return 1;
}


// The file word behind "/apply" (required), "/export" or "/autoapply" (the
// next word, unless it is a switch). 0 when there is none; *cut for one
// too long.
static int32_t FileWord(const char16_t** text, char16_t* file, bool required, int32_t* cut) {
  const char16_t* at = *text;
  if (!NextWord(&at, file, kWordUnits, cut)) return 0;
  if (!required && !*cut && (SwitchLetter(file) != 0 || LongSwitchOf(file) != kNoLongSwitch)) {
    file[0] = 0;
    return 0;
  }
  *text = at;
  return 1;
}

// A long switch and its file; a second of a kind, a missing or cut file is
// named.
static void TakeLongSwitch(LongSwitch which, const char16_t** text, const char16_t* word,
                           BatchSwitches* s) {
  bool apply = which == kApplySwitch;
  int32_t* seen = apply ? &s->applySwitch
                  : which == kExportSwitch ? &s->exportSwitch : &s->autoApplySwitch;
  char16_t* target = apply ? s->planPath
                     : which == kExportSwitch ? s->exportPath : s->autoApplyPath;
  char16_t path[kWordUnits];
  int32_t cut = 0;
  int32_t found = FileWord(text, path, apply, &cut);
  if (*seen || (apply && !found) || cut) {
    NameUnknownWord(s, cut ? path : word);
    return;
  }
  *seen = 1;
  if (which == kAutoApplySwitch && TextCompareAsciiNoCase(path, u"off") == 0) {
    s->autoApplyOff = 1;
    path[0] = 0;
  }
  TextCopy(target, kWordUnits, path);
}

int32_t NextMove(const char16_t** text, char16_t* device, char16_t* target) {
  int32_t cut;
  while (NextWord(text, device, kWordUnits, &cut)) {
    if (cut) continue;
    LongSwitch which = LongSwitchOf(device);
    if (which != kNoLongSwitch && which != kUndoSwitch) {
      FileWord(text, target, which == kApplySwitch, &cut);  // a file, never a switch of its own
    } else if (SwitchLetter(device) == u'm') {
      return MoveWords(text, device, target, nullptr);
    }
  }
  return 0;
}

BatchSwitches DetectSwitches(const char16_t* text) {
  BatchSwitches s = {};
  s.moveText = text;
  char16_t word[kWordUnits], target[kWordUnits];
  int32_t cut;
  while (NextWord(&text, word, Units(word), &cut)) {
    LongSwitch which = cut ? kNoLongSwitch : LongSwitchOf(word);
    if (which == kUndoSwitch) {
      if (s.undoSwitch) NameUnknownWord(&s, word);
      s.undoSwitch = 1;
      continue;
    }
    if (which != kNoLongSwitch) {
      TakeLongSwitch(which, &text, word, &s);
      continue;
    }
    switch (cut ? 0 : SwitchLetter(word)) {
      case u'm':
        s.moveCount += MoveWords(&text, word, target, &s);
        break;
      case u'c': s.clearSwitch = 1; break;
      case u'r': s.removeSwitch = 1; break;
      case u'l': s.listSwitch = 1; break;
      case u'n': s.dryRunSwitch = 1; break;
      case u'q': s.quietSwitch = 1; break;
      case u'?':
      case u'h': s.usageSwitch = 1; break;
      default:
        NameUnknownWord(&s, word);
    }
  }
  return s;
}

int32_t StartupShowCommand() {
  uint32_t flags = 0;
  uint16_t showWindow = 0;
  OsStartupInfo(&flags, &showWindow);
  const uint32_t kUseShowWindow = 0x1;  // STARTF_USESHOWWINDOW
  return (flags & kUseShowWindow) != 0 ? showWindow : 10;
}
