#include "ui/settings_rules.h"

#include "base/memory.h"
#include "base/process.h"
#include "base/profile_text.h"
#include "base/text.h"
#include "platform/os.h"
#include "ui/row_order.h"
#include "ui/view_state.h"

static const char kSection[] = "Settings";

const int32_t kDefaultColumnWidths[kColumnWidthSlots] = {80, 200, 310, 65, 150, 240, 85};

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

static bool ReadStruct(const char* key, void* data, uint32_t size) {
  return iniPath[0] != 0 &&
         OsProfileReadStruct(kSection, key, data, size, iniPath) == kOsErrorSuccess;
}

// Elevated, the values are gathered and written together by
// RewriteSettingsFile; otherwise each goes to the profile functions.
const uint32_t kSettingsToWrite = 8;
struct SettingsWrite {
  bool gather;
  uint32_t count;
  ProfileValue values[kSettingsToWrite];
  char texts[kSettingsToWrite][2 * sizeof(StoredPlacement) + 3];  // the longest value
};
static_assert(sizeof(int32_t) * kColumnWidthSlots <= sizeof(StoredPlacement), "value texts");

static void WriteInt(SettingsWrite* write, const char* key, int32_t value) {
  char* text = write->texts[write->count];
  FormatSettingInt(value, text);
  if (write->gather) {
    write->values[write->count++] = {key, text};
  } else {
    OsProfileWriteString(kSection, key, text, iniPath);
  }
}

static void WriteStruct(SettingsWrite* write, const char* key, const void* data, uint32_t size) {
  if (write->gather) {
    char* text = write->texts[write->count];
    EncodeProfileStruct(data, size, text);
    write->values[write->count++] = {key, text};
  } else {
    OsProfileWriteStruct(kSection, key, data, size, iniPath);
  }
}

// A settings file longer than this was not written by the program: it is
// not read into memory to be rewritten.
const uint32_t kMaxRewrittenFile = 1u << 20;

// An elevated process writes beside a program that often sits where its
// unelevated user can write (Downloads, a USB stick), so any program of
// that user may have put a hard link or a reparse point there in place of
// the file, to have the write land in a file of the system's. The file is
// therefore written only when it is a plain file with a single name, and
// through the one handle that was checked: held open, it keeps its name
// until it is written and closed. Otherwise nothing is saved.
static void RewriteSettingsFile(const ProfileValue* values, uint32_t count) {
  OsFile file;
  if (OsOpenFileToRewrite(iniPath, &file) != kOsErrorSuccess) return;
  OsFileFacts facts;
  if (OsGetFileFacts(file, &facts) == kOsErrorSuccess &&
      (facts.attributes & (kOsFileAttributeReparsePoint | kOsFileAttributeDirectory)) == 0 &&
      facts.links == 1 && facts.size <= kMaxRewrittenFile) {
    const uint32_t size = static_cast<uint32_t>(facts.size);
    HeapBlock<char> text(size);
    uint64_t merged = 0;
    // A file that could not be read whole is left as it is: what was not
    // read would be lost.
    if (OsReadFileStart(file, text.Get(), size) == kOsErrorSuccess &&
        MergeProfileSection(text.Get(), size, kSection, values, count, nullptr, 0, &merged)) {
      HeapBlock<char> out(merged);
      MergeProfileSection(text.Get(), size, kSection, values, count, out.Get(), merged, &merged);
      OsReplaceFileContent(file, out.Get(), static_cast<uint32_t>(merged));
    }
  }
  OsCloseFile(file);
}

StartupSettings ReadStartupSettings(int32_t screenDpi, int32_t themesActive) {
  StartupSettings s = {};
  s.showVerInCaption = ReadInt("ShowVerInCaption", 1);
  s.showDeviceId = ReadInt("ShowDeviceId", 0) != 0;
  s.showLocation = ReadInt("ShowLocation", 0) != 0;
  s.storedDpi = ReadInt("DPI", 0);
  int32_t stored[kColumnWidthSlots];
  bool read = ReadStruct("ColumnWidths", stored, sizeof stored);
  StartupColumnWidths(read ? stored : nullptr, s.storedDpi, screenDpi, s.columnWidths);
  s.sortColumn = SortSlot(ReadInt("SortCol", 0));  // a hand-edited value names no column
  s.sortDirection = ReadInt("SortDir", 1);
  s.visualStyles = themesActive ? ReadInt("VisualStyles", 1) != 0 : 1;
  s.hasPlacement = ReadStruct("WindowPlacement", &s.placement, sizeof s.placement);
  return s;
}

void TakeColumnWidths(ViewState* view, const int32_t* present, int32_t count) {
  for (int32_t place = 0; place < count; place++) {
    int32_t column = ColumnAtPlace(*view, place);
    if (column >= 0) view->settings.columnWidths[column] = present[place];
  }
}

void WriteSettings(const SettingsToSave& s) {
  if (iniPath[0] == 0) return;
  SettingsWrite write = {};
  write.gather = OsRunsElevated();
  if (s.hasPlacement) WriteStruct(&write, "WindowPlacement", &s.placement, sizeof s.placement);
  WriteInt(&write, "SortCol", s.sortColumn);
  WriteInt(&write, "SortDir", s.sortDirection);
  WriteInt(&write, "ShowDeviceId", s.showDeviceId);
  WriteInt(&write, "ShowLocation", s.showLocation);
  WriteInt(&write, "VisualStyles", s.visualStyles);
  WriteStruct(&write, "ColumnWidths", s.columnWidths, sizeof s.columnWidths);
  WriteInt(&write, "DPI", s.screenDpi);
  if (write.gather) RewriteSettingsFile(write.values, write.count);
}
