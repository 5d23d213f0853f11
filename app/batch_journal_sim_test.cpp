// What batch mode records in the journal for each change it makes, and
// what it says when the journal cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_main.h"
#include "core/journal.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"
#include "tests/support/journal_lines.h"

namespace {

typedef std::vector<std::string> Lines;

const char kRun[] = "20261210T165029Z-4242-1,batch,";

// 1, 3, 5 and 6 reserved in a ComDB of 256 ports; a working port on COM3,
// a stale one on COM5, a working one on COM8.
void Machine() {
  SimReset();
  std::vector<uint8_t> comDb(32, 0);
  comDb[0] = 0x35;
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
  SimAddPort(u"COM3");
  SimAddPort(u"COM5", false);
  SimAddPort(u"COM8");
}

// Each line of a change with the run's identifier and face before it.
Lines Recorded(const Lines& lines) {
  Lines recorded;
  for (const std::string& line : lines) recorded.push_back(kRun + line);
  return recorded;
}

// Every kind of change, made through batch mode, records its intent and
// its outcome with its own fields; what changes nothing records nothing.
TEST(BatchJournal, EachChangeRecordsItsIntentAndItsOutcome) {
  const struct {
    const char16_t* args;
    const char* plan;
    int32_t code;
    Lines lines;
    bool routines = true;  // the COM port database's, else one write of ComDB
  } cases[] = {
      // Every number's intent before the first change, its outcome after
      // the last: two appends however many numbers a save changes.
      {u"/c", "", 0,
       {"intent,free,,COM1,,", "intent,free,,COM6,,", "outcome,free,,COM1,,done",
        "outcome,free,,COM6,,done"}},
      {u"/c", "", 0,
       {"intent,free,,COM1,,", "intent,free,,COM6,,", "outcome,free,,COM1,,done",
        "outcome,free,,COM6,,done"},
       false},
      {u"/r", "", 0,
       {"intent,remove,ACPI\\PNP0501\\1_COM5,COM5,,", "outcome,remove,ACPI\\PNP0501\\1_COM5,COM5,,done",
        "intent,free,,COM5,,", "outcome,free,,COM5,,done"}},
      // The move's own claim and release are the move's.
      {u"/m COM3 COM4", "", 0,
       {"intent,move,ACPI\\PNP0501\\0_COM3,COM3,COM4,", "outcome,move,ACPI\\PNP0501\\0_COM3,COM3,COM4,done"}},
      // The plan around the stale port's removal and the move onto its number.
      {u"/apply C:\\plan.txt", "COM5 instance ACPI\\PNP0501\\2_COM8\r\n", 0,
       {"intent,plan,,C:\\plan.txt,,", "intent,remove,ACPI\\PNP0501\\1_COM5,COM5,,",
        "outcome,remove,ACPI\\PNP0501\\1_COM5,COM5,,done", "intent,move,ACPI\\PNP0501\\2_COM8,COM8,COM5,",
        "outcome,move,ACPI\\PNP0501\\2_COM8,COM8,COM5,done", "outcome,plan,,C:\\plan.txt,,done"}},
      {u"/apply C:\\plan.txt", "COM1500 instance ACPI\\PNP0501\\2_COM8\r\n", 0,
       {"intent,plan,,C:\\plan.txt,,", "intent,grow,,256,2048,", "outcome,grow,,256,2048,done",
        "intent,move,ACPI\\PNP0501\\2_COM8,COM8,COM1500,",
        "outcome,move,ACPI\\PNP0501\\2_COM8,COM8,COM1500,done", "outcome,plan,,C:\\plan.txt,,done"}},
      {u"/apply C:\\plan.txt", "COM1500 instance ACPI\\PNP0501\\2_COM8\r\n", 0,
       {"intent,plan,,C:\\plan.txt,,", "intent,grow,,256,2048,", "outcome,grow,,256,2048,done",
        "intent,move,ACPI\\PNP0501\\2_COM8,COM8,COM1500,",
        "outcome,move,ACPI\\PNP0501\\2_COM8,COM8,COM1500,done", "outcome,plan,,C:\\plan.txt,,done"},
       false},
      // Refused, dry, or nothing to do: nothing is recorded.
      {u"/m COM3 COM8", "", 9, {}},
      {u"/n /c /r", "", 4, {}},
      {u"/apply C:\\plan.txt", "COM8 instance ACPI\\PNP0501\\2_COM8\r\n", 0, {}},
      {u"/l", "", 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.args, c.args + std::char_traits<char16_t>::length(c.args)));
    Machine();
    SimSetPortDatabaseAvailable(c.routines);
    SimFile plan;
    plan.content = c.plan;
    SimFileSet("C:\\plan.txt", plan);
    EXPECT_EQ(c.code, AppMain(1, c.args, 10));
    EXPECT_EQ(Recorded(c.lines), SimJournalRecords());
    EXPECT_EQ(std::u16string::npos, SimOutput(kOsStandardError).find(u"journal"));
  }
}

// A save that frees many numbers appends their intents at once before its
// first change, and their outcomes at once after its last: recording
// costs /c two appends, not two for each number.
TEST(BatchJournal, ASaveOfManyNumbersAppendsTwice) {
  for (bool routines : {true, false}) {
    SimReset();
    SimSetPortDatabaseAvailable(routines);
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, std::vector<uint8_t>(32, 0xFF));
    EXPECT_EQ(0, AppMain(1, u"/c", 10));
    EXPECT_EQ(2, SimFileWriteCount()) << routines;
    Lines records = SimJournalRecords();
    ASSERT_EQ(512u, records.size());
    EXPECT_EQ(kRun + std::string("intent,free,,COM256,,"), records[255]);
    EXPECT_EQ(kRun + std::string("outcome,free,,COM1,,done"), records[256]);
  }
}

// A journal that cannot be written stops nothing: the change is made and
// told as ever, the run ends with the code it would have, and standard
// error says once why the journal was not written. A run as SYSTEM is the
// task's.
TEST(BatchJournal, AJournalThatCannotBeWrittenStopsNothingAndIsToldOnce) {
  const struct {
    const char* name;
    void (*fault)();
    const char16_t* said;
  } cases[] = {
      {"a user's folder",
       [] {
         SimFileSet("C:\\ProgramData\\Varnick", SimFolder(u"O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;BU)"));
       },
       u"The journal could not be written: CANT_ACCESS_FILE\r\n"},
      {"lock held", [] { SimHoldFileElsewhere("C:\\ProgramData\\Varnick\\journal.lock", true); },
       u"The journal could not be written: WAIT_TIMEOUT\r\n"},
      {"disk full", [] { SimFileFailAppends(112, 100); },
       u"The journal could not be written: DISK_FULL\r\n"},
      {"as SYSTEM", [] { SimSetRunsAsSystem(true); }, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Machine();
    c.fault();
    EXPECT_EQ(0, AppMain(1, u"/c /m COM3 COM4", 10));
    EXPECT_EQ(u"freed COM1\r\nfreed COM6\r\nmoved COM3 ACPI\\PNP0501\\0_COM3 to COM4\r\n",
              SimOutput(kOsStandardOutput));
    EXPECT_EQ(std::u16string(c.said), SimOutput(kOsStandardError));
    std::vector<uint8_t> comDb = SimRegValue(kComArbiterPath, kComDbName);
    EXPECT_EQ(0x18, comDb[0]);  // 4 and 5
    EXPECT_EQ(c.said[0] == 0 ? 6u : 0u, SimJournalRecords().size());
  }
  EXPECT_EQ(0u, SimJournalRecords()[0].find("20261210T165029Z-4242-1,task,intent,free,"));
}

}  // namespace
