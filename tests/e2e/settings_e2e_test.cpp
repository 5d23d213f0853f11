// The settings file beside the program under Wine, read by Wine's own
// profile functions and written, since every process is elevated under
// Wine, by the program through one held handle: what a close writes, what
// the next start makes of it, at another screen DPI, from a file edited by
// hand, and a file with a second name.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/e2e/window_fixture.h"

namespace {

const std::string kComDb = "01" + std::string(62, '0');
// 80, 200, 310, 65, 150, 85, 85: the built-in widths at 96 DPI.
const char kBuiltInWidths[] = "50000000C80000003601000041000000960000005500000055000000D0";

std::string IniPath() { return WindowsBuildFile("varnick.ini"); }

// The program as Wine's start command takes it: a DOS path on drive Z.
std::string ProgramForStart() { return DosPath(WindowsBuildFile("varnick.exe")); }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ReadIni() {
  std::string s = ReadFileBytes(IniPath());
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

void WriteFileBytes(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

void WriteIni(const std::string& text) { WriteFileBytes(IniPath(), text); }

// The value of a key of section Settings, "" when missing.
std::string IniValue(const std::string& key) {
  for (const std::string& line : Split(ReadIni(), '\n')) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "";
}

// A WINDOWPLACEMENT in the file's encoding: 44 bytes, then their checksum.
std::string PlacementText(uint32_t flags, uint32_t showCmd, int32_t left, int32_t top,
                          int32_t right, int32_t bottom) {
  const int32_t fields[11] = {44, static_cast<int32_t>(flags), static_cast<int32_t>(showCmd),
                              -1, -1, -1, -1, left, top, right, bottom};
  std::string text;
  unsigned sum = 0;
  char hex[3];
  for (int32_t field : fields) {
    for (int b = 0; b < 4; b++) {
      unsigned byte = (static_cast<uint32_t>(field) >> (8 * b)) & 0xFF;
      sum += byte;
      snprintf(hex, sizeof hex, "%02X", byte);
      text += hex;
    }
  }
  snprintf(hex, sizeof hex, "%02X", sum & 0xFF);
  return text + hex;
}

// showCmd of a stored placement.
unsigned StoredShowCommand(const std::string& text) {
  return text.size() == 90 ? static_cast<unsigned>(std::stoul(text.substr(16, 2), nullptr, 16)) : 0;
}

void SetScreenDpi(int dpi) {
  std::string ignored;
  if (dpi == 96) {
    RunWine({"/usr/lib/wine/wine64", "reg", "delete", "HKCU\\Control Panel\\Desktop", "/v",
             "LogPixels", "/f"},
            60, &ignored);
  } else {
    RunWine({"/usr/lib/wine/wine64", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v",
             "LogPixels", "/t", "REG_DWORD", "/d", std::to_string(dpi), "/f"},
            60, &ignored);
  }
  RestartWineServer();
}

class SettingsFile : public WindowTest {
 protected:
  void SetUp() override { Start(kComDb); }
  void TearDown() override {
    WindowTest::TearDown();
    unlink(IniPath().c_str());
    unlink(WindowsBuildFile("elsewhere.ini").c_str());
  }
  std::string Placement() { return RunVtool({"placement"}); }
};

// Drags the right edge of a column's header by dx pixels.
void DragColumnEdge(int column, int dx) {
  std::string p = RunVtool({"hedge", std::to_string(column)});
  int x = std::stoi(p), y = std::stoi(p.substr(p.find(' ') + 1));
  DragFromTo(x, y, x + dx, y);
}

TEST_F(SettingsFile, WhatACloseWritesTheNextStartRestores) {
  Open();
  ClickHeader(2);  // Device, ascending
  DragColumnEdge(1, 40);  // Kernel Name, 200 to 240
  Command(40202);  // the Device ID column, shown and widened, then hidden:
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 5; }, &list));
  DragColumnEdge(4, 50);
  Command(40202);  // its width is not kept
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 4; }, &list));
  Command(40202);
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 5; }, &list));
  EXPECT_EQ("80 240 310 65 150", RunVtool({"columns"}));
  Command(40203);  // and the Location column after it
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 6; }, &list));
  EXPECT_EQ("80 240 310 65 150 240", RunVtool({"columns"}));
  RunVtool({"post", "112", "f030"});  // maximize
  usleep(500000);
  ASSERT_EQ(0, Close());
  EXPECT_EQ("[Settings]", Split(ReadIni(), '\n')[0]);
  EXPECT_EQ("2", IniValue("SortCol"));
  EXPECT_EQ("1", IniValue("SortDir"));
  EXPECT_EQ("1", IniValue("ShowDeviceId"));
  EXPECT_EQ("1", IniValue("ShowLocation"));
  EXPECT_EQ("1", IniValue("VisualStyles"));
  EXPECT_EQ("96", IniValue("DPI"));
  // 80, 240, 310, 65, 150, 240, 85
  EXPECT_EQ("50000000F0000000360100004100000096000000F00000005500000093", IniValue("ColumnWidths"));
  EXPECT_EQ(3u, StoredShowCommand(IniValue("WindowPlacement"))) << IniValue("WindowPlacement");
  EXPECT_EQ("", IniValue("ShowVerInCaption"));  // never written

  list = Open();
  EXPECT_EQ((std::vector<std::string>{"Port", "Kernel Name", "Device^", "Class", "Device ID",
                                      "Location"}),
            list.header);
  EXPECT_EQ("80 240 310 65 150 240", RunVtool({"columns"}));
  EXPECT_EQ('3', Placement()[0]) << Placement();

  // Minimized from maximized and closed: the next start is maximized again.
  RunVtool({"post", "112", "f020"});
  usleep(500000);
  EXPECT_EQ('2', Placement()[0]) << Placement();
  RunVtool({"post", "10", "0"});
  EXPECT_EQ(0, WaitForExit(pid_, 10));
  pid_ = 0;
  EXPECT_EQ(2u, StoredShowCommand(IniValue("WindowPlacement")));
  Open();
  EXPECT_EQ('3', Placement()[0]) << Placement();
}

