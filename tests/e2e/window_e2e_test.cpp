// The main window under Wine, driven as a user drives it: real clicks and
// keys through the X server, the list read from outside the process.
#include <gtest/gtest.h>

#include "tests/e2e/window_fixture.h"

namespace {

const char kPortsInterface[] = "{86E0D1E0-8089-11D0-9CE4-08003E301F73}";
const char kMouseInterface[] = "{378DE44C-56EF-11D1-BC8C-00A0C91405DD}";
const char kPortsClass[] = "{4D36E978-E325-11CE-BFC1-08002BE10318}";
const char kModemInterface[] = "{2C7089AA-2E0E-11D1-B114-00C04FC2AAE4}";

// Ports 1 to 4 and 9 reserved; 3 and 4 carry fixture devices, 7 a modem.
const std::string kComDb = "0f01" + std::string(60, '0');

// Tests that add devices of their own leave them to the suite's end, where
// every fixture device is removed.
class MainWindow : public WindowTest {
 protected:
  static void SetUpTestSuite() {
    ClearFixtureDevices();
    AddFixtureDevice("ports", "WINPORT", "COM3", "USB Serial Port (COM3)");
    AddFixtureDevice("ports", "WINPORTB", "COM4", "");
    AddFixtureDevice("modem", "WINMODEM", "COM7", "Sample Modem");
  }
  static void TearDownTestSuite() { ClearFixtureDevices(); }
  void SetUp() override { Start(kComDb); }
};

TEST_F(MainWindow, ShowsEveryPortWithItsReservationAndDevice) {
  ListSnapshot list = Open();
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/main-window.png");
  EXPECT_EQ("Varnick V1.0.5", window_.caption);
  EXPECT_TRUE(window_.clearEnabled);
  EXPECT_TRUE(window_.removeEnabled);
  EXPECT_EQ((std::vector<std::string>{"Port^", "Kernel Name", "Device", "Class"}), list.header);
  EXPECT_EQ(" 5 ports reserved", list.status0);
  EXPECT_EQ(" Selected Devices: 0", list.status1);
  EXPECT_EQ(-1, list.focused);
  for (int i = 0; i < 256; i++) {
    const ListRow& row = list.rows[i];
    int port = i + 1;
    ASSERT_EQ("COM" + std::to_string(port), row.texts[0]);
    EXPECT_EQ(port <= 4 || port == 9, row.checked) << row.texts[0];
    EXPECT_FALSE(row.selected);
    if (port != 1 && port != 3 && port != 4 && port != 7) {
      EXPECT_EQ((std::vector<std::string>{row.texts[0], "", "", ""}), row.texts);
    }
  }
  // No serial or modem device carries COM1, but Wine's serial driver named
  // it (\Device\Serial0 in SERIALCOMM): it is in use, whatever its class.
  EXPECT_EQ((std::vector<std::string>{"COM1", "\\Device\\Serial0", "(in use)", "---"}),
            list.rows[0].texts);
  // No DOS name exists for these ports here, so the kernel name is "---";
  // COM4's device has no friendly name and shows its description.
  EXPECT_EQ((std::vector<std::string>{"COM3", "---", "USB Serial Port (COM3)", "Ports"}),
            list.rows[2].texts);
  EXPECT_EQ((std::vector<std::string>{"COM4", "---", "Varnick test device", "Ports"}),
            list.rows[3].texts);
  EXPECT_EQ((std::vector<std::string>{"COM7", "---", "Sample Modem", "Modem"}), list.rows[6].texts);
}

TEST_F(MainWindow, FollowsOutsideWritesAndKeepsOrderFocusAndScroll) {
  Open();
  ClickHeader(0);  // Port, now descending
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[0] == "Portv"; }, &list));
  EXPECT_EQ("COM256", list.rows[0].texts[0]);
  // Scroll down a few pages and focus a row there by clicking it.
  PressKeys("Page_Down Page_Down Page_Down");
  list = ReadList();
  int clicked = list.top + 2;
  ClickCell(clicked, 2);
  ListSnapshot before = ReadList();
  ASSERT_TRUE(before.rows[clicked].focused);
  ASSERT_GT(before.top, 0);
  const std::string clickedPort = before.rows[clicked].texts[0];

  // Another process writes ComDB, many times at once: 64 bytes, all free
  // but port 100.
  std::string longer(128, '0');
  longer[25] = '8';  // port 100: byte 12, bit 3
  for (int i = 0; i < 5; i++) RegSet(kComArbiter, "ComDB", 3, longer);
  double start = Now();
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows.size() == 512; }, &list, 5));
  EXPECT_LT(Now() - start, 3.0);
  EXPECT_EQ(" 1 ports reserved", list.status0);
  EXPECT_EQ("COM512", list.rows[0].texts[0]);
  EXPECT_EQ("Portv", list.header[0]);
  EXPECT_EQ(before.top, list.top);
  EXPECT_TRUE(list.rows[list.RowOf(clickedPort)].focused);  // 256 rows further down now
  EXPECT_TRUE(list.rows[list.RowOf("COM100")].checked);

  // A shorter value gives fewer rows.
  RegSet(kComArbiter, "ComDB", 3, "FF");
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows.size() == 8; }, &list, 5));
  EXPECT_EQ(" 8 ports reserved", list.status0);
}

