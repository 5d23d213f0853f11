// The settings file beside the program (iniPath), section "Settings": what
// it holds, read as values when the window is made and written from values
// when it closes, and the rules that adapt those values to the screen and
// the start-up. Reading goes through the platform's profile functions, and
// so does writing, except in an elevated process (see WriteSettings).
#pragma once

#include <stdint.h>

#include "ui/view_state.h"

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

const int32_t kColumnWidthSlots = 7;  // six columns and a spare slot
// Before they are scaled to the screen: Port, Kernel Name, Device, Class,
// Device ID, Location, and the spare slot.
extern const int32_t kDefaultColumnWidths[kColumnWidthSlots];

// What the file gives this start; a key that is missing or damaged gives
// its default.
struct StartupSettings {
  int32_t showVerInCaption;  // the version in the caption
  int32_t showDeviceId;      // 0 or 1
  int32_t showLocation;      // 0 or 1
  int32_t columnWidths[kColumnWidthSlots];  // scaled to the screen
  int32_t storedDpi;         // the DPI the file was written at; 0 none
  int32_t sortColumn;        // 0 to 5
  int32_t sortDirection;     // that column's flag: nonzero ascending
  int32_t visualStyles;      // 0 or 1; read only while themes are active, else 1
  int32_t hasPlacement;      // a whole placement was stored
  StoredPlacement placement; // as stored
};
StartupSettings ReadStartupSettings(int32_t screenDpi, int32_t themesActive);

// What the window hands over when it closes.
struct SettingsToSave {
  int32_t hasPlacement;  // the placement could be read from the window
  StoredPlacement placement;
  int32_t sortColumn;
  int32_t sortDirection;  // of the sort column
  int32_t showDeviceId;
  int32_t showLocation;
  int32_t visualStyles;
  int32_t columnWidths[kColumnWidthSlots];
  int32_t screenDpi;
};
// Writes every key in the order the window always has; write failures are
// ignored. An elevated process writes them all at once through one handle,
// and only into a plain file with a single name (no hard link, no reparse
// point) of up to a megabyte, not in UTF-16; otherwise it saves nothing.
void WriteSettings(const SettingsToSave& settings);
// The widths of the columns the list has now (present, by place, count of
// them) into the slots of the columns the view shows there; the slots of
// the others keep what they hold.
void TakeColumnWidths(ViewState* view, const int32_t* present, int32_t count);

// The integer encoding, "%i", into 32 characters.
void FormatSettingInt(int32_t value, char* text);

// MulDiv: a * b / c with a 64-bit intermediate, rounded to the nearest
// integer, halves away from zero; -1 when c is 0 or the result does not fit.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

// The column widths at start: the built-in widths scaled to the screen, or,
// when a stored set (may be null) was read, those, rescaled when a nonzero
// stored DPI differs from the screen's.
void StartupColumnWidths(const int32_t* stored, int32_t storedDpi, int32_t screenDpi,
                         int32_t widths[kColumnWidthSlots]);
// A stored placement adapted to this start: its normal rectangle rescaled
// for a stored DPI of 1 to 999 that differs from the screen's; shown
// normal or maximized, never minimized or hidden (minimized, it comes back
// maximized when it was maximized before); the start-up show command wins
// unless it is 1 or 10.
void AdaptStoredPlacement(StoredPlacement* placement, int32_t storedDpi, int32_t screenDpi,
                          int32_t showCommand);