TEST_F(SettingsFile, WidthsFollowAnyOtherDpiAndThePlacementOnlyAPlausibleOne) {
  WriteIni("[Settings]\r\nColumnWidths=" + std::string(kBuiltInWidths) + "\r\nDPI=96\r\n" +
           "WindowPlacement=" + PlacementText(0, 1, 100, 100, 600, 400) + "\r\n");
  SetScreenDpi(144);
  Open();
  EXPECT_EQ("120 300 465 98", RunVtool({"columns"}));
  EXPECT_EQ("1 150 150 900 600 0", Placement());  // still inside the 1024 by 768 screen
  ASSERT_EQ(0, Close());
  EXPECT_EQ("144", IniValue("DPI"));

  // A stored DPI of 1000: the widths follow it, the rectangle does not.
  WriteIni("[Settings]\r\nColumnWidths=" + std::string(kBuiltInWidths) + "\r\nDPI=1000\r\n" +
           "WindowPlacement=" + PlacementText(0, 1, 100, 100, 700, 500) + "\r\n");
  Open();
  EXPECT_EQ("12 29 45 9", RunVtool({"columns"}));
  EXPECT_EQ("1 100 100 700 500 0", Placement());
  ASSERT_EQ(0, Close());
  SetScreenDpi(96);
}

// Wine's one screen is the Xvfb one, 1024 by 768, all of it work area.
// Wine itself moves a window whose rectangle lies off that screen, but
// leaves one larger than the screen hanging over its edges.
TEST_F(SettingsFile, APlacementFromALargerScreenOpensOnThisOne) {
  WriteIni("[Settings]\r\nWindowPlacement=" + PlacementText(0, 1, -100, -50, 1500, 1000) +
           "\r\n");
  Open();
  EXPECT_EQ("1 0 0 1024 768 0", Placement());
  ScreenRect r = WindowRects()["window"];
  EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 1024 && r.bottom <= 768)
      << r.left << " " << r.top << " " << r.right << " " << r.bottom;
}

