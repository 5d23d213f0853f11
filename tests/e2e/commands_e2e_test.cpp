// The window's commands under Wine, as a user gives them: the two repair
// buttons, Delete, the context menu, the keys, and what happens when the
// user goes on clicking while a message box is up. The removals run in
// varnick_ghosts.exe, where devices marked GHOST are not present and are
// really removed from Wine's device tree (and GHOSTSTUCK ones fail).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tests/e2e/window_fixture.h"

namespace {

// Reserved: 2 and 7 (no device), 3 (a working device and a ghost), 5 (two
// ghosts), 6 (a ghost whose removal fails), 8 (a working device). COM1 is
// not: Wine names a serial port COM1 (see the harness), which is in use.
const std::string kComDb = "f6" + std::string(62, '0');
const char kStuckBox[] = "Varnick|ACCESS_DENIED removing\nROOT\\VARNICKGHOSTSTUCK\\0000|error";
// kComDb as another program leaves it while a repair runs: COM10 and
// COM300 reserved too, in a value of 64 bytes.
const std::string kOutsideWrite =
    "f602" + std::string(70, '0') + "08" + std::string(52, '0');

// The fixture devices in Wine's device tree, sorted.
std::string Devices() {
  std::vector<std::string> ids;
  for (const std::string& id : Split(NoCarriageReturns(RunVtool({"devlist"})), '\n')) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  std::string text;
  for (const std::string& id : ids) text += (text.empty() ? "" : " ") + id;
  return text;
}

// What one program asked of the COM port database since the stand-in's
// log was cleared: "open 0", "claim 10 0", "release 5 0", "close 0" (the
// call and its status).
typedef std::vector<std::string> Calls;
Calls PortDatabaseCalls(const std::string& program) {
  Calls calls;
  for (const std::string& line : Split(NoCarriageReturns(StandInLog("msports.log")), '\n')) {
    std::vector<std::string> f = Split(line, '|');
    if (f.size() == 3 && f[0] == program) calls.push_back(f[1] + " " + f[2]);
  }
  return calls;
}

// The calls, once the program has closed the database as often as wanted.
Calls WaitForPortDatabaseCalls(const std::string& program, int closes) {
  Calls calls;
  WaitUntil([&] {
    calls = PortDatabaseCalls(program);
    return std::count(calls.begin(), calls.end(), "close 0") >= closes;
  });
  ClearStandInLogs();
  return calls;
}

void ClickButton(const std::string& which) {
  ScreenRect r = WindowRects()[which];
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class Commands : public WindowTest {
 protected:
  void SetUp() override {
    ClearFixtureDevices();
    AddFixtureDevice("ports", "WORK", "COM3", "Working Adapter (COM3)");
    AddFixtureDevice("ports", "GHOSTA", "COM3", "Gone Adapter (COM3)");
    AddFixtureDevice("ports", "GHOSTB", "COM5", "Gone Adapter (COM5)", 2);
    AddFixtureDevice("ports", "GHOSTSTUCK", "COM6", "Stuck Adapter (COM6)");
    AddFixtureDevice("ports", "PLAIN", "COM8", "Plain Adapter (COM8)");
    Start(kComDb);
  }
  void TearDown() override {
    WindowTest::TearDown();
    ClearFixtureDevices();
  }
};

TEST_F(Commands, ClearFreesOnlyCheckedNumbersThatNoDeviceHoldsWhateverTheOrder) {
  Open();
  ClickHeader(0);  // Port, descending
  ListSnapshot list;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[0] == "Portv"; }, &list));
  ClickButton("clear");
  list = WaitForCheck("COM2", false);
  EXPECT_EQ("3 b4" + std::string(62, '0'), ComDb());  // 2 and 7 freed; ghosts hold 5 and 6
  EXPECT_EQ(" reservation of 2 ports removed", list.status1);
  EXPECT_FALSE(list.rows[list.RowOf("COM7")].checked);
  EXPECT_TRUE(list.rows[list.RowOf("COM5")].checked);

  ClickButton("clear");
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) { return l.status1 == " reservation of 0 ports removed"; }, &list));
  // One number: the singular.
  ClickCell(list.RowOf("COM250"), -1);
  WaitForCheck("COM250", true);
  ClickButton("clear");
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) { return l.status1 == " reservation of 1 port removed"; }, &list))
      << list.status1;
  WaitForCheck("COM250", false);
  EXPECT_EQ("3 b4" + std::string(62, '0'), ComDb());
}

