#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/process.h"
#include "platform/sim/profile_codec.h"
#include "platform/sim/sim.h"
#include "ui/settings_rules.h"

namespace {

const char kFile[] = "C:\\Tools\\varnick.ini";

std::vector<int32_t> Widths(const int32_t* widths) {
  return std::vector<int32_t>(widths, widths + kColumnWidthSlots);
}

// An unelevated process: every value goes through the profile functions.
class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    SimSetElevated(0);
    strcpy(iniPath, kFile);
  }
  void TearDown() override { iniPath[0] = 0; }
  std::string Value(const std::string& key) {
    std::string value = "(none)";
    SimProfileGet(kFile, "Settings", key, &value);
    return value;
  }
  void Set(const std::string& key, const std::string& value) {
    SimProfileSet(kFile, "Settings", key, value);
  }
};

TEST_F(SettingsFile, WithoutAFileEverySettingTakesItsDefault) {
  StartupSettings s = ReadStartupSettings(120, 1);
  EXPECT_EQ(1, s.showVerInCaption);
  EXPECT_EQ(0, s.showDeviceId);
  EXPECT_EQ(0, s.storedDpi);
  EXPECT_EQ(0, s.showLocation);
  EXPECT_EQ((std::vector<int32_t>{100, 250, 388, 81, 188, 300, 106}), Widths(s.columnWidths));
  EXPECT_EQ(0, s.sortColumn);
  EXPECT_EQ(1, s.sortDirection);
  EXPECT_EQ(1, s.visualStyles);
  EXPECT_EQ(0, s.hasPlacement);
}

TEST_F(SettingsFile, WhatIsSavedComesBackAtTheNextStart) {
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.placement = {44, 2, 2, -1, -1, -8, -8, 10, 20, 710, 520};  // minimized from maximized
  s.sortColumn = kLocationColumn;
  s.sortDirection = 0;
  s.showDeviceId = 1;
  s.showLocation = 1;
  s.visualStyles = 0;
  const int32_t widths[kColumnWidthSlots] = {90, 210, 320, 70, 400, 500, 85};
  memcpy(s.columnWidths, widths, sizeof widths);
  s.screenDpi = 96;
  WriteSettings(s);
  EXPECT_EQ("5", Value("SortCol"));
  EXPECT_EQ("0", Value("SortDir"));
  EXPECT_EQ("1", Value("ShowDeviceId"));
  EXPECT_EQ("1", Value("ShowLocation"));
  EXPECT_EQ("0", Value("VisualStyles"));
  EXPECT_EQ("96", Value("DPI"));
  EXPECT_EQ("(none)", Value("ShowVerInCaption"));  // never written

  StartupSettings back = ReadStartupSettings(96, 1);
  EXPECT_EQ(1, back.showDeviceId);
  EXPECT_EQ(1, back.showLocation);
  EXPECT_EQ(0, back.visualStyles);
  EXPECT_EQ(96, back.storedDpi);
  EXPECT_EQ(Widths(widths), Widths(back.columnWidths));
  EXPECT_EQ(kLocationColumn, back.sortColumn);
  EXPECT_EQ(0, back.sortDirection);
  ASSERT_EQ(1, back.hasPlacement);
  EXPECT_EQ(0, memcmp(&s.placement, &back.placement, sizeof s.placement));
  // Read while themes are off, the theme choice is not read at all.
  EXPECT_EQ(1, ReadStartupSettings(96, 0).visualStyles);
}

TEST_F(SettingsFile, OnlyTheColumnsPresentUpdateTheirWidths) {
  const int32_t present[6] = {1, 2, 3, 4, 998, 999};
  const struct {
    int32_t deviceId, location;
    std::vector<int32_t> widths;
  } cases[] = {
      {0, 0, {1, 2, 3, 4, 150, 240, 85}},
      {1, 0, {1, 2, 3, 4, 998, 240, 85}},
      {0, 1, {1, 2, 3, 4, 150, 998, 85}},  // Location stands where Device ID would
      {1, 1, {1, 2, 3, 4, 998, 999, 85}},
  };
  for (const auto& c : cases) {
    ViewState view = InitialViewState();
    const int32_t widths[kColumnWidthSlots] = {80, 200, 310, 65, 150, 240, 85};
    memcpy(view.settings.columnWidths, widths, sizeof widths);
    view.showDeviceId = c.deviceId;
    view.showLocation = c.location;
    TakeColumnWidths(&view, present, ShownColumnCount(view));
    EXPECT_EQ(c.widths, Widths(view.settings.columnWidths)) << c.deviceId << c.location;
  }
}

