// Work the window hands to the system, under Wine, as a user asks for it:
// property sheets, the restore point, Device Manager, the clipboard, the
// About box, the theme switch and the restart as administrator. Where Wine
// lacks the piece, the test prefix has a stand-in from tests/tools that
// records what it was handed.
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "tests/e2e/window_fixture.h"

namespace {

const std::string kComDb = "03" + std::string(62, '0');  // 1 in use (Wine's serial port), 2 stale

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (const std::string& line : Split(NoCarriageReturns(text), '\n')) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Right-clicks a cell, so that the context menu knows it, and closes the menu.
void PointAtCell(const ListSnapshot& list, const std::string& port, int column) {
  std::string p = RunVtool({"point", std::to_string(list.RowOf(port)), std::to_string(column)});
  ClickAt(std::stoi(p), std::stoi(p.substr(p.find(' ') + 1)), "", 3);
  RunVtool({"popup", "3000"});
  RunVtool({"type", "Escape"});
  usleep(300000);
}

class Actions : public WindowTest {
 protected:
  static void SetUpTestSuite() {
    ClearFixtureDevices();
    AddFixtureDevice("ports", "SHEETA", "COM3", "Sheet Adapter A");
    AddFixtureDevice("ports", "SHEETB", "COM4", "Sheet Adapter B");
    AddFixtureDevice("modem", "SHEETC", "COM5", "Sheet Modem C");
  }
  static void TearDownTestSuite() { ClearFixtureDevices(); }
  void SetUp() override {
    Start(kComDb);
    ClearStandInLogs();
  }
  void TearDown() override {
    RunVtool({"close", "Test sheet"});
    WindowTest::TearDown();
  }
};

TEST_F(Actions, PropertiesOpensASheetPerSelectedDeviceEachInItsOwnThread) {
  ListSnapshot list = Open();
  ClickCell(list.RowOf("COM3"), 1);
  for (const char* port : {"COM4", "COM5", "COM6"}) ClickCell(list.RowOf(port), 1, "ctrl");
  Command(40503);  // "&Properties"
  ASSERT_TRUE(WaitUntil([] { return Lines(StandInLog("devmgr.log")).size() == 3; }))
      << StandInLog("devmgr.log");
  std::set<std::string> threads;
  std::vector<std::string> ids;
  for (const std::string& line : Lines(StandInLog("devmgr.log"))) {
    std::vector<std::string> f = Split(line, '|');
    ASSERT_EQ(5u, f.size()) << line;
    EXPECT_EQ("0", f[0]);        // no owner window
    EXPECT_EQ("program", f[1]);  // the program's own instance
    EXPECT_EQ("5", f[3]);        // SW_SHOW
    ids.push_back(f[2]);
    threads.insert(f[4]);
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ((std::vector<std::string>{"/MachineName \"\" /DeviceID ROOT\\VARNICKSHEETA\\0000",
                                      "/MachineName \"\" /DeviceID ROOT\\VARNICKSHEETB\\0000",
                                      "/MachineName \"\" /DeviceID ROOT\\VARNICKSHEETC\\0000"}),
            ids);
  EXPECT_EQ(3u, threads.size());
  // Each sheet records itself before its window shows.
  EXPECT_TRUE(WaitUntil([] { return Lines(RunVtool({"windows", "Test sheet"})).size() == 3; }))
      << RunVtool({"windows", "Test sheet"}) << StandInLog("devmgr-errors.log");
  // The window goes on answering while the sheets are open.
  EXPECT_NO_THROW(RunVtool({"ping", "Varnick", "20"}));
  list = ReadList();
  EXPECT_EQ(4, list.selectedCount);

  // A row without a device opens nothing.
  RunVtool({"close", "Test sheet"});
  ClickCell(list.RowOf("COM6"), 1);
  PressKeys("Return");
  usleep(1000000);
  EXPECT_EQ(3u, Lines(StandInLog("devmgr.log")).size());
}

TEST_F(Actions, MoreThanTenSheetsAreAskedForFirst) {
  ListSnapshot list = Open();
  ClickCell(list.RowOf("COM1"), 1);
  ClickCell(list.RowOf("COM11"), 1, "shift");  // eleven rows, three with devices
  PressKeys("space");
  EXPECT_EQ("Varnick|This opens 11 property dialogs! Sure?|question", Box(7));  // No
  usleep(1000000);
  EXPECT_EQ("", StandInLog("devmgr.log"));
  ClickCell(list.RowOf("COM10"), 1, "shift");  // ten rows: no question
  PressKeys("space");
  EXPECT_TRUE(WaitUntil([] { return Lines(StandInLog("devmgr.log")).size() == 3; }))
      << StandInLog("devmgr.log");
  ClickCell(list.RowOf("COM11"), 1, "shift");
  PressKeys("space");
  EXPECT_EQ("Varnick|This opens 11 property dialogs! Sure?|question", Box(6));  // Yes
  EXPECT_TRUE(WaitUntil([] { return Lines(StandInLog("devmgr.log")).size() == 6; }))
      << StandInLog("devmgr.log");
}

TEST_F(Actions, ARestorePointIsAskedForAndItsOutcomeShown) {
  Open();
  WriteStandInFile("srclient-answer.txt", "ok");
  Command(40102);
  EXPECT_EQ("Varnick|System Restore Point successfully created|information", Box());
  EXPECT_EQ((std::vector<std::string>{"100|10|0|Before Varnick run"}), Lines(StandInLog("srclient.log")));
  WriteStandInFile("srclient-answer.txt", "fail 5");
  Command(40102);
  EXPECT_EQ("Varnick|Error ACCESS_DENIED creating system restore point|error", Box());
  ASSERT_EQ(0, Close());

  // Without administrator rights the item is grey; asked for all the same,
  // the failure says what is missing.
  Open("varnick_restricted.exe");
  Command(40102);
  EXPECT_EQ(
      "Varnick|Error ACCESS_DENIED creating system restore point\nAdmin privileges are required|error",
      Box());
}

// The user's own associations, which any program the user runs may
// write, point elsewhere: Device Manager is the system's console all the
// same, started by its full path, with non-present devices shown.
TEST_F(Actions, DeviceManagerIsTheSystemsConsoleWhateverTheUserAssociated) {
  const std::string classes = "HKCU\\Software\\Classes\\";
  const std::string perUser = "\"C:\\varnick-test\\recorder.exe\" per-user \"%1\"";
  std::string ignored;
  for (const auto& key : std::vector<std::pair<std::string, std::string>>{
           {".msc", "mscfile"}, {"mscfile\\shell\\open\\command", perUser},
           {"https\\shell\\open\\command", perUser}}) {
    RunWine({"/usr/lib/wine/wine64", "reg", "add", classes + key.first, "/ve", "/d", key.second, "/f"},
            60, &ignored);
  }
  Open();
  Command(40103);
  ASSERT_TRUE(WaitUntil([] { return !StandInLog("recorder.log").empty(); }));
  usleep(500000);
  EXPECT_EQ("\"C:\\windows\\system32\\mmc.exe\" \"C:\\windows\\system32\\devmgmt.msc\"|1|varnick.exe\n",
            NoCarriageReturns(StandInLog("recorder.log")));
  for (const char* key : {".msc", "mscfile", "https"}) {
    RunWine({"/usr/lib/wine/wine64", "reg", "delete", classes + key, "/f"}, 60, &ignored);
  }
}

TEST_F(Actions, CopyPutsTheClickedCellOnTheClipboardWaitingForItAboutASecond) {
  SetFixtureLocation("SHEETA", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)");
  ListSnapshot list = Open();
  // Ctrl+C: the selected rows, tab-separated under their column names, a
  // serial port's identity too, though the Location column is not shown.
  ClickCell(list.RowOf("COM1"), 1);
  ClickCell(list.RowOf("COM3"), 1, "ctrl");
  PressKeys("ctrl+c");
  const std::string rows =
      "Port\tPortName\tReserved\tKernelName\tDevice\tClass\tPresent\tDeviceInstanceId\t"
      "LocationPath\tHardwareId\tParentInstanceId\n"
      "1\tCOM1\t1\t\\Device\\Serial0\t(in use)\t\t1\t\t\t\t\n"
      "3\tCOM3\t0\t\tSheet Adapter A\tPorts\t1\tROOT\\VARNICKSHEETA\\0000\t"
      "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)\t\t";  // its line end trimmed
  EXPECT_TRUE(WaitUntil([&] { return NoCarriageReturns(RunVtool({"clipboard"})) == rows; }, 5))
      << RunVtool({"clipboard"});

  PointAtCell(list, "COM3", 0);
  Command(40502);  // "&Copy"
  ASSERT_TRUE(WaitUntil([] { return NoCarriageReturns(RunVtool({"clipboard"})) == "COM3"; }, 5));

  // Held by another program for 2 s: the copy gives up and changes nothing.
  PointAtCell(list, "COM3", 2);
  pid_t holder = StartProgram("vtool.exe", {"holdclip", "2000"});
  usleep(300000);
  Command(40502);
  EXPECT_EQ(0, WaitForExit(holder, 10));
  EXPECT_EQ("COM3", NoCarriageReturns(RunVtool({"clipboard"})));

  // Held for 0.5 s: the copy waits for it.
  holder = StartProgram("vtool.exe", {"holdclip", "500"});
  usleep(300000);
  Command(40502);
  EXPECT_EQ(0, WaitForExit(holder, 10));
  EXPECT_TRUE(WaitUntil(
      [] { return NoCarriageReturns(RunVtool({"clipboard"})) == "Sheet Adapter A"; }, 5));
}

TEST_F(Actions, TheAboutBoxShowsTheProgramAndOpensItsPage) {
  Open();
  Command(40300);
  std::vector<std::string> about = Lines(RunVtool({"about", "5000"}));
  ASSERT_EQ(4u, about.size());
  EXPECT_EQ("Varnick - (x64)|Frees COM port numbers, removes stale devices.|varnick.example|"
            "Version 1.0.5.0",
            about[0]);
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/about-box.png");
  auto rect = [](const std::string& line) {
    std::vector<std::string> f = Split(line, ' ');
    return ScreenRect{std::stoi(f[0]), std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])};
  };
  ScreenRect box = rect(about[1]), link = rect(about[2]), owner = rect(about[3]);
  EXPECT_NEAR((owner.left + owner.right) / 2, (box.left + box.right) / 2, 1);
  EXPECT_NEAR((owner.top + owner.bottom) / 2, (box.top + box.bottom) / 2, 1);

