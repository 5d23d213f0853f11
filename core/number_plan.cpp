#include "core/number_plan.h"

#include "base/com_name.h"
#include "base/memory.h"
#include "base/text.h"

namespace {

const uint32_t kMostIdentity = kPlanIdentityUnits - 1;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Characters no rule holds: controls, and blanks other than space and tab,
// which look like a separator but are none, so that a rule copied from a
// web page with a no-break space would name a device nobody has.
bool IsOdd(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

struct Word {
  const char16_t* text;
  uint32_t length;
};

// Copies a word that need not be terminated; a cut never splits a pair.
void CopyWord(char16_t* buffer, uint32_t units, Word word) {
  uint32_t n = word.length < units - 1 ? word.length : units - 1;
  if (n < word.length && n > 0 && IsHighSurrogate(word.text[n - 1])) n--;
  MemCopy(buffer, word.text, n * sizeof(char16_t));
  buffer[n] = 0;
}

void SetFault(PlanError* error, PlanFault fault, int32_t line, Word word) {
  error->fault = fault;
  error->line = line;
  CopyWord(error->word, Units(error->word), word);
}

// Notes a line's fault and gives the rules' reader its answer for it.
int32_t Fail(PlanError* error, PlanFault fault, int32_t line, Word word) {
  SetFault(error, fault, line, word);
  return -1;
}

Word WordOf(const char16_t* text) { return Word{text, TextLength(text)}; }
const Word kNoWord = {u"", 0};

// The line a decoded unit stands on, counted as the units go by: CR, LF
// and CR LF each end one, as the rules' reader splits them.
struct LineCounter {
  int32_t line;
  char16_t last;

  void Pass(char16_t unit) {
    if (unit == u'\r' || (unit == u'\n' && last != u'\r')) line++;
    last = unit;
  }
};

struct Decoded {
  char16_t* units;
  uint32_t count;
  LineCounter lines;

  void Put(char16_t unit) {
    units[count++] = unit;
    lines.Pass(unit);
  }
};

bool NotUtf8(const Decoded* out, PlanError* error) {
  SetFault(error, kPlanBadEncoding, out->lines.line, WordOf(u"UTF-8"));
  return false;
}

// Strict UTF-8: no overlong form, no surrogate, nothing beyond U+10FFFF,
// no sequence cut short. Each byte gives at most one unit.
bool DecodeUtf8(const uint8_t* bytes, uint32_t size, Decoded* out, PlanError* error) {
  uint32_t at = 0;
  while (at < size) {
    uint8_t lead = bytes[at];
    uint32_t length;
    uint32_t code;
    if (lead < 0x80) {
      length = 1;
      code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07u;
    } else {
      return NotUtf8(out, error);
    }
    if (length > size - at) return NotUtf8(out, error);
    // The second byte's range shuts out the overlong forms (E0, F0), the
    // surrogates (ED) and what lies beyond U+10FFFF (F4).
    uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (uint32_t k = 1; k < length; k++) {
      uint8_t next = bytes[at + k];
      if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
        return NotUtf8(out, error);
      }
      code = code << 6 | (next & 0x3Fu);
    }
    if (code == 0) {
      SetFault(error, kPlanNotText, out->lines.line, kNoWord);
      return false;
    }
    if (code >= 0x10000) {
      out->Put(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      out->Put(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      out->Put(static_cast<char16_t>(code));
    }
    at += length;
  }
  return true;
}

// UTF-16LE behind its mark: whole units, and surrogates in pairs.
bool DecodeUtf16(const uint8_t* bytes, uint32_t size, Decoded* out, PlanError* error) {
  uint32_t at = 0;
  for (; size - at >= 2; at += 2) {
    char16_t unit = static_cast<char16_t>(bytes[at] | bytes[at + 1] << 8);
    if (unit == 0) {
      SetFault(error, kPlanNotText, out->lines.line, kNoWord);
      return false;
    }
    if (IsHighSurrogate(unit) && size - at >= 4 &&
        IsLowSurrogate(static_cast<char16_t>(bytes[at + 2] | bytes[at + 3] << 8))) {
      out->Put(unit);
      at += 2;
      out->Put(static_cast<char16_t>(bytes[at] | bytes[at + 1] << 8));
      continue;
    }
    if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) break;
    out->Put(unit);
  }
  if (at == size) return true;
  // Half a pair, or a last byte that is half a unit.
  SetFault(error, kPlanBadEncoding, out->lines.line, WordOf(u"UTF-16"));
  return false;
}

// The port a rule's first word names: 1 to kHighestPortNumber; 0 for no
// COM name; -1 for "COM" and digits naming a number beyond the last, which
// is said apart, as it is a plan from a machine with more ports.
int32_t PortOfWord(Word word) {
  char16_t name[9];
  if (word.length < Units(name)) {
    CopyWord(name, Units(name), word);
    int32_t port = PortNumberOfName(name);
    if (port >= 1 && port <= kHighestPortNumber) return port;
  }
  if (word.length < 4) return 0;
  const char16_t* com = u"com";
  for (uint32_t k = 0; k < 3; k++) {
    if (TextFoldAscii(word.text[k]) != com[k]) return 0;
  }
  uint32_t first = 3;
  while (first < word.length && word.text[first] == u'0') first++;
  int32_t value = 0;
  for (uint32_t k = first; k < word.length; k++) {
    char16_t c = word.text[k];
    if (c < u'0' || c > u'9') return 0;
    if (value <= kHighestPortNumber) value = value * 10 + (c - u'0');
  }
  return value > kHighestPortNumber ? -1 : 0;
}

bool KeyOfWord(Word word, PlanKey* key) {
  const PlanKey keys[] = {kPlanLocation, kPlanInstance, kPlanHardware};
  for (PlanKey candidate : keys) {
    const char16_t* name = PlanKeyWord(candidate);
    uint32_t k = 0;
    while (k < word.length && name[k] != 0 && TextFoldAscii(word.text[k]) == name[k]) k++;
    if (k == word.length && name[k] == 0) {
      *key = candidate;
      return true;
    }
  }
  return false;
}

// The rules of decoded text in file order, each checked; written into
// rules when it is not null. portLines (kHighestPortNumber + 1, zero)
// takes the line of each port's rule. The number of rules, or -1 with
// *error for the first faulty line.
int32_t ReadRules(const char16_t* text, uint32_t count, int32_t* portLines, PlanRule* rules,
                  PlanError* error) {
  int32_t ruleCount = 0;
  int32_t line = 0;
  uint32_t at = 0;
  while (at < count) {
    line++;
    uint32_t end = at;
    while (end < count && text[end] != u'\r' && text[end] != u'\n') end++;
    uint32_t next = end;
    if (next < count) next += text[next] == u'\r' && next + 1 < count && text[next + 1] == u'\n' ? 2 : 1;
    uint32_t i = at;
    at = next;
    while (i < end && IsBlank(text[i])) i++;
    if (i == end || text[i] == u'#') continue;
    for (uint32_t k = i; k < end; k++) {
      if (text[k] != u'\t' && IsOdd(text[k])) return Fail(error, kPlanOddCharacter, line, kNoWord);
    }
    Word words[3];
    int32_t wordCount = 0;
    while (i < end) {
      uint32_t start = i;
      while (i < end && !IsBlank(text[i])) i++;
      if (wordCount < 3) words[wordCount] = Word{text + start, i - start};
      wordCount++;
      while (i < end && IsBlank(text[i])) i++;
    }
    if (wordCount != 3) return Fail(error, kPlanNotARule, line, kNoWord);
    int32_t port = PortOfWord(words[0]);
    if (port == 0) return Fail(error, kPlanNoComName, line, words[0]);
    if (port < 0) return Fail(error, kPlanNumberBeyond, line, words[0]);
    PlanKey key;
    if (!KeyOfWord(words[1], &key)) return Fail(error, kPlanUnknownKey, line, words[1]);
    if (words[2].length > kMostIdentity) return Fail(error, kPlanLongIdentity, line, kNoWord);
    if (portLines[port] != 0) {
      char16_t name[16];
      ComName(port, name, Units(name));
      error->otherLine = portLines[port];
      return Fail(error, kPlanNumberTwice, line, WordOf(name));
    }
    portLines[port] = line;
    if (rules != nullptr) {
      PlanRule* rule = &rules[ruleCount];
      rule->port = port;
      rule->key = key;
      CopyWord(rule->identity, Units(rule->identity), words[2]);
      rule->line = line;
    }
    ruleCount++;
  }
  return ruleCount;
}

// Whether an identity reads back from a rule's line as it is.
bool IdentityFits(const char16_t* identity) {
  uint32_t length = 0;
  for (; identity[length] != 0; length++) {
    if (length == kMostIdentity) return false;
    char16_t c = identity[length];
    if (IsBlank(c) || IsOdd(c) || IsLowSurrogate(c)) return false;
    if (IsHighSurrogate(c)) {
      if (!IsLowSurrogate(identity[length + 1])) return false;
      length++;
      if (length == kMostIdentity) return false;
    }
  }
  return length != 0;
}

}  // namespace

int32_t ReadNumberPlan(const uint8_t* bytes, uint32_t size, NumberPlan* plan, PlanError* error) {
  plan->rules = nullptr;
  plan->ruleCount = 0;
  MemFill(error, 0, sizeof *error);
  error->fault = kPlanOk;
  if (size > kPlanMostBytes) {
    SetFault(error, kPlanTooLarge, 0, kNoWord);
    return 0;
  }
  // Each byte gives at most one unit.
  HeapBlock<char16_t> units(size + 1ull);
  Decoded decoded = {units.Get(), 0, {1, 0}};
  bool text;
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text = DecodeUtf16(bytes + 2, size - 2, &decoded, error);
  } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    text = DecodeUtf8(bytes + 3, size - 3, &decoded, error);
  } else {
    text = DecodeUtf8(bytes, size, &decoded, error);
  }
  int32_t count = -1;
  if (text) {
    const uint64_t portLinesBytes = (kHighestPortNumber + 1) * sizeof(int32_t);
    HeapBlock<int32_t> portLines(kHighestPortNumber + 1);
    // Counted and checked first, then written into a block of their size.
    count = ReadRules(decoded.units, decoded.count, portLines.Get(), nullptr, error);
    if (count > 0) {
      plan->rules = static_cast<PlanRule*>(MemAlloc(count * sizeof(PlanRule)));
      MemFill(portLines.Get(), 0, portLinesBytes);
      plan->ruleCount = ReadRules(decoded.units, decoded.count, portLines.Get(), plan->rules, error);
    }
  }
  return count < 0 ? 0 : 1;
}