// The whole window stays live while a removal's message box is up: a
// refresh, the other button, a header and a check box must neither run
// inside the command nor change its outcome.
TEST_F(Commands, RemoveTakesGhostsOnlyWhereNoWorkingDeviceHoldsTheNumber) {
  Open("varnick_ghosts.exe");
  ClickHeader(2);
  ClickHeader(2);  // by Device, descending: the stuck ghost's row comes before COM2's
  ListSnapshot before;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.header[2] == "Devicev"; }, &before));
  ASSERT_LT(before.RowOf("COM6"), before.RowOf("COM2"));
  const std::string spare = before.rows[5].texts[0];  // free, no device, in view
  ASSERT_FALSE(before.rows[5].checked);
  ClickButton("remove");
  EXPECT_EQ(kStuckBox, Box(0));
  AddFixtureDevice("ports", "LATE", "COM30", "Late Adapter (COM30)");  // a refresh would show it
  Command(40100);  // File > Refresh
  ClickButton("clear");
  ClickHeader(0);
  ClickCell(5, -1);
  usleep(500000);
  ListSnapshot during = ReadList();
  EXPECT_EQ("3 " + kComDb, ComDb()) << "a repair ran inside the command";
  EXPECT_TRUE(during.rows[during.RowOf("COM2")].checked) << "refreshed or cleared under the command";
  EXPECT_EQ("Devicev", during.header[2]) << "sorted under the command";
  EXPECT_FALSE(during.rows[during.RowOf(spare)].checked) << "a box was edited under the command";
  EXPECT_EQ("", during.rows[during.RowOf("COM30")].texts[2]) << "refreshed under the command";
  // Another program reserves COM10 and COM300, lengthening ComDB to 64 bytes.
  RegSet(kComArbiter, "ComDB", 3, kOutsideWrite);
  EXPECT_EQ(kStuckBox, Box(1, 1000));

  ListSnapshot after;
  ASSERT_TRUE(WaitForList([](const ListSnapshot& l) { return l.status1 == " 2 devices removed"; },
                          &after))
      << after.status1;
  // 3 keeps its number (a working device), 5 is freed once both ghosts are
  // gone, 6 keeps it (the removal failed), and 2 and 7 go with the save;
  // what the other program wrote stays.
  EXPECT_EQ("3 a4" + kOutsideWrite.substr(2), ComDb());
  EXPECT_EQ(
      "ROOT\\VARNICKGHOSTA\\0000 ROOT\\VARNICKGHOSTSTUCK\\0000 ROOT\\VARNICKLATE\\0000 "
      "ROOT\\VARNICKPLAIN\\0000 ROOT\\VARNICKWORK\\0000",
      Devices());
  after = WaitForCheck("COM5", false);
  EXPECT_EQ("Devicev", after.header[2]);
  EXPECT_EQ("", after.rows[after.RowOf("COM5")].texts[2]);
  EXPECT_EQ("Stuck Adapter (COM6)", after.rows[after.RowOf("COM6")].texts[2]);
  EXPECT_FALSE(after.rows[after.RowOf(spare)].checked);
  EXPECT_EQ("Late Adapter (COM30)", after.rows[after.RowOf("COM30")].texts[2]);
}

TEST_F(Commands, DeleteRemovesTheSelectedRowsDevicesPresentOrNot) {
  ListSnapshot list = Open("varnick_ghosts.exe");
  ClickCell(list.RowOf("COM8"), 2);
  ClickCell(list.RowOf("COM6"), 2, "ctrl");
  ClickCell(list.RowOf("COM4"), 2, "ctrl");  // no device: nothing to do
  PressKeys("Delete");
  EXPECT_EQ(kStuckBox, Box());
  list = WaitForCheck("COM8", false);
  EXPECT_EQ("3 76" + std::string(62, '0'), ComDb());
  EXPECT_EQ(std::string::npos, Devices().find("PLAIN"));
  EXPECT_NE(std::string::npos, Devices().find("GHOSTSTUCK"));
  EXPECT_TRUE(list.rows[list.RowOf("COM6")].checked);
  EXPECT_EQ(" 5 ports reserved", list.status0);
}

TEST_F(Commands, BatchRemovalFreesWhatTheGhostsHeldAndReportsTheFailure) {
  ProgramRun run = RunExpectingBoxes("varnick_ghosts.exe", {"/r"}, 1, 20,
                                     [] { RegSet(kComArbiter, "ComDB", 3, kOutsideWrite); });
  EXPECT_EQ("", run.failure);
  ASSERT_EQ(1u, run.boxes.size());
  EXPECT_EQ(kStuckBox, NoCarriageReturns(run.boxes[0]));
  EXPECT_EQ(2, run.exitCode);
  // 3 stays (the working device), 5 is freed, 6 stays (its ghost is stuck),
  // and what another program wrote while the box was up stays too.
  EXPECT_EQ("3 e6" + kOutsideWrite.substr(2), ComDb());
  EXPECT_EQ("ROOT\\VARNICKGHOSTSTUCK\\0000 ROOT\\VARNICKPLAIN\\0000 ROOT\\VARNICKWORK\\0000",
            Devices());
}