TEST_F(SettingsFile, AFileEditedByHandGivesTheDefaults) {
  WriteIni(
      "[Settings]\r\n"
      "ColumnWidths=50000000C80000003601000041000000960000005500000055000000D1\r\n"
      "WindowPlacement=2C000000\r\n"
      "SortCol=99\r\n"
      "SortDir=0\r\n"
      "ShowDeviceId=abc\r\n"
      "DPI=xyz\r\n"
      "a line that is no setting at all\r\n"
      "VisualStyles=\r\n");
  ListSnapshot list = Open();
  EXPECT_EQ((std::vector<std::string>{"Portv", "Kernel Name", "Device", "Class"}), list.header);
  EXPECT_EQ("80 200 310 65", RunVtool({"columns"}));
  std::map<std::string, ScreenRect> r = WindowRects();
  EXPECT_EQ('1', Placement()[0]);
  EXPECT_NEAR(512, (r["window"].left + r["window"].right) / 2, 1) << "not centred";
  ASSERT_EQ(0, Close());
  EXPECT_EQ("0", IniValue("SortCol"));
  EXPECT_EQ("0", IniValue("SortDir"));

  // A negative width, with a right checksum, is handed to the list as it
  // is: the stored set is used, whatever the list makes of that one width.
  WriteIni("[Settings]\r\nColumnWidths=50000000CEFFFFFF3601000041000000960000005500000055000000D3\r\n");
  Open();
  std::vector<std::string> widths = Split(RunVtool({"columns"}), ' ');
  ASSERT_EQ(4u, widths.size());
  EXPECT_EQ("80", widths[0]);
  EXPECT_EQ("310", widths[2]);
  EXPECT_EQ("65", widths[3]);
  ASSERT_EQ(0, Close());

  // A placement stored hidden still opens a window that can be seen.
  WriteIni("[Settings]\r\nWindowPlacement=" + PlacementText(0, 0, 100, 100, 700, 500) + "\r\n");
  Open();
  EXPECT_EQ('1', Placement()[0]) << Placement();
}

TEST_F(SettingsFile, TheStartUpShowCommandWinsOverAStoredOneUnlessItIsTheDefault) {
  WriteIni("[Settings]\r\nWindowPlacement=" + PlacementText(0, 1, 100, 100, 700, 500) + "\r\n");
  // "start /min" asks for a minimized window without activation (7).
  std::string ignored;
  RunWine({"/usr/lib/wine/wine64", "start", "/min", ProgramForStart()}, 30, &ignored);
  ASSERT_TRUE(WaitForMainWindow(&window_));
  EXPECT_TRUE(WaitUntil([this] { return Placement()[0] == '2'; }, 5)) << Placement();  // minimized
  RunVtool({"post", "10", "0"});
  ASSERT_TRUE(WaitUntil([] { WindowInfo w; return !WaitForMainWindow(&w, 100); }, 10));

  // Without a stored placement the window opens centred and normal anyway.
  unlink(IniPath().c_str());
  RunWine({"/usr/lib/wine/wine64", "start", "/min", ProgramForStart()}, 30, &ignored);
  ASSERT_TRUE(WaitForMainWindow(&window_));
  usleep(500000);
  EXPECT_EQ('1', Placement()[0]) << Placement();
  RunVtool({"post", "10", "0"});
  ASSERT_TRUE(WaitUntil([] { WindowInfo w; return !WaitForMainWindow(&w, 100); }, 10));
}

// A settings file that is a hard link of another file (made by any
// program of the user, where the program's folder is the user's) is never
// written: the other file keeps its bytes. Once the other name is gone, the
// same file is written.
TEST_F(SettingsFile, AnElevatedCloseWritesNoFileWithASecondName) {
  const std::string elsewhere = WindowsBuildFile("elsewhere.ini");
  const std::string before = "; another program's\r\n[Settings]\r\nSortCol=3\r\n";
  WriteFileBytes(elsewhere, before);
  ASSERT_EQ(0, link(elsewhere.c_str(), IniPath().c_str()));
  for (int names : {2, 1}) {
    SCOPED_TRACE(names);
    Open();
    ClickHeader(2);  // by Device: SortCol=2 when saved
    ListSnapshot list;
    ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[2] == "Device^"; }, &list));
    ASSERT_EQ(0, Close());
    if (names == 2) {
      EXPECT_EQ(before, ReadFileBytes(elsewhere));
      struct stat facts;
      ASSERT_EQ(0, stat(IniPath().c_str(), &facts));
      EXPECT_EQ(2u, facts.st_nlink);
      unlink(elsewhere.c_str());
    } else {
      EXPECT_EQ("; another program's", Split(ReadIni(), '\n')[0]);
      EXPECT_EQ("2", IniValue("SortCol"));
    }
  }
}

}  // namespace
