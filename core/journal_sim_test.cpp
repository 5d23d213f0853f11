// The journal's file: its lines, the lock each is appended under, the
// roll-over at 1 MiB, and the places it is never written through.
#include "core/journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "tests/support/journal_lines.h"

namespace {

typedef std::vector<std::string> Lines;

const char kFolder[] = "C:\\ProgramData\\Varnick";
const char kFile[] = "C:\\ProgramData\\Varnick\\journal.csv";
const char kLock[] = "C:\\ProgramData\\Varnick\\journal.lock";
const char kOldFile[] = "C:\\ProgramData\\Varnick\\journal.old.csv";
const std::string kStart = "\xEF\xBB\xBFTime,Run,Face,Step,Change,Device,From,To,Result\r\n";
const JournalEntry kFree5 = {kJournalFree, nullptr, 5, 0, nullptr};

class JournalFile : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    StartJournal(&journal, kJournalBatch);
  }
  void TearDown() override {
    EXPECT_EQ(0, SimOpenFileCount());
  }
  uint32_t Failure() {
    uint32_t error;
    return TakeJournalFailure(&journal, &error) ? error : 0;
  }
  Journal journal;
};

// Each change's two lines, with the fields it fills; text that a
// spreadsheet would run, or that would break the line, is guarded.
TEST_F(JournalFile, EachChangeWritesItsFieldsQuotedAndGuarded) {
  const char16_t odd[] = u"ROOT\\A\r\nB\t\x01";
  const struct {
    JournalEntry entry;
    const char16_t* result;
    const char* outcome;  // without time, run and face
  } cases[] = {
      {{kJournalReserve, nullptr, 0, 7, nullptr}, kJournalDone, "outcome,reserve,,,COM7,done"},
      {kFree5, u"ACCESS_DENIED", "outcome,free,,COM5,,ACCESS_DENIED"},
      {{kJournalMove, u"FTDIBUS\\VID_0403+PID_6001+A1\\0000", 9, 4096, nullptr},
       kJournalRestartNeeded,
       "outcome,move,FTDIBUS\\VID_0403+PID_6001+A1\\0000,COM9,COM4096,restart needed"},
      {{kJournalRemove, u"ROOT\\PORTS\\0001", 7, 0, nullptr}, kJournalFailed,
       "outcome,remove,ROOT\\PORTS\\0001,COM7,,failed"},
      {{kJournalGrow, nullptr, 256, 1024, nullptr}, kJournalDone, "outcome,grow,,256,1024,done"},
      {{kJournalPlan, nullptr, 0, 0, u"C:\\plans\\bench 4, \"new\".txt"}, kJournalUndone,
       "outcome,plan,,\"C:\\plans\\bench 4, \"\"new\"\".txt\",,undone"},
      {{kJournalUndo, nullptr, 0, 0, u"20261210T165029Z-4242-1"}, kJournalDone,
       "outcome,undo,,20261210T165029Z-4242-1,,done"},
      // A formula, and the guard's own quote, each put behind a "'".
      {{kJournalRemove, u"=HYPERLINK(\"x\")", 3, 0, nullptr}, kJournalDone,
       "outcome,remove,\"'=HYPERLINK(\"\"x\"\")\",COM3,,done"},
      {{kJournalRemove, u"+1", 3, 0, nullptr}, kJournalDone, "outcome,remove,\"'+1\",COM3,,done"},
      {{kJournalPlan, nullptr, 0, 0, u"-plan.txt"}, kJournalDone, "outcome,plan,,\"'-plan.txt\",,done"},
      {{kJournalPlan, nullptr, 0, 0, u"@plan"}, kJournalDone, "outcome,plan,,\"'@plan\",,done"},
      {{kJournalPlan, nullptr, 0, 0, u"'plan"}, kJournalDone, "outcome,plan,,\"''plan\",,done"},
      {{kJournalRemove, odd, 3, 0, nullptr}, kJournalDone, "outcome,remove,ROOT\\A  B  ,COM3,,done"},
      {{kJournalPlan, nullptr, 0, 0, u"C:\\Pl\u00E4ne\\\U0001F50C.txt"}, kJournalDone,
       "outcome,plan,,C:\\Pl\xC3\xA4ne\\\xF0\x9F\x94\x8C.txt,,done"},
  };
  Lines want;
  for (const auto& c : cases) {
    JournalIntent(&journal, c.entry);
    JournalOutcome(&journal, c.entry, c.result);
    std::string outcome = std::string("20261210T165029Z-4242-1,batch,") + c.outcome;
    std::string intent = outcome.substr(0, outcome.rfind(',') + 1);
    intent.replace(intent.find(",outcome,"), 9, ",intent,");
    want.push_back(intent);
    want.push_back(outcome);
  }
  EXPECT_EQ(want, SimJournalRecords());
  EXPECT_EQ(0u, Failure());
  // The folder there was none of, made before the first line: owned by
  // the Administrators, SYSTEM and they alone admitted, nothing inherited.
  SimFile folder;
  ASSERT_TRUE(SimFileGet(kFolder, &folder));
  EXPECT_EQ(u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", folder.sddl);
  SimFile file;
  ASSERT_TRUE(SimFileGet(kFile, &file));
  EXPECT_EQ(u"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)", file.sddl);
}

// A new file begins with the mark and the header; lines are appended
// behind what is there; a run as SYSTEM is the task's; each run has its
// own identifier, and the window makes one a command.
TEST_F(JournalFile, RunsAndFacesAreNamedAndLinesAppended) {
  SimFileSet(kFile, SimFile{"earlier\r\n"});
  JournalIntent(&journal, kFree5);
  StartJournalRun(&journal);
  JournalOutcome(&journal, kFree5, kJournalDone);
  EXPECT_EQ(
      "earlier\r\n2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,\r\n"
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-2,batch,outcome,free,,COM5,,done\r\n",
      SimJournalFile());
  EXPECT_EQ(std::u16string(u"20261210T165029Z-4242-2"), journal.lastRun);

  SimReset();
  SimSetRunsAsSystem(true);
  SimSetProcessId(77);
  SimSetUtcTime({2027, 1, 2, 3, 4, 5, 6});
  StartJournal(&journal, kJournalBatch);
  JournalIntent(&journal, kFree5);
  EXPECT_EQ(kStart + "2027-01-02T03:04:05.006Z,20270102T030405Z-77-1,task,intent,free,,COM5,,\r\n",
            SimJournalFile());
  SimReset();
  StartJournal(&journal, kJournalWindow);
  JournalIntent(&journal, kFree5);
  EXPECT_EQ(Lines{"20261210T165029Z-4242-1,window,intent,free,,COM5,,"}, SimJournalRecords());

  // No journal: nothing written, nothing failed.
  SimReset();
  Journal none = {};
  JournalIntent(&none, kFree5);
  JournalIntent(nullptr, kFree5);
  EXPECT_EQ("-", SimJournalFile());

  // A last line a crash cut short is ended first, and keeps no record.
  SimReset();
  StartJournal(&journal, kJournalBatch);
  SimSetFolder("C:\\ProgramData\\Varnick", true);
  const std::string cut = kStart + "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,inte";
  SimFileSet(kFile, SimFile{cut});
  JournalIntent(&journal, kFree5);
  EXPECT_EQ(cut + "\r\n2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,\r\n",
            SimJournalFile());
}

// At 1 MiB the file becomes the older one, replacing an older one, and a
// new one begins with its header; a line that still fits goes where it is.
TEST_F(JournalFile, RollsOverToOneOlderFileAtOneMebibyte) {
  const std::string line = "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,\r\n";
  const struct {
    size_t size;
    bool rolled;
  } cases[] = {{kJournalMostBytes - line.size(), false}, {kJournalMostBytes - line.size() + 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    SimReset();
    StartJournal(&journal, kJournalBatch);
    const std::string full = kStart + std::string(c.size - kStart.size() - 2, 'x') + "\r\n";
    SimFileSet(kFile, SimFile{full});
    SimFileSet(kOldFile, SimFile{"older"});
    JournalIntent(&journal, kFree5);
    EXPECT_EQ(c.rolled ? full : "older", SimJournalFile("journal.old.csv"));
    EXPECT_EQ(c.rolled ? kStart + line : full + line, SimJournalFile());
    EXPECT_EQ(0u, Failure());
  }
  // The older name is a folder: the line still goes where it is, and the
  // journal counts as failed.
  SimFile folder;
  folder.attributes = kOsFileAttributeDirectory;
  SimFileSet(kOldFile, folder);
  const std::string full = kStart + std::string(kJournalMostBytes - kStart.size() - 2, 'x') + "\r\n";
  SimFileSet(kFile, SimFile{full});
  JournalIntent(&journal, kFree5);
  EXPECT_EQ(full + line, SimJournalFile());
  EXPECT_EQ(static_cast<uint32_t>(kOsErrorAccessDenied), Failure());
}

// A link, a reparse point, a directory or a file with a second name in
// the journal's place, or a folder someone else made or may change, is
// never written, nor written through; a lock that another holds too long,
// a folder that cannot be made or a failed write give the line up. Each
// failure counts once, and later lines are still tried.
TEST_F(JournalFile, NeverWritesThroughALinkAndGivesALineUpOnAnyFailure) {
  SimFile link;
  link.content = "target";
  link.attributes = kOsFileAttributeReparsePoint;
  SimFile linked;
  linked.content = "target";
  linked.links = 2;
  SimFile folder;
  folder.attributes = kOsFileAttributeDirectory;
  const struct {
    const char* name;
    std::function<void()> fault;
    int32_t error;
  } cases[] = {
      {"reparse point", [&] { SimFileSet(kFile, link); }, kOsErrorCantAccessFile},
      {"second name", [&] { SimFileSet(kFile, linked); }, kOsErrorCantAccessFile},
      {"directory", [&] { SimFileSet(kFile, folder); }, kOsErrorAccessDenied},
      {"lock held", [] { SimHoldFileElsewhere(kLock, true); }, kOsErrorWaitTimeout},
      {"a user's folder", [] { SimFileSet(kFolder, SimFolder(u"O:S-1-5-21-1-2-3-1001D:(A;OICI;FA;;;WD)")); },
       kOsErrorCantAccessFile},
      {"a linked folder",
       [] {
         SimFile junction = SimFolder(u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)");
         junction.attributes |= kOsFileAttributeReparsePoint;
         SimFileSet(kFolder, junction);
       },
       kOsErrorCantAccessFile},
      {"disk full", [] { SimFileFailAppends(112, 2); }, 112},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    StartJournal(&journal, kJournalBatch);
    c.fault();
    SimFile before, after;  // empty where there is none
    SimFileGet(kFile, &before);
    JournalIntent(&journal, kFree5);
    JournalOutcome(&journal, kFree5, kJournalDone);
    SimFileGet(kFile, &after);
    EXPECT_EQ(before.content, after.content);
    EXPECT_EQ(0, SimFileWriteCount());
    EXPECT_EQ(static_cast<uint32_t>(c.error), Failure());
    EXPECT_EQ(0u, Failure());  // taken
    if (c.error == kOsErrorWaitTimeout) {
      // The first line waited its while; the run's next did not.
      const std::vector<uint32_t>& sleeps = SimSleeps();
      EXPECT_EQ(kJournalLockWait / kJournalLockRetry, sleeps.size());
      EXPECT_EQ(kJournalLockWait, std::accumulate(sleeps.begin(), sleeps.end(), 0u));
    }
  }
}

}  // namespace