TEST_F(Commands, SpaceAndEnterOpenPropertySheetsAndNeverToggleABox) {
  ClearStandInLogs();
  ListSnapshot list = Open();
  ClickCell(list.RowOf("COM8"), 2);
  PressKeys("space");
  PressKeys("Return");
  EXPECT_TRUE(WaitUntil([] { return Split(StandInLog("devmgr.log"), '\n').size() == 3; }))
      << StandInLog("devmgr.log");
  list = ReadList();
  EXPECT_TRUE(list.rows[list.RowOf("COM8")].checked);
  EXPECT_EQ("3 " + kComDb, ComDb());
  RunVtool({"close", "Test sheet"});
  // Escape does nothing at all.
  PressKeys("Escape");
  WindowInfo still;
  EXPECT_TRUE(WaitForMainWindow(&still, 1000)) << "Escape closed the window";
}

TEST_F(Commands, TheContextMenuOpensOnRowsByMouseOrKeyAndNeverOnTheHeader) {
  ListSnapshot list = Open();
  ClickCell(list.RowOf("COM8"), 2);
  auto point = NoCarriageReturns(RunVtool({"point", std::to_string(list.RowOf("COM8")), "2"}));
  int x = std::stoi(point), y = std::stoi(point.substr(point.find(' ') + 1));
  ClickAt(x, y, "", 3);
  std::string menu = RunVtool({"popup", "3000"});
  EXPECT_EQ(std::to_string(x), menu.substr(0, menu.find(' '))) << "the menu is not at the click";
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/context-menu.png");
  RunVtool({"type", "c"});  // "&Copy"
  EXPECT_EQ("Plain Adapter (COM8)", NoCarriageReturns(RunVtool({"clipboard"})));

  // The keyboard's menu key: at the centre of the focused row's label.
  PressKeys("Apps");
  menu = RunVtool({"popup", "3000"});
  auto label = NoCarriageReturns(RunVtool({"point", std::to_string(list.RowOf("COM8")), "0"}));
  EXPECT_NEAR(std::stoi(label), std::stoi(menu), 2) << menu;
  EXPECT_NEAR(std::stoi(label.substr(label.find(' ') + 1)),
              std::stoi(menu.substr(menu.find(' ') + 1)), 2) << menu;
  RunVtool({"type", "Escape"});

  // A right click on the header: nothing.
  ScreenRect header = WindowRects()["list"];
  ClickAt(header.left + 100, header.top + 8, "", 3);
  EXPECT_THROW(RunVtool({"popup", "1000"}), std::runtime_error);
}

TEST_F(Commands, AlwaysOnTopLastsOnlyForTheRun) {
  Open();
  Command(40211);
  usleep(300000);
  std::string placement = RunVtool({"placement"});
  EXPECT_EQ('1', placement.back()) << placement;
  // A box the window waits for is not hidden behind it. (Wine draws it
  // above the window anyway: its style tells.)
  PressKeys("ctrl+a space");
  EXPECT_EQ("1", RunVtool({"boxontop", "10000"}));
  EXPECT_EQ("Varnick|This opens 256 property dialogs! Sure?|question", Box(7));  // No
  ASSERT_EQ(0, Close());
  Open();
  placement = RunVtool({"placement"});
  EXPECT_EQ('0', placement.back()) << placement;
}

// The refusal box of the restricted build is one of those boxes too: what
// comes due while it is up waits for it, a sort is refused, and the box
// clicked is put back on its port's row.
TEST_F(Commands, WhileTheRefusalIsUpTheListHoldsStill) {
  ListSnapshot list = Open("varnick_restricted.exe");
  ClickCell(list.RowOf("COM2"), -1);
  EXPECT_EQ("Error|Admin privileges are required|error", Box(0));
  const std::string outside = "f602" + std::string(60, '0');  // COM10 reserved too
  RegSet(kComArbiter, "ComDB", 3, outside);
  Command(40100);  // File > Refresh
  ClickHeader(0);
  usleep(500000);
  ListSnapshot during = ReadList();
  EXPECT_FALSE(during.rows[during.RowOf("COM10")].checked) << "refreshed under the box";
  EXPECT_EQ("Port^", during.header[0]) << "sorted under the box";
  EXPECT_EQ(0, during.RowOf("COM1"));

  EXPECT_EQ("Error|Admin privileges are required|error", Box(1, 1000));
  list = WaitForCheck("COM10", true);
  EXPECT_TRUE(list.rows[list.RowOf("COM2")].checked);
  EXPECT_EQ(" 7 ports reserved", list.status0);
  EXPECT_EQ("Port^", list.header[0]);
  EXPECT_EQ("3 " + outside, ComDb());
}

// "&Remove Device" is grey in the context menu without administrator
// rights. Wine cannot read another process's menus: its text is looked at
// on screen, drawn dark when enabled.
TEST_F(Commands, TheRestrictedBuildGreysRemoveDeviceInItsContextMenu) {
  for (const char* program : {"varnick.exe", "varnick_restricted.exe"}) {
    SCOPED_TRACE(program);
    bool restricted = std::string(program) != "varnick.exe";
    ListSnapshot list = Open(program);
    ClickCell(list.RowOf("COM8"), 2);
    auto point = NoCarriageReturns(RunVtool({"point", std::to_string(list.RowOf("COM8")), "2"}));
    ClickAt(std::stoi(point), std::stoi(point.substr(point.find(' ') + 1)), "", 3);
    int ink = std::stoi(RunVtool({"popupink", "3000"}));
    if (restricted) {
      SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/context-menu-restricted.png");
      EXPECT_EQ(0, ink);
    } else {
      EXPECT_GT(ink, 20);
    }
    RunVtool({"type", "Escape"});
    ASSERT_EQ(0, Close());
  }
}

