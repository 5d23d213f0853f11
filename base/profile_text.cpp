#include "base/profile_text.h"

namespace {

// One line of the text, by offsets: [start, end) is the line without its
// line end, [end, next) the line end; [from, to) the line without a
// leading byte-order mark and blanks at either end.
struct Line {
  uint64_t start, end, next;
  uint64_t from, to;
  bool header;                  // "[name]"
  uint64_t nameFrom, nameTo;    // the section's or the key's name
  uint64_t equals;              // the key's '=', or end when there is none
};

// The blanks the profile functions drop around names and values (Ctrl+Z
// included, which old editors left at the end of a file).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

Line LineAt(const char* text, uint64_t length, uint64_t start) {
  Line line = {};
  line.start = start;
  line.end = start;
  while (line.end < length && !IsLineBreak(text[line.end])) line.end++;
  line.next = line.end;
  if (line.next < length) {
    line.next += text[line.next] == '\r' && line.next + 1 < length && text[line.next + 1] == '\n' ? 2 : 1;
  }
  line.from = start;
  if (start == 0 && line.end >= 3 && static_cast<uint8_t>(text[0]) == 0xEF &&
      static_cast<uint8_t>(text[1]) == 0xBB && static_cast<uint8_t>(text[2]) == 0xBF) {
    line.from = 3;
  }
  line.to = line.end;
  while (line.from < line.to && IsBlank(text[line.from])) line.from++;
  while (line.to > line.from && IsBlank(text[line.to - 1])) line.to--;
  line.equals = line.end;
  uint64_t close = line.to;
  if (line.from < line.to && text[line.from] == '[') {
    while (close > line.from + 1 && text[close - 1] != ']') close--;
    line.header = close > line.from + 1;
  }
  if (line.header) {
    line.nameFrom = line.from + 1;
    line.nameTo = close - 1;
  } else {
    line.nameFrom = line.from;
    line.nameTo = line.from;
    while (line.nameTo < line.to && text[line.nameTo] != '=') line.nameTo++;
    if (line.nameTo < line.to) line.equals = line.nameTo;
  }
  while (line.nameFrom < line.nameTo && IsBlank(text[line.nameFrom])) line.nameFrom++;
  while (line.nameTo > line.nameFrom && IsBlank(text[line.nameTo - 1])) line.nameTo--;
  return line;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool NameIs(const char* text, const Line& line, const char* name) {
  uint64_t i = line.nameFrom;
  for (; i < line.nameTo && *name != 0; i++, name++) {
    if (Upper(text[i]) != Upper(*name)) return false;
  }
  return i == line.nameTo && *name == 0;
}

bool IsBlankLine(const Line& line) { return line.from == line.to; }

// Writes what fits and counts everything.
struct Output {
  char* out;
  uint64_t capacity;
  uint64_t length;
};

void Put(Output* o, const char* bytes, uint64_t count) {
  for (uint64_t i = 0; i < count; i++, o->length++) {
    if (o->length < o->capacity) o->out[o->length] = bytes[i];
  }
}

void PutText(Output* o, const char* text) {
  uint64_t count = 0;
  while (text[count] != 0) count++;
  Put(o, text, count);
}

void PutValueLine(Output* o, const ProfileValue& value) {
  PutText(o, value.key);
  Put(o, "=", 1);
  PutText(o, value.value);
  Put(o, "\r\n", 2);
}

// The first section of that name: whether there is one, the keys it holds
// (one bit per value), and where a missing key goes: behind the line
// ending at `insertAt`.
struct SectionPlan {
  bool found;
  uint32_t present;
  uint64_t insertAt;
};

SectionPlan PlanSection(const char* text, uint64_t length, const char* section,
                        const ProfileValue* values, uint32_t count) {
  SectionPlan plan = {};
  bool inside = false;
  for (uint64_t at = 0; at < length;) {
    Line line = LineAt(text, length, at);
    at = line.next;
    if (line.header) {
      if (plan.found) break;
      inside = NameIs(text, line, section);
      plan.found = inside;
      if (inside) plan.insertAt = line.next;
      continue;
    }
    if (!inside || IsBlankLine(line)) continue;
    plan.insertAt = line.next;
    for (uint32_t i = 0; i < count; i++) {
      if (NameIs(text, line, values[i].key)) plan.present |= 1u << i;
    }
  }
  return plan;
}

}  // namespace

int32_t MergeProfileSection(const char* text, uint64_t length, const char* section,
                            const ProfileValue* values, uint32_t count, char* out,
                            uint64_t capacity, uint64_t* mergedLength) {
  *mergedLength = 0;
  if (count > kMaxProfileValues) return 0;
  if (length >= 2 && ((static_cast<uint8_t>(text[0]) == 0xFF && static_cast<uint8_t>(text[1]) == 0xFE) ||
                      (static_cast<uint8_t>(text[0]) == 0xFE && static_cast<uint8_t>(text[1]) == 0xFF))) {
    return 0;
  }
  const SectionPlan plan = PlanSection(text, length, section, values, count);
  const uint32_t all = count == 32 ? ~0u : (1u << count) - 1;
  Output o = {out, out == nullptr ? 0 : capacity, 0};
  bool inside = false, sectionSeen = false;
  uint32_t done = 0;
  for (uint64_t at = 0; at < length;) {
    Line line = LineAt(text, length, at);
    at = line.next;
    if (line.header) {
      inside = !sectionSeen && NameIs(text, line, section);
      sectionSeen = sectionSeen || inside;
    }
    uint32_t key = count;
    if (inside && !line.header && !IsBlankLine(line)) {
      for (uint32_t i = 0; i < count && key == count; i++) {
        if ((done & 1u << i) == 0 && NameIs(text, line, values[i].key)) key = i;
      }
    }
    if (key == count) {
      Put(&o, text + line.start, line.next - line.start);
    } else {
      done |= 1u << key;
      if (line.equals < line.end) {
        Put(&o, text + line.start, line.equals + 1 - line.start);
      } else {
        Put(&o, text + line.start, line.nameTo - line.start);
        Put(&o, "=", 1);
      }
      PutText(&o, values[key].value);
      Put(&o, text + line.end, line.next - line.end);
    }
    if (inside && line.next == plan.insertAt && plan.present != all) {
      if (line.next == line.end) Put(&o, "\r\n", 2);  // the text's last line, without a line end
      for (uint32_t i = 0; i < count; i++) {
        if ((plan.present & 1u << i) == 0) PutValueLine(&o, values[i]);
      }
    }
  }
  if (!plan.found) {
    if (length > 0 && !IsLineBreak(text[length - 1])) Put(&o, "\r\n", 2);
    Put(&o, "[", 1);
    PutText(&o, section);
    Put(&o, "]\r\n", 3);
    for (uint32_t i = 0; i < count; i++) PutValueLine(&o, values[i]);
  }
  *mergedLength = o.length;
  return 1;
}
