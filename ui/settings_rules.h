// The settings file beside the program (iniPath), section "Settings": its
// two value encodings, the rules that adapt what it holds to the screen
// and the start-up, and the order in which the window reads and writes it.
// Everything goes through the platform's profile functions.
#pragma once

#include <stdint.h>

// The platform's WINDOWPLACEMENT, 44 bytes little-endian.
struct StoredPlacement {
  uint32_t length;  // always 44
  uint32_t flags;   // kRestoreToMaximized
  uint32_t showCmd;
  int32_t minX, minY;
  int32_t maxX, maxY;
  int32_t left, top, right, bottom;  // the normal rectangle
};
static_assert(sizeof(StoredPlacement) == 44, "WINDOWPLACEMENT is 44 bytes");
const uint32_t kRestoreToMaximized = 2;  // WPF_RESTORETOMAXIMIZED

// The structure encoding: each byte as two upper-case hexadecimal digits,
// then two more for the low 8 bits of the bytes' sum. `text` holds
// 2 * size + 3 characters.
void EncodeSettingStruct(const void* data, uint32_t size, char* text);
// 1 when text holds exactly size bytes and their checksum (either case of
// hexadecimal digits); data is written only then.
int32_t DecodeSettingStruct(const char* text, void* data, uint32_t size);
// The integer encoding, "%i", into 32 characters.
void FormatSettingInt(int32_t value, char* text);
// How the platform reads a (non-empty) integer someone may have edited by
// hand: blanks, an optional sign, then digits up to the first other
// character, hexadecimal after "0x", octal after "0o", binary after "0b",
// else decimal; 0 when there are none. Overflow wraps. An empty value reads
// as the key's default, like a missing one.
int32_t ParseSettingInt(const char* text);

// MulDiv: a * b / c with a 64-bit intermediate, rounded to the nearest
// integer, halves away from zero; -1 when c is 0 or the result does not fit.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

// The column widths at start: the built-in widths scaled to the screen, or,
// when a stored set (may be null) was read, those, rescaled when a nonzero
// stored DPI differs from the screen's.
void StartupColumnWidths(const int32_t* stored, int32_t storedDpi, int32_t screenDpi,
                         int32_t widths[7]);
// A stored placement adapted to this start: its normal rectangle rescaled
// for a stored DPI of 1 to 999 that differs from the screen's; shown
// normal or maximized, never minimized or hidden (minimized, it comes back
// maximized when it was maximized before); the start-up show command wins
// unless it is 1 or 10.
void AdaptStoredPlacement(StoredPlacement* placement, int32_t storedDpi, int32_t screenDpi,
                          int32_t showCommand);
// The sort column a stored value names: 0 to 4, anything else is 0.
int32_t StoredSortColumn(int32_t value);

// Reading, in the window's order. Each returns what it read or the default.
int32_t ReadSettingInt(const char* key, int32_t fallback);
// Widths into viewSettings; returns the stored DPI (0 when none).
int32_t ReadColumnWidths(int32_t screenDpi);
// sortColumn and its direction flag.
void ReadSortOrder();
// 1 when a stored placement was read; it is then adapted to this start.
int32_t ReadPlacement(int32_t storedDpi, int32_t screenDpi, int32_t showCommand,
                      StoredPlacement* placement);

// What the window hands over when it saves.
struct SettingsToSave {
  int32_t hasPlacement;  // the placement could be read from the window
  StoredPlacement placement;
  int32_t columnCount;   // columns the list has now, 4 or 5
  int32_t columnWidths[5];
  int32_t screenDpi;
};
// Writes every key in order; the widths of the columns present are copied
// into viewSettings first, the others keep their values. Write failures are
// ignored.
void WriteSettings(const SettingsToSave& settings);
