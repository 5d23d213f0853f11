#include "base/text.h"

uint32_t TextLength(const char16_t* text) {
  uint32_t n = 0;
  while (text[n] != 0) n++;
  return n;
}

uint32_t TextAppend(char16_t* buffer, uint32_t units, const char16_t* text) {
  if (units == 0) return 0;
  uint32_t at = 0;
  while (at < units - 1 && buffer[at] != 0) at++;
  uint32_t copied = 0;
  while (at < units - 1 && text[copied] != 0) buffer[at++] = text[copied++];
  buffer[at] = 0;
  return copied;
}

uint32_t TextCopy(char16_t* buffer, uint32_t units, const char16_t* text) {
  if (units == 0) return 0;
  buffer[0] = 0;
  return TextAppend(buffer, units, text);
}

void AsciiDigits(uint32_t value, uint32_t base, char* text) {
  char reversed[kDigitChars];
  int n = 0;
  do {
    reversed[n++] = "0123456789ABCDEF"[value % base];
    value /= base;
  } while (value != 0);
  while (n > 0) *text++ = reversed[--n];
  *text = 0;
}

uint32_t TextAppendUnsigned(char16_t* buffer, uint32_t units, uint32_t value) {
  char digits[kDigitChars];
  AsciiDigits(value, 10, digits);
  char16_t wide[kDigitChars];
  TextWidenAscii(wide, kDigitChars, digits);
  return TextAppend(buffer, units, wide);
}

uint32_t TextAppendSigned(char16_t* buffer, uint32_t units, int32_t value) {
  if (value >= 0) return TextAppendUnsigned(buffer, units, static_cast<uint32_t>(value));
  uint32_t copied = TextAppend(buffer, units, u"-");
  // Negate in unsigned arithmetic so that INT32_MIN stays representable.
  return copied + TextAppendUnsigned(buffer, units, 0u - static_cast<uint32_t>(value));
}

uint32_t TextWidenAscii(char16_t* buffer, uint32_t units, const char* text) {
  if (units == 0) return 0;
  uint32_t n = 0;
  while (n < units - 1 && text[n] != 0) {
    buffer[n] = static_cast<unsigned char>(text[n]);
    n++;
  }
  buffer[n] = 0;
  return n;
}

int32_t TextCompareAsciiNoCase(const char16_t* a, const char16_t* b) {
  for (;; a++, b++) {
    char16_t x = TextFoldAscii(*a), y = TextFoldAscii(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

bool TextEqual(const char16_t* a, const char16_t* b) {
  while (*a != 0 && *a == *b) a++, b++;
  return *a == *b;
}

char16_t TextFoldAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

uint32_t TextAppendOneLine(char16_t* buffer, uint32_t units, const char16_t* text) {
  uint32_t at = TextLength(buffer);
  uint32_t copied = TextAppend(buffer, units, text);
  for (char16_t* c = buffer + at; *c != 0; c++) {
    if (*c < u' ') *c = u'?';
  }
  return copied;
}

int32_t TextToInt(const char16_t* text) {
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  uint32_t value = 0;
  for (; *text >= u'0' && *text <= u'9'; text++) value = value * 10 + (*text - u'0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}