TEST_F(SettingsFile, AHandBrokenFileGivesTheDefaultsAndNeverIndexesOutside) {
  Set("ColumnWidths", "50000000C80000003601000041000000960000005500000055000000D1");  // sum off
  Set("WindowPlacement", "2C000000");  // too short
  Set("DPI", "garbage");
  Set("SortCol", "99");
  Set("SortDir", "0");
  StartupSettings s = ReadStartupSettings(96, 1);
  EXPECT_EQ(0, s.storedDpi);
  EXPECT_EQ((std::vector<int32_t>{80, 200, 310, 65, 150, 240, 85}), Widths(s.columnWidths));
  EXPECT_EQ(0, s.sortColumn);
  EXPECT_EQ(0, s.sortDirection);
  EXPECT_EQ(0, s.hasPlacement);

  for (const char* column : {"-1", "10", "2147483647", "-2147483648"}) {
    Set("SortCol", column);
    EXPECT_EQ(0, ReadStartupSettings(96, 1).sortColumn) << column;
  }
  // Negative widths are passed on as they are; the list decides what they mean.
  const int32_t negative[kColumnWidthSlots] = {-5, 200, 310, 65, 150, 85, 85};
  char text[64];
  EncodeProfileStruct(negative, sizeof negative, text);
  Set("ColumnWidths", text);
  Set("DPI", "-96");
  s = ReadStartupSettings(96, 1);
  EXPECT_EQ(-96, s.storedDpi);
  EXPECT_EQ(5, s.columnWidths[0]);
  EXPECT_EQ(-200, s.columnWidths[1]);
}

TEST_F(SettingsFile, AFailedWriteIsIgnoredAndTheRestWritten) {
  Set("WindowPlacement", "as it was");
  SimProfileFailWrites(1);  // the placement, written first
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.screenDpi = 120;
  WriteSettings(s);
  EXPECT_EQ("as it was", Value("WindowPlacement"));
  EXPECT_EQ("120", Value("DPI"));  // the last
}

// A program path without an exact ANSI form names no settings file.
TEST_F(SettingsFile, WithoutASettingsFileNothingIsReadOrWritten) {
  Set("ShowDeviceId", "1");
  iniPath[0] = 0;
  EXPECT_EQ(0, ReadStartupSettings(96, 1).showDeviceId);
  SettingsToSave s = {};
  s.hasPlacement = 1;
  for (int32_t elevated : {0, 1}) {
    SimSetElevated(elevated);
    WriteSettings(s);
  }
  EXPECT_EQ(0, SimProfileWriteCount());
  EXPECT_EQ(0, SimFileWriteCount());
  SimFile none;
  EXPECT_FALSE(SimFileGet("", &none));
}

struct ElevatedSave {
  const char* name;
  bool exists;
  SimFile file;
  int failedReads;
  bool written;
};

// Elevated, the file is written through one handle, and only when it is a
// plain file with one name; else nothing is saved at all, by no path.
TEST_F(SettingsFile, AnElevatedSaveWritesOnlyIntoAPlainFileWithASingleName) {
  SettingsToSave s = {};
  s.hasPlacement = 1;
  s.placement = {44, 0, 1, -1, -1, -1, -1, 10, 20, 710, 520};
  s.sortColumn = 2;
  s.sortDirection = 1;
  memcpy(s.columnWidths, kDefaultColumnWidths, sizeof s.columnWidths);
  s.screenDpi = 120;
  char placement[2 * sizeof s.placement + 3], widths[2 * sizeof s.columnWidths + 3];
  EncodeProfileStruct(&s.placement, sizeof s.placement, placement);
  EncodeProfileStruct(s.columnWidths, sizeof s.columnWidths, widths);
  const std::string keys = std::string("WindowPlacement=") + placement + "\r\nSortCol=2\r\nSortDir=1\r\n" +
                           "ShowDeviceId=0\r\nShowLocation=0\r\nVisualStyles=0\r\nColumnWidths=" + widths + "\r\nDPI=120\r\n";
  const std::string other = "; kept\r\n[Other]\r\nDPI=1\n[settings]\r\nsortcol=4\r\n";
  const SimFile plain = {other, 0x20, 1};
  const std::vector<ElevatedSave> cases = {
      {"no file yet", false, {}, 0, true},
      {"a plain file", true, plain, 0, true},
      {"a hard link", true, {other, 0x20, 2}, 0, false},
      {"a symbolic link or mount point", true, {other, 0x420, 1}, 0, false},
      {"a directory", true, {"", 0x10, 1}, 0, false},
      {"longer than a megabyte", true, {std::string((1 << 20) + 1, '\n'), 0x20, 1}, 0, false},
      {"unreadable", true, plain, 1, false},
      {"in UTF-16", true, {"\xFF\xFE[\0", 0x20, 1}, 0, false},
  };
  for (const ElevatedSave& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    if (c.exists) SimFileSet(kFile, c.file);
    SimFileFailReads(c.failedReads);
    WriteSettings(s);
    SimFile after;
    ASSERT_TRUE(SimFileGet(kFile, &after));
    if (!c.written) {
      EXPECT_TRUE(c.file.content == after.content) << "changed";  // no diff of a megabyte
    } else if (c.exists) {
      EXPECT_EQ("; kept\r\n[Other]\r\nDPI=1\n[settings]\r\nsortcol=2\r\n" +
                    keys.substr(0, keys.find("SortCol")) + keys.substr(keys.find("SortDir")),
                after.content);
    } else {
      EXPECT_EQ("[Settings]\r\n" + keys, after.content);
    }
    EXPECT_EQ(c.written ? 1 : 0, SimFileWriteCount());
    EXPECT_EQ(0, SimProfileWriteCount());
    EXPECT_EQ(0, SimOpenFileCount());
  }
}

}  // namespace
