// Small routines over zero-terminated UTF-16 text.
//
// Every routine that writes takes the capacity of its destination in units
// and always leaves the destination terminated within it, truncating when
// the text does not fit.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The number of units of a buffer, taken from its declaration, so that a
// buffer's size is written in one place.
template <typename Unit, size_t N>
constexpr uint32_t Units(const Unit (&)[N]) {
  return static_cast<uint32_t>(N);
}

uint32_t TextLength(const char16_t* text);
// Copies text into buffer; returns the number of units copied.
uint32_t TextCopy(char16_t* buffer, uint32_t units, const char16_t* text);
// Appends text behind what buffer already holds.
uint32_t TextAppend(char16_t* buffer, uint32_t units, const char16_t* text);
// Appends the decimal digits of value ("%u"), or of a signed value ("%i").
uint32_t TextAppendUnsigned(char16_t* buffer, uint32_t units, uint32_t value);
uint32_t TextAppendSigned(char16_t* buffer, uint32_t units, int32_t value);
// The digits of a value in base 10 or 16 (upper case), as 8-bit text into
// at least kDigitChars characters.
const uint32_t kDigitChars = 11;
void AsciiDigits(uint32_t value, uint32_t base, char* text);
// Widens 8-bit text whose characters are all ASCII (error names).
uint32_t TextWidenAscii(char16_t* buffer, uint32_t units, const char* text);
// A letter folded to lower case where it is an ASCII one; any other
// character as it is.
char16_t TextFoldAscii(char16_t c);
// Compares two texts unit by unit with ASCII letters folded: the order and
// equality of device IDs and location paths, the same in every locale (the
// system's own comparison follows the user's, where "AA" may sort after
// "Z"). Below zero, zero or above zero.
int32_t TextCompareAsciiNoCase(const char16_t* a, const char16_t* b);
// Whether two texts are the same unit for unit (run IDs, journal words,
// a task's author).
bool TextEqual(const char16_t* a, const char16_t* b);
// Appends text as part of one line: a control character (CR, LF, tab and
// the rest below a blank) becomes "?".
uint32_t TextAppendOneLine(char16_t* buffer, uint32_t units, const char16_t* text);
// StrToIntW: an optional sign, then leading decimal digits; 0 without any.
// Overflow wraps as the system's does.
int32_t TextToInt(const char16_t* text);
