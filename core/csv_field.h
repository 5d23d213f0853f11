// Fields of one line of delimited text, for a reader that takes the text
// line by line: the listing's CSV and tab-separated lines, and the
// journal's CSV.
#pragma once

#include <stdint.h>

// A line written unit by unit, always terminated, cut at its capacity.
struct FieldLine {
  char16_t* text;
  uint32_t units;
  uint32_t length;
};

enum FieldStyle {
  // RFC 4180: a field with a comma or a double quote is quoted, its quotes
  // doubled. CR and LF become blanks.
  kCsvField,
  // Tab-separated: CR, LF and tabs become blanks, and only a field that
  // begins with a quote is quoted, which a spreadsheet's paste would take
  // for the quoting of a cell.
  kTabField,
  // CSV that a spreadsheet opens without running any of it: every control
  // character becomes a blank, and a field that begins with "=", "+", "-"
  // or "@" (a formula), or with "'", is quoted with "'" put in front
  // inside the quotes. A reader drops the "'" that begins a quoted field.
  kGuardedCsvField,
};

// One field behind the separator (none before the first).
void PutField(FieldStyle style, const char16_t* field, FieldLine* line);