// A plan is a plain record passed by pointer: its rules are freed here and
// nowhere else.
void ReleaseNumberPlan(NumberPlan* plan) {
  MemFree(plan->rules);
  plan->rules = nullptr;
  plan->ruleCount = 0;
}

void DescribePlanError(const PlanError& error, char16_t* text, uint32_t units) {
  if (units == 0) return;
  text[0] = 0;
  if (error.fault == kPlanOk) return;
  if (error.line > 0) {
    TextAppend(text, units, error.otherLine > 0 ? u"lines " : u"line ");
    if (error.otherLine > 0) {
      TextAppendSigned(text, units, error.otherLine);
      TextAppend(text, units, u" and ");
    }
    TextAppendSigned(text, units, error.line);
    TextAppend(text, units, u": ");
  }
  char16_t last[16];
  ComName(kHighestPortNumber, last, Units(last));
  switch (error.fault) {
    case kPlanOk:
      break;
    case kPlanTooLarge:
      TextAppend(text, units, u"not a plan: the file is larger than 1 MiB");
      break;
    case kPlanNotText:
      TextAppend(text, units, u"not a text file (it holds a NUL character)");
      break;
    case kPlanBadEncoding:
      TextAppend(text, units, u"not ");
      TextAppendOneLine(text, units, error.word);
      TextAppend(text, units, u" text");
      break;
    case kPlanNotARule:
      TextAppend(text, units, u"not a rule (COMn location|instance|hardware IDENTITY)");
      break;
    case kPlanNoComName:
      TextAppend(text, units, u"not a rule: ");
      TextAppendOneLine(text, units, error.word);
      TextAppend(text, units, u" is no COM name");
      break;
    case kPlanUnknownKey:
      TextAppend(text, units, u"not a rule: ");
      TextAppendOneLine(text, units, error.word);
      TextAppend(text, units, u" is no key (location, instance or hardware)");
      break;
    case kPlanLongIdentity:
      TextAppend(text, units, u"not a rule: the identity is longer than 400 characters");
      break;
    case kPlanOddCharacter:
      TextAppend(text, units, u"not a rule: it holds a control character or a blank other than space and tab");
      break;
    case kPlanNumberBeyond:
      TextAppendOneLine(text, units, error.word);
      TextAppend(text, units, u" is beyond ");
      TextAppend(text, units, last);
      break;
    case kPlanNumberTwice:
      TextAppend(text, units, u"two rules for ");
      TextAppendOneLine(text, units, error.word);
      break;
  }
}