  // The hand over the link only.
  MoveMouse((link.left + link.right) / 2, (link.top + link.bottom) / 2);
  EXPECT_EQ("hand2", CursorName());
  MoveMouse(link.right + 30, (link.top + link.bottom) / 2);
  EXPECT_EQ("left_ptr", CursorName());
  MoveMouse((link.left + link.right) / 2, link.bottom + 2);
  EXPECT_EQ("left_ptr", CursorName());

  // A click on the notice line, above the link, opens the page too. With an
  // administrator's token the desktop's shell opens it, as the user.
  ClickAt(link.left + 20, link.top - 10);
  ASSERT_TRUE(WaitUntil([] { return !StandInLog("recorder.log").empty(); }));
  std::string opened = NoCarriageReturns(StandInLog("recorder.log"));
  EXPECT_NE(std::string::npos, opened.find("\"https://varnick.example/\"")) << opened;
  EXPECT_EQ("|explorer.exe\n", opened.substr(opened.rfind('|'))) << opened;

  // Escape leaves it open; Enter closes it, and so does its close box.
  RunVtool({"keysto", "About Varnick", "Escape"});
  usleep(500000);
  EXPECT_NO_THROW(RunVtool({"about", "100"}));
  RunVtool({"keysto", "About Varnick", "Return"});
  EXPECT_TRUE(WaitUntil([] { return Lines(RunVtool({"windows", "About Varnick"})).empty(); }, 5));
  Command(40300);
  about = Lines(RunVtool({"about", "5000"}));
  box = rect(about[1]);
  ClickAt(box.right - 8, box.top + 8);
  EXPECT_TRUE(WaitUntil([] { return Lines(RunVtool({"windows", "About Varnick"})).empty(); }, 5));
}

