#include "ui/settings_rules.h"

#include "app/process.h"
#include "app/text.h"
#include "platform/os.h"
#include "ui/row_order.h"
#include "ui/view_state.h"

static const char kSection[] = "Settings";

const int32_t kDefaultColumnWidths[kColumnWidthSlots] = {80, 200, 310, 65, 150, 85, 85};

void FormatSettingInt(int32_t value, char* text) {
  if (value < 0) *text++ = '-';
  // In unsigned arithmetic, so that INT32_MIN has a magnitude.
  AsciiDigits(value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value), 10, text);
}

int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t divisor = c;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  int64_t result = product >= 0 ? (product + divisor / 2) / divisor
                                 : (product - divisor / 2) / divisor;
  if (result > 2147483647 || result < -2147483647) return -1;
  return static_cast<int32_t>(result);
}

void StartupColumnWidths(const int32_t* stored, int32_t storedDpi, int32_t screenDpi,
                         int32_t widths[kColumnWidthSlots]) {
  for (int i = 0; i < kColumnWidthSlots; i++) {
    if (stored == nullptr) {
      widths[i] = MulDivRound(kDefaultColumnWidths[i], screenDpi, 96);
    } else if (storedDpi != 0 && storedDpi != screenDpi) {
      widths[i] = MulDivRound(stored[i], screenDpi, storedDpi);
    } else {
      widths[i] = stored[i];
    }
  }
}

void AdaptStoredPlacement(StoredPlacement* p, int32_t storedDpi, int32_t screenDpi,
                          int32_t showCommand) {
  if (storedDpi >= 1 && storedDpi <= 999 && storedDpi != screenDpi) {
    p->left = MulDivRound(p->left, screenDpi, storedDpi);
    p->top = MulDivRound(p->top, screenDpi, storedDpi);
    p->right = MulDivRound(p->right, screenDpi, storedDpi);
    p->bottom = MulDivRound(p->bottom, screenDpi, storedDpi);
  }
  // Never minimized, never hidden: a stored minimized window comes back as
  // it was before it was minimized, anything else but maximized as normal.
  if (p->showCmd == 2) {
    p->showCmd = (p->flags & kRestoreToMaximized) ? 3 : 1;
  } else if (p->showCmd != 3) {
    p->showCmd = 1;
  }
  if (showCommand != 1 && showCommand != 10) p->showCmd = static_cast<uint32_t>(showCommand);
}

// Every use of the file goes through these. Without a settings file (its
// path could not be made) nothing is read and nothing written.
static int32_t ReadInt(const char* key, int32_t fallback) {
  return iniPath[0] != 0 ? OsProfileReadInt(kSection, key, fallback, iniPath) : fallback;
}

static int32_t ReadStruct(const char* key, void* data, uint32_t size) {
  return iniPath[0] != 0 && OsProfileReadStruct(kSection, key, data, size, iniPath);
}

static void WriteInt(const char* key, int32_t value) {
  char text[32];
  FormatSettingInt(value, text);
  if (iniPath[0] != 0) OsProfileWriteString(kSection, key, text, iniPath);
}

static void WriteStruct(const char* key, const void* data, uint32_t size) {
  if (iniPath[0] != 0) OsProfileWriteStruct(kSection, key, data, size, iniPath);
}

StartupSettings ReadStartupSettings(int32_t screenDpi, int32_t themesActive) {
  StartupSettings s = {};
  s.showVerInCaption = ReadInt("ShowVerInCaption", 1);
  s.showDeviceId = ReadInt("ShowDeviceId", 0) != 0;
  s.storedDpi = ReadInt("DPI", 0);
  int32_t stored[kColumnWidthSlots];
  int32_t read = ReadStruct("ColumnWidths", stored, sizeof stored);
  StartupColumnWidths(read ? stored : nullptr, s.storedDpi, screenDpi, s.columnWidths);
  s.sortColumn = SortSlot(ReadInt("SortCol", 0));  // a hand-edited value names no column
  s.sortDirection = ReadInt("SortDir", 1);
  s.visualStyles = themesActive ? ReadInt("VisualStyles", 1) != 0 : 1;
  s.hasPlacement = ReadStruct("WindowPlacement", &s.placement, sizeof s.placement);
  return s;
}

void TakeColumnWidths(int32_t widths[kColumnWidthSlots], const int32_t* present, int32_t count) {
  for (int32_t i = 0; i < count && i <= kDeviceIdColumn; i++) widths[i] = present[i];
}

void WriteSettings(const SettingsToSave& s) {
  if (s.hasPlacement) WriteStruct("WindowPlacement", &s.placement, sizeof s.placement);
  WriteInt("SortCol", s.sortColumn);
  WriteInt("SortDir", s.sortDirection);
  WriteInt("ShowDeviceId", s.showDeviceId);
  WriteInt("VisualStyles", s.visualStyles);
  WriteStruct("ColumnWidths", s.columnWidths, sizeof s.columnWidths);
  WriteInt("DPI", s.screenDpi);
}