// A dry run tells what each switch would change, a line each, and
// changes nothing: no number, no device; its exit code says whether
// anything would change. A mistyped switch changes nothing either.
TEST_F(Commands, ADryRunTellsWhatEachSwitchWouldChangeAndChangesNothing) {
  const std::string devices = Devices();
  const std::string clear = "would free COM2\r\nwould free COM7\r\n";
  const std::string remove =
      "would remove COM3 ROOT\\VARNICKGHOSTA\\0000\r\n"
      "would remove COM5 ROOT\\VARNICKGHOSTB\\0000\r\n"
      "would remove COM5 ROOT\\VARNICKGHOSTB\\0001\r\nwould free COM5\r\n"
      "would remove COM6 ROOT\\VARNICKGHOSTSTUCK\\0000\r\nwould free COM6\r\n";
  const struct {
    std::vector<std::string> args;
    std::string lines;
  } cases[] = {{{"/n", "/c"}, clear}, {{"-R", "-N"}, remove}, {{"/n"}, clear + remove}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    ProgramOutput run = RunRedirected("varnick_ghosts.exe", c.args);
    EXPECT_EQ(4, run.exitCode);
    EXPECT_EQ(c.lines, run.output);
    EXPECT_EQ("3 " + kComDb, ComDb());
    EXPECT_EQ(devices, Devices());
  }
  // A word that only holds a switch's letters is none: it is named, in a
  // box or with /q on standard error, and nothing at all is done.
  ProgramRun boxed = RunExpectingBoxes("varnick_ghosts.exe", {"--dry-run"}, 1);
  EXPECT_EQ(6, boxed.exitCode);
  ASSERT_EQ(1u, boxed.boxes.size());
  EXPECT_EQ(0u, NoCarriageReturns(boxed.boxes[0])
                    .find("Varnick|Unknown argument: --dry-run\n\nUsage: varnick"))
      << boxed.boxes[0];
  ProgramOutput quiet = RunRedirected("varnick_ghosts.exe", {"--dry-run", "/q"});
  EXPECT_EQ(6, quiet.exitCode);
  EXPECT_EQ("", quiet.output);
  EXPECT_EQ(0u, quiet.errors.find("Unknown argument: --dry-run\r\nUsage: varnick")) << quiet.errors;
  EXPECT_EQ("3 " + kComDb, ComDb());
  EXPECT_EQ(devices, Devices());

  RegSet(kComArbiter, "ComDB", 3, "84" + std::string(62, '0'));  // only 3 and 8, which devices hold
  ProgramOutput run = RunRedirected("varnick_ghosts.exe", {"/n", "/c"});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ("", run.output);
}

// Where nobody can click (a window station nobody sees, as a service or a
// deployment agent has), or with /q, a run shows no box and never waits:
// failures go to standard error, what was done to standard output.
TEST_F(Commands, BatchRunsNeverWaitForAClickWhereNobodyCanClick) {
  const std::string removed =
      "removed COM3 ROOT\\VARNICKGHOSTA\\0000\r\n"
      "removed COM5 ROOT\\VARNICKGHOSTB\\0000\r\n"
      "removed COM5 ROOT\\VARNICKGHOSTB\\0001\r\nfreed COM5\r\n";
  const std::string stuck = "ACCESS_DENIED removing ROOT\\VARNICKGHOSTSTUCK\\0000\r\n";
  ProgramOutput hidden = RunRedirected(
      "vtool.exe", {"station", "30000", DosPath(WindowsBuildFile("varnick_ghosts.exe")), "/r"}, 60);
  EXPECT_EQ(2, hidden.exitCode) << "255: it waited for a click";
  EXPECT_EQ(removed, hidden.output);
  EXPECT_EQ(stuck, hidden.errors);
  EXPECT_EQ("3 e6" + std::string(62, '0'), ComDb());

  SetUp();  // the ghosts again
  ProgramOutput quiet = RunRedirected("varnick_ghosts.exe", {"/c", "/r", "/q"});
  EXPECT_EQ(2, quiet.exitCode) << "-1: it waited for a click";
  EXPECT_EQ("freed COM2\r\nfreed COM7\r\n" + removed, quiet.output);
  EXPECT_EQ(stuck, quiet.errors);
  EXPECT_EQ("3 a4" + std::string(62, '0'), ComDb());
}

}  // namespace

