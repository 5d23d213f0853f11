// /undo over the journal batch mode and the window write: which run it
// takes, what it does and says, and that a step the machine makes unsafe
// refuses the whole undo before anything changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_main.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"
#include "tests/support/journal_lines.h"

namespace {

const char kJournal[] = "C:\\ProgramData\\Varnick\\journal.csv";
const char kKeptPlan[] = "C:\\ProgramData\\Varnick\\plan.txt";
const char kFolder[] = "C:\\ProgramData\\Varnick";

// 1, 3, 5 and 6 reserved in a ComDB of 256 ports; a working port on COM3
// (ACPI\PNP0501\0_COM3), a stale one on COM5 (1_COM5), a working one on
// COM8 (2_COM8).
void Machine() {
  SimReset();
  std::vector<uint8_t> comDb(32, 0);
  comDb[0] = 0x35;
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
  SimAddPort(u"COM3");
  SimAddPort(u"COM5", false);
  SimAddPort(u"COM8");
}

uint8_t FirstByte() { return SimRegValue(kComArbiterPath, kComDbName)[0]; }

// A run of batch mode as its own process, so that its run has an
// identifier of its own.
int32_t RunAs(const char16_t* args, uint32_t process) {
  SimSetProcessId(process);
  SimClearOutput();
  return AppMain(1, args, 10);
}

// A file of the folder as the program makes one.
SimFile Kept(const std::string& content) {
  SimFile file{content};
  file.sddl = u"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";
  return file;
}

// A journal as the program writes it, each record given without its time.
void WriteJournal(const std::vector<std::string>& records) {
  SimSetFolder(kFolder, true);
  std::string text = "\xEF\xBB\xBFTime,Run,Face,Step,Change,Device,From,To,Result\r\n";
  for (const std::string& r : records) text += "2026-12-10T16:50:29.123Z," + r + "\r\n";
  SimFileSet(kJournal, Kept(text));
}

// An intent and its outcome, of a run in batch mode.
std::vector<std::string> Change(const std::string& fields, const std::string& result,
                                const std::string& run = "20261201T000000Z-1-1") {
  return {run + ",batch,intent," + fields + ",", run + ",batch,outcome," + fields + "," + result};
}

// Records of a run of another process before these, more than twice the
// size the journal rolls over at.
std::vector<std::string> Grown(const std::vector<std::string>& records) {
  std::vector<std::string> all;
  while (all.size() < 30000) {
    for (const std::string& r : Change("free,,COM9,", "done", "20261130T000000Z-7-1")) all.push_back(r);
  }
  all.insert(all.end(), records.begin(), records.end());
  return all;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Each /undo undoes the last run not undone yet, last change first, and
// the next the run before; a dry run says what it would do and changes
// nothing; with every run undone there is nothing to undo.
TEST(BatchUndo, UndoesTheLastRunThenTheOneBefore) {
  Machine();
  ASSERT_EQ(0, RunAs(u"/c", 101));            // frees 1 and 6
  ASSERT_EQ(0, RunAs(u"/m COM3 COM4", 102));  // 3 to 4
  ASSERT_EQ(0x18, FirstByte());
  const std::vector<std::string> before = SimJournalRecords();

  EXPECT_EQ(4, RunAs(u"/n /undo", 103));
  EXPECT_EQ(u"would undo 20261210T165029Z-102-1\r\n"
            u"would move COM4 ACPI\\PNP0501\\0_COM3 to COM3\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(0x18, FirstByte());
  EXPECT_EQ(u"COM4", SimDeviceAt(0).portName);
  EXPECT_EQ(before, SimJournalRecords());

  EXPECT_EQ(0, RunAs(u"/undo", 104));
  EXPECT_EQ(u"undoing 20261210T165029Z-102-1\r\n"
            u"moved COM4 ACPI\\PNP0501\\0_COM3 to COM3\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(u"", SimOutput(kOsStandardError));
  EXPECT_EQ(u"COM3", SimDeviceAt(0).portName);
  EXPECT_EQ(0x14, FirstByte());

  EXPECT_EQ(0, RunAs(u"/undo", 105));
  EXPECT_EQ(u"undoing 20261210T165029Z-101-1\r\nreserved COM6\r\nreserved COM1\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(0x35, FirstByte());

  EXPECT_EQ(0, RunAs(u"/undo", 106));
  EXPECT_EQ(u"Nothing to undo\r\n", SimOutput(kOsStandardOutput));
  EXPECT_EQ(0, RunAs(u"/n /undo", 107));

  // Each undo is a run of its own around what it did.
  std::vector<std::string> records = SimJournalRecords();
  records.erase(records.begin(), records.begin() + before.size());
  EXPECT_EQ((std::vector<std::string>{
                "20261210T165029Z-104-1,batch,intent,undo,,20261210T165029Z-102-1,,",
                "20261210T165029Z-104-1,batch,intent,move,ACPI\\PNP0501\\0_COM3,COM4,COM3,",
                "20261210T165029Z-104-1,batch,outcome,move,ACPI\\PNP0501\\0_COM3,COM4,COM3,done",
                "20261210T165029Z-104-1,batch,outcome,undo,,20261210T165029Z-102-1,,done",
                "20261210T165029Z-105-1,batch,intent,undo,,20261210T165029Z-101-1,,",
                "20261210T165029Z-105-1,batch,intent,reserve,,,COM6,",
                "20261210T165029Z-105-1,batch,outcome,reserve,,,COM6,done",
                "20261210T165029Z-105-1,batch,intent,reserve,,,COM1,",
                "20261210T165029Z-105-1,batch,outcome,reserve,,,COM1,done",
                "20261210T165029Z-105-1,batch,outcome,undo,,20261210T165029Z-101-1,,done",
            }),
            records);
}

// Whatever in the machine makes a step unsafe refuses the whole undo
// before anything is changed, the steps before it too, with code 15 and
// the reason on standard error; so does a journal that cannot be trusted.
TEST(BatchUndo, AnUnsafeStepRefusesTheWholeUndo) {
  // The run's last change (the first undone) would go well; its first not.
  const std::vector<std::string> freed =
      Joined({Change("free,,COM6,", "done"), Change("free,,COM2,", "done")});
  const std::vector<std::string> moved =
      Change("move,ACPI\\PNP0501\\0_COM3,COM4,COM3", "done");
  SimFile link = Kept("");
  link.attributes |= kOsFileAttributeReparsePoint;
  const struct {
    const char* name;
    std::vector<std::string> journal;
    std::function<void()> since;
    const char16_t* said;
    int32_t dryCode = 15;  // of /n /undo after it
  } cases[] = {
      {"a freed number held by a device now", freed,
       [] { SimAddPort(u"COM6"); },
       u"20261201T000000Z-1-1 cannot be undone: COM6 is held by ACPI\\PNP0501\\3_COM6 now"},
      {"a freed number a running driver named", freed,
       [] { SimAddLiveName(u"\\Device\\VCP0", u"COM6"); },
       u"20261201T000000Z-1-1 cannot be undone: COM6 is held by \\Device\\VCP0 now"},
      {"a reserved number a device carries now",
       Joined({Change("reserve,,,COM9", "done"), Change("free,,COM1,", "done")}),
       [] { SimAddPort(u"COM9", false); },
       u"20261201T000000Z-1-1 cannot be undone: COM9 is held by ACPI\\PNP0501\\3_COM9 now"},
      {"a moved device gone",
       Joined({Change("move,ROOT\\GONE\\0000,COM2,COM7", "done"), Change("free,,COM1,", "done")}),
       [] {}, u"20261201T000000Z-1-1 cannot be undone: ROOT\\GONE\\0000 is gone"},
      {"a moved device on another number", Change("move,ACPI\\PNP0501\\0_COM3,COM2,COM9", "done"),
       [] {}, u"20261201T000000Z-1-1 cannot be undone: ACPI\\PNP0501\\0_COM3 has COM3 now"},
      {"its old number held", Change("move,ACPI\\PNP0501\\0_COM3,COM5,COM3", "done"), [] {},
       u"20261201T000000Z-1-1 cannot be undone: COM5 is held by ACPI\\PNP0501\\1_COM5"},
      {"a move the kept plan makes again", moved,
       [] { SimFileSet(kKeptPlan, Kept("COM3 instance ACPI\\PNP0501\\0_COM3\r\n")); },
       u"20261201T000000Z-1-1 cannot be undone: the plan kept for the task moves ACPI\\PNP0501\\0_COM3 to COM3 "
       u"again (line 1: COM3 instance ACPI\\PNP0501\\0_COM3)"},
      {"its own line that cannot be written", freed, [] { SimFileFailAppends(112, 1); },
       u"20261201T000000Z-1-1 cannot be undone: The journal cannot be written: DISK_FULL", 4},
      {"a journal that is a link", moved, [&] { SimFileSet(kJournal, link); },
       u"The journal cannot be read: CANT_ACCESS_FILE"},
      {"a journal someone else may change", moved,
       [] { SimFileSet(kFolder, SimFolder(u"O:BAD:(A;OICI;FA;;;BU)")); },
       u"The journal cannot be read: CANT_ACCESS_FILE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine();
    WriteJournal(c.journal);
    c.since();
    SimFile journal;
    SimFileGet(kJournal, &journal);
    EXPECT_EQ(15, RunAs(u"/undo", 200));
    EXPECT_EQ(std::u16string(c.said) + u"\r\n", SimOutput(kOsStandardError));
    EXPECT_EQ(u"", SimOutput(kOsStandardOutput));
    EXPECT_EQ(0x35, FirstByte());
    EXPECT_EQ(u"COM3", SimDeviceAt(0).portName);
    SimFile after;
    SimFileGet(kJournal, &after);
    EXPECT_EQ(journal.content, after.content);
    EXPECT_EQ(c.dryCode, RunAs(u"/n /undo", 201));
  }
}

// Which run an undo takes, and which of its changes it undoes: runs that
// were undos are passed over, and so are runs an undo finished; one that
// failed leaves its run to be undone again. A change that failed or was
// undone in its own run has no step; one cut short is undone where the
// machine shows it made. Removals and growth are only told.
TEST(BatchUndo, TakesTheLastRunNotUndoneAndTellsWhatCannotBe) {
  const std::vector<std::string> r1 = Change("free,,COM6,", "done", "20261201T000000Z-1-1");
  const std::vector<std::string> r2 = Change("free,,COM1,", "done", "20261201T000000Z-2-1");
  const struct {
    const char* name;
    std::vector<std::string> journal;
    int32_t code;
    const char16_t* said;
  } cases[] = {
      {"the last", Joined({r1, r2}), 4, u"would undo 20261201T000000Z-2-1\r\nwould reserve COM1\r\n"},
      {"an undo passed over, and its run",
       Joined({r1, r2, Change("undo,,20261201T000000Z-2-1,", "done", "20261201T000000Z-9-1")}), 4,
       u"would undo 20261201T000000Z-1-1\r\nwould reserve COM6\r\n"},
      {"an undo that failed leaves its run",
       Joined({r1, r2, Change("undo,,20261201T000000Z-2-1,", "ACCESS_DENIED", "20261201T000000Z-9-1")}), 4,
       u"would undo 20261201T000000Z-2-1\r\nwould reserve COM1\r\n"},
      {"an undo known by its outcome alone",
       Joined({r1, r2, Change("reserve,,,COM1", "done", "20261201T000000Z-9-1"),
               {"20261201T000000Z-9-1,batch,outcome,undo,,20261201T000000Z-2-1,,done"}}),
       4, u"would undo 20261201T000000Z-2-1\r\nwould reserve COM1\r\n"},
      {"a run of failures changed nothing",
       Joined({r1, Change("free,,COM1,", "ACCESS_DENIED", "20261201T000000Z-2-1"),
               Change("move,ACPI\\PNP0501\\2_COM8,COM7,COM8", "undone", "20261201T000000Z-2-1")}),
       4, u"would undo 20261201T000000Z-1-1\r\nwould reserve COM6\r\n"},
      {"a failed change of the run has no step",
       Joined({Change("free,,COM2,", "ACCESS_DENIED"), Change("free,,COM6,", "done")}), 4,
       u"would undo 20261201T000000Z-1-1\r\nwould reserve COM6\r\n"},
      {"told, and one cut short",
       Joined({Change("remove,ROOT\\OLD\\0000,COM7,", "done"), Change("grow,,256,1024", "done"),
               {"20261201T000000Z-1-1,batch,intent,free,,COM1,,"}}),
       4,
       u"would undo 20261201T000000Z-1-1\r\nwould reserve COM1\r\nComDB stays at 1024 ports\r\n"
       u"ROOT\\OLD\\0000 was removed from COM7 and cannot be brought back\r\n"},
      {"one cut short that the machine shows not made",
       Joined({Change("remove,ACPI\\PNP0501\\1_COM5,COM5,", "done"),
               {"20261201T000000Z-1-1,batch,intent,free,,COM3,,"}}),
       0, u"would undo 20261201T000000Z-1-1\r\n"},
      {"an empty journal", {}, 0, u"Nothing to undo\r\n"},
      // One that could not roll over, while another program held it
      // open, is read from its last whole lines.
      {"a journal grown past what is read whole", Grown(Joined({r2, r1})), 4,
       u"would undo 20261201T000000Z-1-1\r\nwould reserve COM6\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine();
    std::vector<uint8_t> comDb(32, 0);
    comDb[0] = 0x14;  // 3 and 5
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
    WriteJournal(c.journal);
    EXPECT_EQ(c.code, RunAs(u"/n /undo", 300));
    EXPECT_EQ(std::u16string(c.said), SimOutput(kOsStandardOutput));
    EXPECT_EQ(u"", SimOutput(kOsStandardError));
  }
}

// A move that waits for Windows to restart is taken back before the
// restart: its driver still names the old number, which is no holder, and
// the device is not restarted again.
TEST(BatchUndo, TakesBackAMoveThatWaitsForARestart) {
  Machine();
  SimDevice port;
  port.classGuid = kSimPortsClass;
  port.deviceId = u"USB\\VID_0403&PID_6001\\A1";
  port.portName = u"COM9";
  port.kernelName = u"\\Device\\VCP0";
  port.namesLive = true;
  port.restartNeeded = true;
  SimAddDevice(port);
  std::vector<uint8_t> comDb(32, 0);
  comDb[1] = 0x01;  // 9
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
  ASSERT_EQ(3010, RunAs(u"/m COM9 COM10", 400));
  ASSERT_EQ(u"COM10", SimDeviceAt(3).portName);
  ASSERT_EQ(u"COM9", SimLiveName(u"\\Device\\VCP0"));
  size_t restarts = SimRestarts().size();
  EXPECT_EQ(0, RunAs(u"/undo", 401));
  EXPECT_EQ(u"undoing 20261210T165029Z-400-1\r\nmoved COM10 USB\\VID_0403&PID_6001\\A1 to COM9\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(u"", SimOutput(kOsStandardError));
  EXPECT_EQ(u"COM9", SimDeviceAt(3).portName);
  EXPECT_EQ(restarts, SimRestarts().size());
  EXPECT_EQ(0x01, SimRegValue(kComArbiterPath, kComDbName)[1]);  // 9, and not 10
}

// An undo changes the system: without administrator rights it is refused
// (its dry run is not), and it goes with /n and /q alone.
TEST(BatchUndo, NeedsRightsAndGoesAlone) {
  Machine();
  WriteJournal(Change("free,,COM2,", "done"));
  SimSetAdmin(false);
  EXPECT_EQ(1, RunAs(u"/undo /q", 500));
  EXPECT_EQ(u"Error: Admin privileges are required\r\n", SimOutput(kOsStandardError));
  EXPECT_EQ(4, RunAs(u"/n /undo", 501));
  SimSetAdmin(true);
  EXPECT_EQ(6, RunAs(u"/undo /c /q", 502));
  EXPECT_EQ(u"Error: /c cannot be given with /undo\r\n", SimOutput(kOsStandardError));
  EXPECT_EQ(6, RunAs(u"/autoapply /undo /q", 503));
  EXPECT_EQ(0x35, FirstByte());
}

}  // namespace

// Whatever a run does, and wherever it stops, it ends holding nothing: no
// device set open, no heap block in use.
TEST(BatchRun, EveryRunEndsHoldingNothing) {
  const struct {
    const char16_t* args;
    int32_t code;
    bool failDeviceSet;
  } cases[] = {
      {u"/l", 0, false},
      {u"/c /r", 0, false},
      {u"/m COM3 COM7", 0, false},
      {u"/n /m COM3 COM7", 4, false},
      {u"/export", 0, false},
      {u"/n /apply C:\\plan.txt", 4, false},
      {u"/apply C:\\plan.txt", 0, false},
      {u"/apply C:\\missing.txt", 12, false},
      {u"/m COM3 COM7 /undo", 6, false},
      {u"/c", 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::u16string(c.args).size());
    Machine();
    SimFileSet("C:\\plan.txt", SimFile{"COM4 instance ACPI\\PNP0501\\0_COM3\r\n"});
    SimFailDeviceSet(c.failDeviceSet);
    EXPECT_EQ(c.code, RunAs(c.args, 1000));
    // And the undo of it, refused or not.
    RunAs(u"/undo", 1001);
    EXPECT_EQ(0, SimOpenDeviceSets());
    EXPECT_EQ(0, SimHeapBlocksInUse());
  }
}