TEST_F(MainWindow, ClickingACheckBoxEditsThatPortWhateverTheOrder) {
  ListSnapshot list = Open();
  // Ascending by port: free COM2.
  ClickCell(list.RowOf("COM2"), -1);
  list = WaitForCheck("COM2", false);
  EXPECT_EQ("3 0d01" + std::string(60, '0'), ComDb());
  EXPECT_EQ(" 4 ports reserved", list.status0);

  // Descending by port: reserve COM5.
  ClickHeader(0);
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[0] == "Portv"; }, &list));
  PressKeys("End");
  list = ReadList();
  ClickCell(list.RowOf("COM5"), -1);
  WaitForCheck("COM5", true);
  EXPECT_EQ("3 1d01" + std::string(60, '0'), ComDb());

  // By device: rows without a device come first, ties ordered by the Port
  // text; then COM1 "(in use)", the modem and the two ports. Free COM3.
  ClickHeader(2);
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[2] == "Device^"; }, &list));
  EXPECT_EQ("COM10", list.rows[0].texts[0]);
  EXPECT_EQ("COM100", list.rows[1].texts[0]);
  EXPECT_EQ("COM1", list.rows[252].texts[0]);
  EXPECT_EQ("COM7", list.rows[253].texts[0]);
  ASSERT_EQ("COM3", list.rows[254].texts[0]);
  EXPECT_EQ("COM4", list.rows[255].texts[0]);
  PressKeys("End");
  ClickCell(254, -1);
  list = WaitForCheck("COM3", false);
  EXPECT_EQ("3 1901" + std::string(60, '0'), ComDb());
  EXPECT_EQ("Device^", list.header[2]);
  EXPECT_EQ(" 4 ports reserved", list.status0);
}

TEST_F(MainWindow, OneClickSetsEverySelectedRow) {
  ListSnapshot list = Open();
  ClickCell(9, 1);                // COM10
  ClickCell(10, 1, "ctrl");       // COM11
  ClickCell(11, 1, "ctrl");       // COM12
  list = ReadList();
  ASSERT_EQ(3, list.selectedCount);
  EXPECT_EQ(" Selected Devices: 3", list.status1);
  ClickCell(12, -1);              // the box of COM13, not selected yet
  list = WaitForCheck("COM13", true);
  for (const char* port : {"COM10", "COM11", "COM12", "COM13"}) {
    EXPECT_TRUE(list.rows[list.RowOf(port)].checked) << port;
  }
  EXPECT_EQ("3 0f1f" + std::string(60, '0'), ComDb());
  EXPECT_EQ(" 9 ports reserved", list.status0);
}

// vtool's devchange with a row: the times, in ms from the first message,
// at which each later one went and the refresh that filled the row began.
std::vector<int> DeviceChangeTimes(const std::vector<std::string>& args) {
  std::vector<int> times;
  for (const std::string& t : Split(RunVtool(args), ' ')) times.push_back(std::stoi(t));
  return times;
}

// Timed inside one vtool process, so that no program's start-up enters it.
TEST_F(MainWindow, WatchedDeviceArrivalsRefreshTheListAfterHalfASecond) {
  ListSnapshot list = Open();
  // A device added behind the program's back shows only after a refresh.
  AddFixtureDevice("ports", "WINLATE", "COM20", "Late Adapter");
  RunVtool({"devchange", "8000", kMouseInterface});
  RunVtool({"devchange", "8000", kPortsInterface, "3"});  // a port broadcast
  usleep(1500000);
  list = ReadList();
  EXPECT_EQ("", list.rows[19].texts[2]) << "a refresh ran for another class";

  std::vector<int> times = DeviceChangeTimes({"devchange", "8000", kPortsInterface, "5", "19"});
  ASSERT_EQ(1u, times.size());
  EXPECT_GE(times[0], 450);
  EXPECT_LT(times[0], 3000);
  list = ReadList();
  EXPECT_EQ("Late Adapter", list.rows[19].texts[2]);

  // The Ports setup class, and a removal of a modem interface, refresh too.
  struct {
    const char* event;
    const char* guid;
    const char* port;
  } watched[] = {{"8000", kPortsClass, "COM21"}, {"8004", kModemInterface, "COM22"}};
  for (const auto& w : watched) {
    SCOPED_TRACE(w.guid);
    AddFixtureDevice("ports", std::string("WIN") + w.port, w.port, std::string("Adapter ") + w.port);
    std::string row = std::to_string(std::stoi(std::string(w.port).substr(3)) - 1);
    times = DeviceChangeTimes({"devchange", w.event, w.guid, "5", row});
    ASSERT_EQ(1u, times.size());
    EXPECT_GE(times[0], 450) << "no refresh";
  }

  // A second arrival within the half second starts the delay again: the
  // refresh comes half a second after it, not after the first.
  AddFixtureDevice("ports", "WINAGAIN", "COM23", "Adapter COM23");
  times = DeviceChangeTimes({"devchange", "8000", kPortsInterface, "5", "22", "300"});
  ASSERT_EQ(2u, times.size());
  ASSERT_LT(times[0], 450) << "the second arrival went too late to show anything";
  EXPECT_GE(times[1] - times[0], 450) << "the first arrival's delay was not restarted";
  EXPECT_LT(times[1], 3000);
}