namespace {

// Every change of ComDB goes through the system's COM port database
// routines (the stand-in's, under Wine): each command opens the database
// once, claims the numbers it reserves and releases those it frees, and
// no other.
TEST_F(Commands, EveryWriterClaimsAndReleasesExactlyTheNumbersItChanges) {
  const std::string program = "varnick_ghosts.exe";
  ClearStandInLogs();
  Open(program);
  ClickButton("clear");  // 2 and 7 have no device
  EXPECT_EQ((Calls{"open 0", "release 2 0", "release 7 0", "close 0"}),
            WaitForPortDatabaseCalls(program, 1));
  ListSnapshot list = ReadList();
  ClickCell(list.RowOf("COM10"), -1);
  EXPECT_EQ((Calls{"open 0", "claim 10 0", "close 0"}), WaitForPortDatabaseCalls(program, 1));
  ClickCell(list.RowOf("COM8"), 2);
  PressKeys("Delete");  // its working device
  EXPECT_EQ((Calls{"open 0", "release 8 0", "close 0"}), WaitForPortDatabaseCalls(program, 1));
  // Both ghosts of 5 go, the stuck one of 6 stays; 10 has no device.
  ClickButton("remove");
  EXPECT_EQ(kStuckBox, Box());
  EXPECT_EQ((Calls{"open 0", "release 5 0", "release 10 0", "close 0"}),
            WaitForPortDatabaseCalls(program, 1));
  EXPECT_EQ(0, Close());
  EXPECT_EQ("3 24" + std::string(62, '0'), ComDb());

  // Batch mode, each step opening the database on its own: the clear step
  // frees 2, 5, 7 and 8, which no device carries now; the removal of 3's
  // ghost frees nothing, 3 having a working device too.
  RegSet(kComArbiter, "ComDB", 3, kComDb);
  ProgramOutput run = RunRedirected(program, {"/c", "/r", "/q"});
  EXPECT_EQ(2, run.exitCode);  // the stuck ghost
  EXPECT_EQ((Calls{"open 0", "release 2 0", "release 5 0", "release 7 0", "release 8 0", "close 0",
                   "open 0", "close 0"}),
            WaitForPortDatabaseCalls(program, 2));
  EXPECT_EQ("3 24" + std::string(62, '0'), ComDb());
}

// The routines lock the database for each call, not from open to close:
// another program claims COM9 through them after /c has opened the
// database and read ComDB, and before /c releases anything (the stand-in
// holds /c there). COM9 was free when /c read ComDB, and stays reserved.
// Where the routines are Wine's own (stubs that would end the program),
// the value is written without them.
TEST_F(Commands, ANumberClaimedWhileARepairHasTheDatabaseOpenStaysReserved) {
  ClearStandInLogs();
  WriteStandInFile("msports-pause.txt", "varnick.exe");
  pid_t claimer = StartProgram("vtool.exe", {"comdbclaim", "9", "20000"});
  ProgramOutput run = RunRedirected("varnick.exe", {"/c"});
  EXPECT_EQ(0, WaitForExit(claimer, 10)) << "nobody was held between open and release";
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ("freed COM2\r\nfreed COM7\r\n", run.output);
  EXPECT_EQ("3 b401" + std::string(60, '0'), ComDb());
  EXPECT_EQ((Calls{"open 0", "paused 0", "release 2 0", "release 7 0", "close 0"}),
            PortDatabaseCalls("varnick.exe"));
  EXPECT_EQ((Calls{"open 0", "claim 9 0", "close 0"}), PortDatabaseCalls("vtool.exe"));

  RegSet(kComArbiter, "ComDB", 3, kComDb);
  ClearStandInLogs();
  pid_t pid = StartProgramAt(WindowsBuildFile("varnick.exe"), {"/c"},
                             {"WINEDLLOVERRIDES=mscoree,mshtml=;srclient=n,b;msports=b"});
  EXPECT_EQ(0, WaitForExit(pid, 30));
  EXPECT_EQ("3 b4" + std::string(62, '0'), ComDb());
  EXPECT_EQ("", StandInLog("msports.log"));
}

// A registry text value of the fixture devices (ASCII), "" when missing.
std::string DeviceText(const std::string& key, const std::string& name) {
  std::string value = RegGet("System\\CurrentControlSet\\Enum\\ROOT\\" + key, name);
  std::string text;
  for (size_t i = 2; i + 1 < value.size(); i += 4) {  // UTF-16: the low byte of each unit
    char c = static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
    if (c != 0) text += c;
  }
  return text;
}

// /m gives a serial port another number as the Ports class installer
// would: ComDB, PortName, the friendly name, the modem attached to it and
// a restart of the device; /n tells it and changes nothing; a number
// another device holds, or a running driver named, is refused, and named.
TEST_F(Commands, MoveGivesASerialPortAnotherNumber) {
  AddFixtureDevice("ports", "MOVE", "COM9", "USB Serial Port (COM9)");
  AddFixtureDevice("modem", "ATTACHED", "@COM9", "Bench Modem");
  const std::string parameters = "VARNICKMOVE\\0000\\Device Parameters";
  ClearStandInLogs();
  ProgramOutput dry = RunRedirected("varnick_ghosts.exe", {"/n", "/m", "COM9", "COM4"});
  EXPECT_EQ(4, dry.exitCode);
  EXPECT_EQ("would move COM9 ROOT\\VARNICKMOVE\\0000 to COM4\r\n", dry.output);
  for (const char* target : {"COM3", "COM1"}) {
    ProgramOutput held = RunRedirected("varnick_ghosts.exe", {"/m", "COM9", target, "/q"});
    EXPECT_EQ(9, held.exitCode);
    EXPECT_EQ(std::string(target) == "COM3" ? "COM3 is held by ROOT\\VARNICKWORK\\0000\r\n"
                                            : "COM1 is held by \\Device\\Serial0\r\n",
              held.errors);
  }
  EXPECT_EQ("3 " + kComDb, ComDb());
  EXPECT_EQ("COM9", DeviceText(parameters, "PortName"));
  EXPECT_EQ("COM9", NoCarriageReturns(RunVtool({"attachedto", "ATTACHED"})));
  EXPECT_EQ("", StandInLog("restart.log"));

  ProgramOutput run = RunRedirected("varnick_ghosts.exe", {"/m", "com9", "COM4"});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ("moved COM9 ROOT\\VARNICKMOVE\\0000 to COM4\r\n", run.output);
  EXPECT_EQ("3 fe" + std::string(62, '0'), ComDb());
  EXPECT_EQ("COM4", DeviceText(parameters, "PortName"));
  EXPECT_EQ("USB Serial Port (COM4)", DeviceText("VARNICKMOVE\\0000", "FriendlyName"));
  EXPECT_EQ("COM4", NoCarriageReturns(RunVtool({"attachedto", "ATTACHED"})));
  EXPECT_EQ("restart ROOT\\VARNICKMOVE\\0000\n", StandInLog("restart.log"));
}

// The window's dialog, from the keyboard: F2 on the row, the number chosen
// with the arrow keys, Enter; the list then shows the device on its new
// row, focused and selected there.
TEST_F(Commands, TheDialogGivesARowsSerialPortAnotherNumber) {
  AddFixtureDevice("ports", "MOVE", "COM9", "USB Serial Port (COM9)");
  ListSnapshot list = Open("varnick_ghosts.exe");
  ClickCell(list.RowOf("COM9"), 2);
  PressKeys("F2");
  ASSERT_TRUE(WaitUntil([] { return !RunVtool({"windows", "Change Port Number"}).empty(); }));
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/change-port-number.png");
  // COM1 is in use, COM2 stale, COM3 used, COM4 free.
  RunVtool({"keysto", "Change Port Number", "Home", "Down", "Down", "Down", "Return"});
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) { return l.rows[l.RowOf("COM4")].texts[2] == "USB Serial Port (COM4)"; },
      &list));
  EXPECT_EQ(list.RowOf("COM4"), list.focused);
  EXPECT_EQ(1, list.selectedCount);
  EXPECT_TRUE(list.rows[list.RowOf("COM4")].selected);
  EXPECT_EQ("", list.rows[list.RowOf("COM9")].texts[2]);
  EXPECT_EQ("3 fe" + std::string(62, '0'), ComDb());
  EXPECT_EQ(0, Close());
}

}  // namespace