TEST_F(Actions, TheThemeChoiceIsSwitchedAndRemembered) {
  Open();
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/theme-on.png");
  Command(40210);
  usleep(500000);
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/theme-off.png");
  ASSERT_EQ(0, Close());
  std::string ini = WindowsBuildFile("varnick.ini");
  FILE* in = fopen(ini.c_str(), "rb");
  ASSERT_NE(nullptr, in);
  char text[4096] = {};
  fread(text, 1, sizeof text - 1, in);
  fclose(in);
  EXPECT_NE(nullptr, strstr(text, "VisualStyles=0"));

  Open();  // in the classic look from the start
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/theme-off-at-start.png");
  Command(40210);
  usleep(500000);
  ASSERT_EQ(0, Close());
  in = fopen(ini.c_str(), "rb");
  ASSERT_NE(nullptr, in);
  memset(text, 0, sizeof text);
  fread(text, 1, sizeof text - 1, in);
  fclose(in);
  EXPECT_NE(nullptr, strstr(text, "VisualStyles=1"));
}

// The restart gives the new instance no argument text: from a folder whose
// name holds a switch text it still opens the window, and changes nothing
// (a batch clear there would free COM2, which nothing holds). The item
// is grey for an administrator, whom Wine makes everyone; the command is
// given all the same.
TEST_F(Actions, RestartAsAdministratorOpensTheWindowWhereverTheProgramLives) {
  std::string folder = VARNICK_BUILD_ROOT "/e2e-copies/usb-com";
  ASSERT_EQ(0, system(("mkdir -p '" + folder + "' && cp '" + WindowsBuildFile("varnick.exe") +
                       "' '" + folder + "/varnick.exe' && rm -f '" + folder + "/varnick.ini'")
                          .c_str()));
  pid_ = StartProgramAt(folder + "/varnick.exe");
  ASSERT_TRUE(WaitForMainWindow(&window_));
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows.size() == 256; }, &list));
  Command(40101);
  EXPECT_EQ(0, WaitForExit(pid_, 15));
  pid_ = 0;
  WindowInfo restarted;
  ASSERT_TRUE(WaitForMainWindow(&restarted)) << "the restarted program showed no window";
  EXPECT_EQ("Varnick V1.0.5", restarted.caption);
  EXPECT_EQ(0, access((folder + "/varnick.ini").c_str(), F_OK)) << "no settings saved";
  EXPECT_EQ("3 " + kComDb, ComDb());
  RunVtool({"post", "10", "0"});
  EXPECT_TRUE(WaitUntil([] { WindowInfo w; return !WaitForMainWindow(&w, 100); }, 10));
}

}  // namespace