TEST_F(MainWindow, KeysAndMenuCommandsRefreshSelectAndShowTheDeviceId) {
  ListSnapshot list = Open();
  // F5 picks up a device that arrived without any message.
  AddFixtureDevice("ports", "WINQUIET", "COM30", "Quiet Adapter");
  PressKeys("F5");
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows[29].texts[2] != ""; }, &list,
                          5));
  EXPECT_EQ("Quiet Adapter", list.rows[29].texts[2]);
  // Ctrl+A selects every row; Escape does nothing at all.
  ClickCell(0, 1);
  PressKeys("ctrl+a Escape");
  list = ReadList();
  EXPECT_EQ(256, list.selectedCount);
  EXPECT_EQ(" Selected Devices: 256", list.status1);
  // "Show Device ID" adds the fifth column and fills it; again removes it.
  RunVtool({"post", "111", "9d0a"});
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 5; }, &list, 5));
  EXPECT_EQ("Device ID", list.header[4]);
  EXPECT_EQ("ROOT\\VARNICKWINPORT\\0000", list.rows[2].texts[4]);
  EXPECT_EQ("", list.rows[4].texts[4]);
  RunVtool({"post", "111", "9d0a"});
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 4; }, &list, 5));
}

TEST_F(MainWindow, KeepsItsLayoutAndMinimumSizeWhenResized) {
  Open();
  for (int step = 0; step < 2; step++) {
    std::map<std::string, ScreenRect> r = WindowRects();
    // Drag the size grip: first to a smaller window, then far past the minimum.
    int x = r["status"].right - 4, y = r["status"].bottom - 4;
    int dx = step == 0 ? -150 : -2000, dy = step == 0 ? -100 : -2000;
    DragFromTo(x, y, x + dx, y + dy);
    r = WindowRects();
    int width = r["window"].right - r["window"].left;
    int height = r["window"].bottom - r["window"].top;
    SCOPED_TRACE("step " + std::to_string(step) + ": " + std::to_string(width) + " x " +
                 std::to_string(height));
    if (step == 0) {
      EXPECT_LT(width, 700);
    } else {
      EXPECT_EQ(300, width);
      EXPECT_EQ(200, height);
    }
    EXPECT_EQ(r["status"].top, r["list"].bottom);
    EXPECT_EQ(r["client"].bottom, r["status"].bottom);
    EXPECT_EQ(r["client"].left, r["list"].left);
    EXPECT_EQ(r["client"].right + 2, r["list"].right);
    EXPECT_EQ(r["client"].right, r["status"].right);
  }
}

TEST_F(MainWindow, ClosesWithExitCodeZeroFromTheCloseBoxAndAltF4) {
  Open();
  std::map<std::string, ScreenRect> r = WindowRects();
  // The close box is the rightmost of the caption's buttons.
  ClickAt(r["window"].right - 12, r["window"].top + (r["client"].top - r["window"].top) / 4);
  EXPECT_EQ(0, WaitForExit(pid_, 10));
  pid_ = 0;
  EXPECT_EQ("3 " + kComDb, ComDb());

  Open();
  PressKeys("alt+F4");
  EXPECT_EQ(0, WaitForExit(pid_, 10));
  pid_ = 0;
}

TEST_F(MainWindow, RestrictedRefusesEveryEditAndPutsTheBoxBack) {
  ListSnapshot list = Open("varnick_restricted.exe");
  EXPECT_EQ("Varnick V1.0.5  [Restricted]", window_.caption);
  EXPECT_FALSE(window_.clearEnabled);
  EXPECT_FALSE(window_.removeEnabled);
  // Selecting rows is allowed and shows no error.
  ClickCell(5, 2);
  for (int row : {1, 5}) {  // a checked box and an unchecked one
    SCOPED_TRACE(row);
    bool checked = list.rows[row].checked;
    ClickCell(row, -1);
    std::string box = RunVtool({"msgbox", "10000"});
    EXPECT_EQ("Error|Admin privileges are required|error", box);
    WaitForCheck(list.rows[row].texts[0], checked);
  }
  EXPECT_EQ("3 " + kComDb, ComDb());
}