namespace {

// The journal's records, run by run in the order the runs began: each
// change as "change device from to: result", its outcome paired with its
// intent ("(interrupted)" for none). Every line must have the journal's
// form: a time in UTC, a run of this process, batch mode's face.
std::vector<std::vector<std::string>> JournalRuns(const std::string& text) {
  const std::string start = "\xEF\xBB\xBFTime,Run,Face,Step,Change,Device,From,To,Result\r\n";
  EXPECT_EQ(start, text.substr(0, start.size()));
  std::vector<std::string> runs;
  std::vector<std::vector<std::string>> changes;
  for (const std::string& line : Split(NoCarriageReturns(text.substr(start.size())), '\n')) {
    if (line.empty()) continue;
    std::vector<std::string> f = Split(line, ',');
    EXPECT_EQ(9u, f.size()) << line;
    if (f.size() != 9) continue;
    EXPECT_EQ(24u, f[0].size()) << line;
    EXPECT_EQ('Z', f[0].back()) << line;
    EXPECT_EQ("batch", f[2]);
    size_t run = std::find(runs.begin(), runs.end(), f[1]) - runs.begin();
    if (run == runs.size()) {
      runs.push_back(f[1]);
      changes.emplace_back();
      EXPECT_EQ("-1", f[1].substr(f[1].rfind('-'))) << "one run a process";
    }
    std::string change = f[4] + " " + f[5] + " " + f[6] + " " + f[7] + ":";
    std::vector<std::string>& list = changes[run];
    if (f[3] == "intent") {
      EXPECT_EQ("", f[8]);
      list.push_back(change + " (interrupted)");
      continue;
    }
    auto open = std::find(list.begin(), list.end(), change + " (interrupted)");
    EXPECT_TRUE(open != list.end()) << "an outcome without its intent: " << line;
    if (open != list.end()) *open = change + " " + f[8];
  }
  return changes;
}

// Under Wine: each change of a batch run, /c, /m and /r, is recorded in
// the journal under ProgramData as one completed change, its intent and
// its outcome, a run a process; the stuck ghost's removal as its error.
TEST_F(Commands, EachChangeOfABatchRunIsRecordedInTheJournal) {
  AddFixtureDevice("ports", "MOVE", "COM9", "USB Serial Port (COM9)");
  ClearJournal();
  EXPECT_EQ(0, RunRedirected("varnick_ghosts.exe", {"/c"}).exitCode);
  EXPECT_EQ(0, RunRedirected("varnick_ghosts.exe", {"/m", "COM9", "COM4"}).exitCode);
  ProgramOutput removal = RunRedirected("varnick_ghosts.exe", {"/r", "/q"});
  EXPECT_EQ(2, removal.exitCode);
  EXPECT_EQ(std::string::npos, removal.errors.find("journal")) << removal.errors;
  std::vector<std::vector<std::string>> runs = JournalRuns(JournalText());
  ASSERT_EQ(3u, runs.size());
  EXPECT_EQ((std::vector<std::string>{"free  COM2 : done", "free  COM7 : done"}), runs[0]);
  EXPECT_EQ((std::vector<std::string>{"move ROOT\\VARNICKMOVE\\0000 COM9 COM4: done"}), runs[1]);
  std::sort(runs[2].begin(), runs[2].end());
  EXPECT_EQ((std::vector<std::string>{
                "free  COM5 : done",
                "remove ROOT\\VARNICKGHOSTA\\0000 COM3 : done",
                "remove ROOT\\VARNICKGHOSTB\\0000 COM5 : done",
                "remove ROOT\\VARNICKGHOSTB\\0001 COM5 : done",
                "remove ROOT\\VARNICKGHOSTSTUCK\\0000 COM6 : ACCESS_DENIED",
            }),
            runs[2]);
}

// The window's commands are recorded too, each a run of its own; a
// journal that cannot be written (its folder gone) stops no command, and
// the status bar says so, after the command's own words where it has any.
TEST_F(Commands, TheWindowRecordsEachCommandAndSaysWhenTheJournalFails) {
  ClearJournal();
  ListSnapshot list = Open();
  ClickButton("clear");
  WaitForCheck("COM2", false);
  const std::string text = JournalText();
  EXPECT_NE(std::string::npos, text.find("-2,window,intent,free,,COM2,,\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("-2,window,outcome,free,,COM7,,done\r\n")) << text;

  ClearJournal();
  const std::string folder = DriveC("ProgramData/Varnick");
  ASSERT_EQ(0, rmdir(folder.c_str()));
  ClickCell(list.RowOf("COM2"), -1);
  WaitForCheck("COM2", true);
  EXPECT_TRUE(WaitForList(
      [](const ListSnapshot& l) {
        return l.status1 == " The journal could not be written: PATH_NOT_FOUND";
      },
      &list))
      << list.status1;
  ClickButton("clear");
  EXPECT_TRUE(WaitForList(
      [](const ListSnapshot& l) {
        return l.status1 ==
               " reservation of 1 port removed; the journal could not be written: PATH_NOT_FOUND";
      },
      &list))
      << list.status1;
  EXPECT_EQ("3 b4" + std::string(62, '0'), ComDb());
  EXPECT_EQ(0, Close());
}

// /undo takes back the last run as the journal recorded it: a move made
// by /m goes back to its old number, PortName, the friendly name and
// ComDB as they were before it; /n /undo before it tells that and changes
// nothing, not even the journal; the undo is a run of its own there.
TEST_F(Commands, UndoMovesAPortBackToTheNumberItHad) {
  AddFixtureDevice("ports", "MOVE", "COM9", "USB Serial Port (COM9)");
  const std::string parameters = "VARNICKMOVE\\0000\\Device Parameters";
  const std::string before = "f601" + std::string(60, '0');  // COM9 reserved too
  RegSet(kComArbiter, "ComDB", 3, before);
  ClearJournal();
  ASSERT_EQ(0, RunRedirected("varnick_ghosts.exe", {"/m", "COM9", "COM4"}).exitCode);
  ASSERT_EQ("3 fe" + std::string(62, '0'), ComDb());
  const std::string moved = JournalText();
  const std::string run = Split(Split(moved, '\n')[1], ',')[1];

  ProgramOutput dry = RunRedirected("varnick_ghosts.exe", {"/n", "/undo"});
  EXPECT_EQ(4, dry.exitCode);
  EXPECT_EQ("would undo " + run + "\r\nwould move COM4 ROOT\\VARNICKMOVE\\0000 to COM9\r\n",
            dry.output);
  EXPECT_EQ("", dry.errors);
  EXPECT_EQ("3 fe" + std::string(62, '0'), ComDb());
  EXPECT_EQ("COM4", DeviceText(parameters, "PortName"));
  EXPECT_EQ(moved, JournalText());

  ProgramOutput undo = RunRedirected("varnick_ghosts.exe", {"/undo"});
  EXPECT_EQ(0, undo.exitCode) << undo.errors;
  EXPECT_EQ("undoing " + run + "\r\nmoved COM4 ROOT\\VARNICKMOVE\\0000 to COM9\r\n", undo.output);
  EXPECT_EQ("", undo.errors);
  EXPECT_EQ("3 " + before, ComDb());
  EXPECT_EQ("COM9", DeviceText(parameters, "PortName"));
  EXPECT_EQ("USB Serial Port (COM9)", DeviceText("VARNICKMOVE\\0000", "FriendlyName"));
  std::vector<std::vector<std::string>> runs = JournalRuns(JournalText());
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ((std::vector<std::string>{"undo  " + run + " : done",
                                      "move ROOT\\VARNICKMOVE\\0000 COM4 COM9: done"}),
            runs[1]);
  // Undone, the run is nothing to undo any more.
  ProgramOutput again = RunRedirected("varnick_ghosts.exe", {"/undo"});
  EXPECT_EQ(0, again.exitCode);
  EXPECT_EQ("Nothing to undo\r\n", again.output);
}

// The window's Undo Last Change (Ctrl+Z) takes back its own last command:
// a move through F2 goes back to its old number, and the File menu greys
// the item once there is nothing of the window's own to undo.
TEST_F(Commands, CtrlZTakesBackTheWindowsLastMove) {
  AddFixtureDevice("ports", "MOVE", "COM9", "USB Serial Port (COM9)");
  const std::string before = "f601" + std::string(60, '0');
  RegSet(kComArbiter, "ComDB", 3, before);
  ClearJournal();
  ListSnapshot list = Open("varnick_ghosts.exe");
  ClickCell(list.RowOf("COM9"), 2);
  PressKeys("F2");
  ASSERT_TRUE(WaitUntil([] { return !RunVtool({"windows", "Change Port Number"}).empty(); }));
  RunVtool({"keysto", "Change Port Number", "Home", "Down", "Down", "Down", "Return"});
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) { return l.rows[l.RowOf("COM4")].texts[2] == "USB Serial Port (COM4)"; },
      &list));
  ASSERT_EQ("3 fe" + std::string(62, '0'), ComDb());
  PressKeys("alt+f");
  RunVtool({"popup", "3000"});
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/undo-offered.png");
  RunVtool({"type", "Escape", "Escape"});

