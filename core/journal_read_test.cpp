// A journal read back: records only from lines of the form the journal
// writes, each outcome paired with its change's intent within its run, the
// runs in the order they began.
#include "core/journal_read.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/number_plan.h"

namespace {

typedef std::vector<std::string> Texts;

std::string Narrow(const char16_t* text) {
  std::string narrow;
  for (; *text != 0; text++) narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
  return narrow;
}

struct Read {
  JournalRead journal;
  explicit Read(const std::string& bytes) {
    ReadJournal(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                &journal);
  }
  ~Read() { ReleaseJournal(&journal); }
  // Each run: "ID face [undoes ID]: change device from to result; ..."
  Texts Runs() const {
    Texts runs;
    for (int32_t k = 0; k < journal.runCount; k++) {
      const JournalRun& run = journal.runs[k];
      std::string text = Narrow(run.id) + " " + Narrow(JournalFaceWord(run.face));
      if (run.undoes != nullptr) text += " undoes " + Narrow(run.undoes);
      text += ":";
      for (int32_t c = 0; c < run.changeCount; c++) {
        const JournalChangeRead& change = run.changes[c];
        const JournalRecord& r = *change.intent;
        text += " " + Narrow(JournalChangeWord(r.change)) + " " + Narrow(r.device) + " " +
                std::to_string(r.fromNumber) + " " + std::to_string(r.toNumber) + " " +
                (change.outcome != nullptr ? Narrow(change.outcome->result) : "(interrupted)") + ";";
      }
      runs.push_back(text);
    }
    return runs;
  }
};

const char kHeader[] = "\xEF\xBB\xBFTime,Run,Face,Step,Change,Device,From,To,Result\r\n";
const char kTime[] = "2026-12-10T16:50:29.123Z,";
const char kRun1[] = "20261210T165029Z-4242-1";
const char kRun2[] = "20261210T165030Z-77-1";

std::string Line(const std::string& run, const std::string& rest) {
  return kTime + run + "," + rest + "\r\n";
}

// Two runs whose lines interleave (batch mode and the task at once), a
// change cut short, an outcome no intent went before, a plan around its
// moves, an undo naming the run it undid; the older file read before the
// newer one, each with its mark and header.
TEST(JournalRead, PairsEachOutcomeWithItsIntentRunByRun) {
  const std::string bytes =
      std::string(kHeader) + Line(kRun1, "batch,intent,free,,COM5,,") +
      Line(kRun2, "task,intent,plan,,C:\\plan.txt,,") + Line(kRun2, "task,intent,free,,COM5,,") +
      Line(kRun2, "task,intent,move,ROOT\\PORTS\\0001,COM3,COM4,") +
      Line(kRun1, "batch,outcome,free,,COM5,,done") +
      Line(kRun1, "batch,intent,free,,COM6,,") + kHeader +  // the newer file
      Line(kRun2, "task,outcome,move,ROOT\\PORTS\\0001,COM3,COM4,restart needed") +
      Line(kRun2, "task,intent,move,ROOT\\PORTS\\0002,COM4,COM3,") +
      Line(kRun2, "task,outcome,move,ROOT\\PORTS\\0002,COM4,COM3,undone") +
      Line(kRun2, "task,outcome,plan,,C:\\plan.txt,,undone") +
      Line(kRun1, "batch,outcome,remove,ROOT\\PORTS\\0003,COM7,,done") +  // no intent
      Line("20261210T170000Z-4242-2", "window,intent,undo,,20261210T165030Z-77-1,,") +
      Line("20261210T170000Z-4242-2", "window,intent,reserve,,,COM9,") +
      Line("20261210T170000Z-4242-2", "window,outcome,reserve,,,COM9,ACCESS_DENIED") +
      Line("20261210T170000Z-4242-2", "window,outcome,undo,,20261210T165030Z-77-1,,not all undone") +
      // The same change twice at once: each outcome has an intent of its own.
      Line("20261210T170001Z-4242-3", "window,intent,free,,COM7,,") +
      Line("20261210T170001Z-4242-3", "window,intent,free,,COM7,,") +
      Line("20261210T170001Z-4242-3", "window,outcome,free,,COM7,,done") +
      Line("20261210T170001Z-4242-3", "window,outcome,free,,COM7,,ACCESS_DENIED");
  Read read(bytes);
  EXPECT_EQ((Texts{
                "20261210T165029Z-4242-1 batch: free  5 0 done; free  6 0 (interrupted);",
                "20261210T165030Z-77-1 task: plan  0 0 undone; free  5 0 (interrupted); move "
                "ROOT\\PORTS\\0001 3 4 restart needed; move ROOT\\PORTS\\0002 4 3 undone;",
                "20261210T170000Z-4242-2 window undoes 20261210T165030Z-77-1: undo  0 0 not all "
                "undone; reserve  0 9 ACCESS_DENIED;",
                "20261210T170001Z-4242-3 window: free  7 0 ACCESS_DENIED; free  7 0 done;",
            }),
            read.Runs());
  EXPECT_EQ(1, read.journal.unpaired);
  EXPECT_EQ(0, read.journal.skipped);
  const JournalRun& task = read.journal.runs[1];
  EXPECT_EQ("C:\\plan.txt", Narrow(task.changes[0].intent->from));
  EXPECT_EQ(kJournalResultUndone, task.changes[0].result);
  EXPECT_EQ(kJournalResultRestartNeeded, task.changes[2].result);
  EXPECT_EQ(kJournalResultInterrupted, read.journal.runs[0].changes[1].result);
  EXPECT_EQ(kJournalResultFailed, read.journal.runs[2].changes[1].result);
  EXPECT_EQ(7, read.journal.runs[0].changes[1].intent->line);
}

// Lines the journal never writes are skipped, whatever they hold; the
// rest of the journal is read as if they were not there.
TEST(JournalRead, SkipsEveryLineOfAnotherForm) {
  const char* const bad[] = {
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,",    // 8 fields
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,,",  // 10
      "2026-12-10 16:50:29,20261210T165029Z-4242-1,batch,intent,free,,COM5,,",        // time
      "2026-12-10T16:50:29.123Z,run-1,batch,intent,free,,COM5,,",                     // run
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,service,intent,free,,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,before,free,,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,format,,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,done",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,outcome,free,,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,outcome,free,,COM5,,is done",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM0,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM05,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,com5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,reserve,,,COM4097,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,ROOT\\X,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,move,,COM5,COM6,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,move,ROOT\\X,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,grow,,256,-1024,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,undo,,yesterday,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,remove,\"ROOT\\X,COM5,,",
      "2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,remove,\"ROOT\\X\"Y,COM5,,",
      "\"2026-12-10T16:50:29.123Z,20261210T165029Z-4242-1,batch,intent,free,,COM5,,",
  };
  std::string bytes = kHeader;
  for (const char* line : bad) bytes += std::string(line) + "\r\n";
  bytes += Line(kRun1, "batch,intent,remove,\"'=ROOT\\X,Y\",COM5,,") + "\n\n\xFF\xFE\r\n" +
           Line(kRun1, "batch,outcome,remove,\"'=ROOT\\X,Y\",COM5,,done");
  Read read(bytes);
  EXPECT_EQ(static_cast<int32_t>(sizeof bad / sizeof bad[0]) + 1, read.journal.skipped);
  EXPECT_EQ(Texts{"20261210T165029Z-4242-1 batch: remove =ROOT\\X,Y 5 0 done;"}, read.Runs());
}

// What the journal writes reads back as it was written: every change and
// result, fields quoted, guarded and cut to their room.
TEST(JournalRead, ReadsBackWhatTheJournalWrote) {
  const std::u16string longId(kJournalDeviceUnits + 40, u'D');
  const struct {
    JournalEntry entry;
    const char16_t* result;
    std::u16string device, from, to;  // as read back
  } cases[] = {
      {{kJournalReserve, nullptr, 0, 4096, nullptr}, kJournalDone, u"", u"", u"COM4096"},
      {{kJournalFree, nullptr, 1, 0, nullptr}, u"ERROR_0x10000000", u"", u"COM1", u""},
      {{kJournalMove, u"@odd, \"id\"", 3, 4, nullptr}, kJournalNotReleased, u"@odd, \"id\"", u"COM3",
       u"COM4"},
      {{kJournalRemove, longId.c_str(), 5000, 0, nullptr}, kJournalFailed,
       longId.substr(0, kJournalDeviceUnits - 1), u"COM5000", u""},
      {{kJournalGrow, nullptr, 0, 1024, nullptr}, kJournalRestartNeeded, u"", u"", u"1024"},
      {{kJournalPlan, nullptr, 0, 0, u"-\u00FCber.txt"}, kJournalNotAllUndone, u"", u"-\u00FCber.txt",
       u""},
      {{kJournalUndo, nullptr, 0, 0, u"20261210T165029Z-4242-12"}, kJournalUndone, u"",
       u"20261210T165029Z-4242-12", u""},
  };
  for (const auto& c : cases) {
    std::string bytes;
    for (JournalStep step : {kJournalIntent, kJournalOutcome}) {
      char16_t line[kJournalLineUnits];
      JournalLine({2026, 12, 10, 16, 50, 29, 123}, u"20261210T165029Z-4242-1", kJournalTask, step,
                  c.entry, c.result, line, kJournalLineUnits);
      std::vector<uint8_t> utf8(Utf8OfText(line, nullptr, 0));
      Utf8OfText(line, utf8.data(), static_cast<uint32_t>(utf8.size()));
      bytes += std::string(utf8.begin(), utf8.end()) + "\r\n";
    }
    Read read(bytes);
    ASSERT_EQ(1, read.journal.runCount) << bytes;
    ASSERT_EQ(1, read.journal.runs[0].changeCount);
    const JournalChangeRead& change = read.journal.runs[0].changes[0];
    ASSERT_NE(nullptr, change.outcome);
    EXPECT_EQ(c.entry.change, change.intent->change);
    EXPECT_EQ(kJournalTask, read.journal.runs[0].face);
    EXPECT_EQ(c.device, std::u16string(change.intent->device));
    EXPECT_EQ(c.from, std::u16string(change.intent->from));
    EXPECT_EQ(c.to, std::u16string(change.intent->to));
    EXPECT_EQ(std::u16string(c.result), std::u16string(change.outcome->result));
    EXPECT_EQ(std::u16string(u"2026-12-10T16:50:29.123Z"), std::u16string(change.outcome->time));
  }
}

}  // namespace