// A refresh reorders the rows when a device arrives: the focus stays with
// the port the user chose (here with the keyboard), so that Delete, Space
// or Copy act on it and on no other.
TEST_F(MainWindow, TheFocusAndTheSelectionFollowTheirPortsThroughARefresh) {
  Open();
  ClickHeader(2);
  ClickHeader(2);  // by Device, descending: COM4, COM3, COM7 first
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[2] == "Devicev"; }, &list));
  ASSERT_EQ("COM4", list.rows[0].texts[0]);
  ClickCell(0, 2);
  PressKeys("shift+Down");
  list = ReadList();
  ASSERT_EQ("COM3", list.rows[list.focused].texts[0]);
  ASSERT_EQ(2, list.selectedCount);
  auto marks = [](const ListSnapshot& l) {
    std::string text;
    for (const ListRow& row : l.rows) {
      if (row.selected) text += row.texts[0] + (row.focused ? "* " : " ");
    }
    return text + (l.focused < 0 ? "(no focus)" : "");
  };

  // A device whose name sorts first arrives: COM4 and COM3 move down a row.
  AddFixtureDevice("ports", "WINFIRST", "COM50", "Windows Adapter (COM50)");
  PressKeys("F5");
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.rows[0].texts[0] == "COM50"; },
                          &list, 5));
  EXPECT_EQ("COM4 COM3* ", marks(list));
  EXPECT_EQ(2, list.RowOf("COM3"));
  ClickCell(0, 2, "ctrl");  // COM50 joins, with the focus
  ClickHeader(0);           // by Port
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[0] == "Portv"; }, &list));
  EXPECT_EQ("COM50* COM4 COM3 ", marks(list));

  // ComDB shrinks to COM1 to COM8: COM50's row is gone, and no other row
  // takes its focus or its place in the selection.
  RegSet(kComArbiter, "ComDB", 3, "ff");
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.count == 8; }, &list, 5));
  EXPECT_EQ("COM4 COM3 (no focus)", marks(list));
  EXPECT_EQ(2, list.selectedCount);
}

// A refresh fills the list in the order it works out from the devices; a
// header click has the list sort its own texts. For every column and both
// directions both give the same rows, ties included: two devices share a
// name, and the Port texts that break their tie, COM10 and COM9, order
// one way as text and the other as numbers. The Location column sorts in
// the place Device ID had.
TEST_F(MainWindow, ARefreshGivesTheOrderTheListsOwnSortGives) {
  AddFixtureDevice("ports", "WINTWINA", "COM9", "Twin Adapter");
  AddFixtureDevice("ports", "WINTWINB", "COM10", "Twin Adapter");
  Open();
  RunVtool({"post", "111", "9d0a"});  // the Device ID column too
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header.size() == 5; }, &list, 5));
  PressKeys("Page_Down");
  ClickCell(ReadList().top + 1, 2);
  std::vector<std::string> header = list.header;
  auto sortAndRefresh = [&header](int column) {
    for (int click = 0; click < 2; click++) {
      ClickHeader(column);
      ListSnapshot sorted;
      ASSERT_TRUE(WaitForList([&](const ListSnapshot& l) { return l.header != header; }, &sorted));
      RunVtool({"refreshbench", "1"});
      ListSnapshot refreshed = ReadList();
      SCOPED_TRACE(sorted.header[column]);
      ASSERT_EQ(sorted.rows.size(), refreshed.rows.size());
      for (size_t r = 0; r < sorted.rows.size(); r++) {
        const ListRow& a = sorted.rows[r];
        const ListRow& b = refreshed.rows[r];
        ASSERT_EQ(a.texts, b.texts) << "row " << r;
        ASSERT_EQ(a.checked, b.checked) << a.texts[0];
        ASSERT_EQ(a.selected, b.selected) << a.texts[0];
        ASSERT_EQ(a.focused, b.focused) << a.texts[0];
      }
      EXPECT_EQ(sorted.top, refreshed.top);
      EXPECT_EQ(sorted.header, refreshed.header);
      header = refreshed.header;
    }
  };
  for (int column = 0; column < 5; column++) sortAndRefresh(column);
  RunVtool({"post", "111", "9d0b"});  // Location
  RunVtool({"post", "111", "9d0a"});  // and Device ID no more
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) { return l.header.size() == 5 && l.header[4] == "Location"; }, &list,
      5));
  header = list.header;
  sortAndRefresh(4);
}

}  // namespace