  PressKeys("ctrl+z");
  ASSERT_TRUE(WaitForList(
      [](const ListSnapshot& l) {
        return l.rows[l.RowOf("COM9")].texts[2] == "USB Serial Port (COM9)" &&
               l.status1 == " Last change undone";
      },
      &list))
      << list.status1;
  EXPECT_EQ("", list.rows[list.RowOf("COM4")].texts[2]);
  // Back on its old row, focused and selected there, as F2 left it on its new.
  EXPECT_EQ(list.RowOf("COM9"), list.focused);
  EXPECT_EQ(1, list.selectedCount);
  EXPECT_TRUE(list.rows[list.RowOf("COM9")].selected);
  EXPECT_EQ("3 " + before, ComDb());
  EXPECT_NE(std::string::npos, JournalText().find(",window,outcome,undo,,")) << JournalText();
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/undo-done.png");
  PressKeys("alt+f");
  RunVtool({"popup", "3000"});
  SaveScreenshot(VARNICK_BUILD_ROOT "/test-logs/undo-greyed.png");
  RunVtool({"type", "Escape", "Escape"});
  EXPECT_EQ(0, Close());
}

// A journal with a second name (a hard link another program made) is
// never written, so that no line lands in the other file: the repair is
// made all the same, and standard error says why the journal was not.
TEST_F(Commands, TheJournalIsNeverWrittenThroughASecondName) {
  ClearJournal();
  RunVtool({"keptfolder"});
  const std::string journal = DriveC("ProgramData/Varnick/journal.csv");
  const std::string other = DriveC("varnick-test/other.csv");
  unlink(other.c_str());
  FILE* file = fopen(other.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  fputs("another file\r\n", file);
  fclose(file);
  ASSERT_EQ(0, link(other.c_str(), journal.c_str()));
  ProgramOutput run = RunRedirected("varnick.exe", {"/c"});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ("freed COM2\r\nfreed COM7\r\n", run.output);
  EXPECT_EQ("The journal could not be written: CANT_ACCESS_FILE\r\n", run.errors);
  EXPECT_EQ("3 b4" + std::string(62, '0'), ComDb());
  EXPECT_EQ("another file\r\n", JournalText());
  ClearJournal();
  unlink(other.c_str());
}

}  // namespace
