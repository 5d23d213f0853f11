#include "ui/settings_rules.h"

#include "app/process.h"
#include "platform/os.h"
#include "ui/row_order.h"
#include "ui/view_state.h"

static const char kSection[] = "Settings";
static const char kHexDigits[] = "0123456789ABCDEF";

void EncodeSettingStruct(const void* data, uint32_t size, char* text) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  uint8_t sum = 0;
  for (uint32_t i = 0; i < size; i++) {
    *text++ = kHexDigits[bytes[i] >> 4];
    *text++ = kHexDigits[bytes[i] & 15];
    sum = static_cast<uint8_t>(sum + bytes[i]);
  }
  *text++ = kHexDigits[sum >> 4];
  *text++ = kHexDigits[sum & 15];
  *text = 0;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

static int32_t HexByte(const char* text, uint8_t* byte) {
  int high = HexValue(text[0]);
  int low = high < 0 ? -1 : HexValue(text[1]);
  if (low < 0) return 0;
  *byte = static_cast<uint8_t>(high * 16 + low);
  return 1;
}

int32_t DecodeSettingStruct(const char* text, void* data, uint32_t size) {
  // Length first, so that nothing is read past the text's end.
  uint64_t length = 0;
  while (text[length] != 0 && length <= 2ull * size + 2) length++;
  if (length != 2ull * size + 2) return 0;
  uint8_t sum = 0;
  for (uint32_t i = 0; i < size; i++) {
    uint8_t byte;
    if (!HexByte(text + 2 * i, &byte)) return 0;
    sum = static_cast<uint8_t>(sum + byte);
  }
  uint8_t stored;
  if (!HexByte(text + 2ull * size, &stored) || stored != sum) return 0;
  uint8_t* out = static_cast<uint8_t*>(data);
  for (uint32_t i = 0; i < size; i++) HexByte(text + 2 * i, &out[i]);
  return 1;
}

void FormatSettingInt(int32_t value, char* text) {
  char digits[12];
  int at = 0;
  // In unsigned arithmetic, so that INT32_MIN has a magnitude.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    digits[at++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *text++ = '-';
  while (at > 0) *text++ = digits[--at];
  *text = 0;
}

int32_t ParseSettingInt(const char* text) {
  while (*text == ' ' || *text == '\t') text++;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  uint32_t base = 10;
  if (text[0] == '0') {
    switch (text[1]) {
      case 'x': case 'X': base = 16; break;
      case 'o': case 'O': base = 8; break;
      case 'b': case 'B': base = 2; break;
    }
    if (base != 10) text += 2;
  }
  uint32_t value = 0;
  for (;; text++) {
    int digit = HexValue(*text);
    if (digit < 0 || static_cast<uint32_t>(digit) >= base) break;
    value = value * base + static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
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
                         int32_t widths[7]) {
  for (int i = 0; i < 7; i++) {
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

int32_t StoredSortColumn(int32_t value) {
  return value >= kPortColumn && value <= kDeviceIdColumn ? value : kPortColumn;
}

// Every use of the file goes through these four. Without a settings file
// (its path could not be made) nothing is read and nothing written.
static int32_t ReadStruct(const char* key, void* data, uint32_t size) {
  return iniPath[0] != 0 && OsProfileReadStruct(kSection, key, data, size, iniPath);
}

static void WriteString(const char* key, const char* value) {
  if (iniPath[0] != 0) OsProfileWriteString(kSection, key, value, iniPath);
}

static void WriteStruct(const char* key, const void* data, uint32_t size) {
  if (iniPath[0] != 0) OsProfileWriteStruct(kSection, key, data, size, iniPath);
}

int32_t ReadSettingInt(const char* key, int32_t fallback) {
  return iniPath[0] != 0 ? OsProfileReadInt(kSection, key, fallback, iniPath) : fallback;
}

int32_t ReadColumnWidths(int32_t screenDpi) {
  int32_t storedDpi = ReadSettingInt("DPI", 0);
  int32_t stored[7];
  int32_t read = ReadStruct("ColumnWidths", stored, sizeof stored);
  StartupColumnWidths(read ? stored : nullptr, storedDpi, screenDpi, viewSettings.columnWidths);
  return storedDpi;
}

void ReadSortOrder() {
  sortColumn = StoredSortColumn(ReadSettingInt("SortCol", 0));
  viewSettings.sortDirection[sortColumn] = ReadSettingInt("SortDir", 1);
}

int32_t ReadPlacement(int32_t storedDpi, int32_t screenDpi, int32_t showCommand,
                      StoredPlacement* placement) {
  if (!ReadStruct("WindowPlacement", placement, sizeof *placement)) {
    return 0;
  }
  AdaptStoredPlacement(placement, storedDpi, screenDpi, showCommand);
  return 1;
}

static void WriteSettingInt(const char* key, int32_t value) {
  char text[32];
  FormatSettingInt(value, text);
  WriteString(key, text);
}

void WriteSettings(const SettingsToSave& s) {
  if (s.hasPlacement) {
    WriteStruct("WindowPlacement", &s.placement, sizeof s.placement);
  }
  WriteSettingInt("SortCol", sortColumn);
  WriteSettingInt("SortDir", viewSettings.sortDirection[SortSlot(sortColumn)]);
  WriteSettingInt("ShowDeviceId", showDeviceId);
  WriteSettingInt("VisualStyles", viewSettings.visualStyles);
  for (int32_t i = 0; i < s.columnCount && i < 5; i++) {
    viewSettings.columnWidths[i] = s.columnWidths[i];
  }
  WriteStruct("ColumnWidths", viewSettings.columnWidths, sizeof viewSettings.columnWidths);
  WriteSettingInt("DPI", s.screenDpi);
}