const char16_t* PlanKeyWord(PlanKey key) {
  switch (key) {
    case kPlanLocation:
      return u"location";
    case kPlanInstance:
      return u"instance";
    case kPlanHardware:
      return u"hardware";
  }
  return u"";
}

int32_t PlanRuleLine(int32_t port, PlanKey key, const char16_t* identity, char16_t* text,
                     uint32_t units) {
  if (units == 0) return 0;
  text[0] = 0;
  const char16_t* keyWord = PlanKeyWord(key);
  if (port < 1 || port > kHighestPortNumber || keyWord[0] == 0 || !IdentityFits(identity)) return 0;
  ComName(port, text, units);
  uint32_t want = TextLength(text) + 1 + TextLength(keyWord) + 1 + TextLength(identity);
  TextAppend(text, units, u" ");
  TextAppend(text, units, keyWord);
  TextAppend(text, units, u" ");
  TextAppend(text, units, identity);
  if (TextLength(text) == want) return 1;
  text[0] = 0;
  return 0;
}

uint32_t Utf8OfText(const char16_t* text, uint8_t* out, uint32_t capacity) {
  uint32_t written = 0;
  for (uint32_t i = 0; text[i] != 0; i++) {
    uint32_t code = text[i];
    if (IsHighSurrogate(text[i]) && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      i++;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      code = 0xFFFD;
    }
    uint8_t bytes[4];
    uint32_t length;
    if (code < 0x80) {
      bytes[0] = static_cast<uint8_t>(code);
      length = 1;
    } else if (code < 0x800) {
      bytes[0] = static_cast<uint8_t>(0xC0 | code >> 6);
      bytes[1] = static_cast<uint8_t>(0x80 | (code & 0x3F));
      length = 2;
    } else if (code < 0x10000) {
      bytes[0] = static_cast<uint8_t>(0xE0 | code >> 12);
      bytes[1] = static_cast<uint8_t>(0x80 | (code >> 6 & 0x3F));
      bytes[2] = static_cast<uint8_t>(0x80 | (code & 0x3F));
      length = 3;
    } else {
      bytes[0] = static_cast<uint8_t>(0xF0 | code >> 18);
      bytes[1] = static_cast<uint8_t>(0x80 | (code >> 12 & 0x3F));
      bytes[2] = static_cast<uint8_t>(0x80 | (code >> 6 & 0x3F));
      bytes[3] = static_cast<uint8_t>(0x80 | (code & 0x3F));
      length = 4;
    }
    if (out != nullptr) {
      if (length > capacity - written) break;
      MemCopy(out + written, bytes, length);
    }
    written += length;
  }
  return written;
}
