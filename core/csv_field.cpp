#include "core/csv_field.h"

static void Put(FieldLine* line, char16_t unit) {
  if (line->length + 1 >= line->units) return;
  line->text[line->length++] = unit;
  line->text[line->length] = 0;
}

static bool Blanked(FieldStyle style, char16_t c) {
  if (style == kGuardedCsvField) return c < 0x20;
  return c == u'\r' || c == u'\n' || (style == kTabField && c == u'\t');
}

void PutField(FieldStyle style, const char16_t* field, FieldLine* line) {
  if (line->length != 0) Put(line, style == kTabField ? u'\t' : u',');
  char16_t first = field[0];
  bool guarded = style == kGuardedCsvField && (first == u'=' || first == u'+' || first == u'-' ||
                                               first == u'@' || first == u'\'');
  bool quoted = guarded || (style == kTabField && first == u'"');
  for (const char16_t* c = field; style != kTabField && *c != 0; c++) {
    quoted |= *c == u',' || *c == u'"';
  }
  if (quoted) Put(line, u'"');
  if (guarded) Put(line, u'\'');
  for (const char16_t* c = field; *c != 0; c++) {
    if (Blanked(style, *c)) {
      Put(line, u' ');
      continue;
    }
    if (quoted && *c == u'"') Put(line, u'"');
    Put(line, *c);
  }
  if (quoted) Put(line, u'"');
}
