// The window's Undo Last Change over the simulated platform: which change
// it takes back, the boxes it shows, and when the window offers it.
#include "ui/undo.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "tests/support/fake_rows.h"
#include "tests/support/journal_lines.h"

namespace {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<std::u16string> Lines;

// COM1 reserved with no device, COM2 held by a port that is not present,
// COM3 by a working one; the window open on them, its journal started.
class Undo : public testing::Test {
 public:
  void SetUp() override {
    ReleasePorts(&session);
    session = {};
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x07});
    SimAddPort(u"COM2", false);
    port = SimAddPort(u"COM3");
    session.administrator = true;
    StartJournal(&session.journal, kJournalWindow);
    ReloadPorts(&session);
    FillFakeRows(session.reservations->reservedFlags, session.reservations->portCount, nullptr);
  }
  void TearDown() override { ReleasePorts(&session); }

  // A command of the window, between the row guard's ends.
  void Command(const std::function<void()>& work) {
    ASSERT_EQ(1, BeginRowWork(&session));
    work();
    EndRowWork(&session);
    // The list's refresh afterwards.
    ReloadPorts(&session);
    FillFakeRows(session.reservations->reservedFlags, session.reservations->portCount, nullptr);
  }
  void Move(int32_t from, int32_t to) {
    Command([&] { MoveDeviceOfRow(&session, ShownDevice(&session, from), to); });
  }
  void Edit(int32_t port, bool reserved) {
    Command([&] {
      int32_t row = static_cast<int32_t>(&FakeRowOf(port) - fakeRows.data());
      fakeRows[row].checked = reserved;
      int32_t saved;
      EditReservations(&session, kFakeRows, row, reserved, 0, &saved);
    });
  }
  // Undo Last Change as the menu gives it; the status bar's words, or
  // "(not offered)", and the row the list then focuses.
  std::u16string UndoCommand() {
    std::u16string status = u"(not offered)";
    Command([&] {
      char16_t text[120] = {};
      if (UndoLastChange(&session, text, 120, &movedTo)) status = text;
    });
    return status;
  }
  // Lines another process's batch run writes meanwhile.
  void Batch(const std::function<void(Journal*)>& lines) {
    SimSetProcessId(99);
    Journal batch;
    StartJournal(&batch, kJournalBatch);
    lines(&batch);
    SimSetProcessId(4242);
  }
  Bytes ComDb() { return SimRegValue(kComArbiterPath, kComDbName); }
  std::u16string PortName() { return SimDeviceAt(port).portName; }

  PortSession session = {};
  int port = 0;
  int32_t movedTo = -1;
};

// What the window's last command changed is taken back, whichever command
// it was; a command that failed changed nothing and leaves the one before
// it; a step the machine makes unsafe now refuses the whole undo in a box,
// and it is still offered, as it is after an undo that failed part way; a
// change undone by another since is nothing to undo, said in a box, and no
// longer offered.
TEST_F(Undo, TakesBackTheWindowsOwnLastChange) {
  const struct {
    const char* name;
    std::function<void(Undo*)> commands;
    Bytes comDb;          // afterwards
    const char16_t* portName;
    int32_t focused;      // the port the list focuses then; 0 as it was
    Lines boxes;          // those the undo shows
    std::u16string status;
    const char* outcome;  // the undo's in the journal; null: nothing recorded
    bool offered;         // afterwards
  } cases[] = {
      {"F2", [](Undo* t) { t->Move(3, 5); }, {0x07}, u"COM3", 3, {}, u" Last change undone", "done", false},
      {"a check box", [](Undo* t) { t->Edit(1, false); }, {0x07}, u"COM3", 0, {},
       u" Last change undone", "done", false},
      {"Delete of a device not present",
       [](Undo* t) {
         t->Command([t] {
           RemoveDeviceOfRow(&t->session, kFakeRows, static_cast<int32_t>(&FakeRowOf(2) - fakeRows.data()),
                             ShownDevice(&t->session, 2));
           SaveRemovals(&t->session);
         });
       },
       {0x07}, u"COM3", 0,
       {u"ACPI\\PNP0501\\0_COM2 was removed from COM2 and cannot be brought back"},
       u" Last change undone", "done", false},
      {"F2, then a check box whose write failed",
       [](Undo* t) {
         t->Move(3, 5);
         SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied);
         t->Edit(1, false);
       },
       {0x07}, u"COM3", 3, {}, u" Last change undone", "done", false},
      {"F2, and COM3 taken since",
       [](Undo* t) {
         t->Move(3, 5);
         SimAddPort(u"COM3");
       },
       {0x13}, u"COM5", 0,
       {u"20261210T165029Z-4242-2 cannot be undone: COM3 is held by ACPI\\PNP0501\\2_COM3"},
       u" Nothing undone", nullptr, true},
      {"F2, undone by /undo since",
       [](Undo* t) {
         t->Move(3, 5);
         t->Batch([t](Journal* j) {
           const JournalEntry undo = {kJournalUndo, nullptr, 0, 0, t->session.journal.undoable};
           JournalIntent(j, undo);
           JournalOutcome(j, undo, kJournalDone);
         });
       },
       {0x13}, u"COM5", 0, {u"Nothing to undo"}, u" Nothing undone", nullptr, false},
      {"F2, and the move back failing",
       [](Undo* t) {
         t->Move(3, 5);
         SimFailRestart(1);
       },
       {0x13}, u"COM5", 0, {u"ACCESS_DENIED moving\nACPI\\PNP0501\\1_COM3"},
       u" The undo failed part way; undo again to finish it", "ACCESS_DENIED", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.commands(this);
    ASSERT_TRUE(MayUndoLastChange(&session));
    const std::u16string undone = session.journal.undoable;
    size_t shown = SimMessageBoxes().size();
    size_t recorded = SimJournalRecords().size();

    EXPECT_EQ(c.status, UndoCommand());
    EXPECT_EQ(c.comDb, ComDb());
    EXPECT_EQ(c.portName, PortName());
    EXPECT_EQ(c.focused, movedTo);
    Lines boxes;
    for (size_t b = shown; b < SimMessageBoxes().size(); b++) {
      boxes.push_back(SimMessageBoxes()[b].text);
      EXPECT_EQ(u"Varnick", SimMessageBoxes()[b].caption);
    }
    EXPECT_EQ(c.boxes, boxes);
    EXPECT_EQ(c.offered, MayUndoLastChange(&session));
    const std::vector<std::string> records = SimJournalRecords();
    if (c.outcome != nullptr) {
      // The undo is a run of the window's own, around what it did.
      std::string run(undone.begin(), undone.end());
      EXPECT_EQ(",window,outcome,undo,," + run + ",,", records.back().substr(23, 47));
      EXPECT_EQ(c.outcome, records.back().substr(70));
    } else {
      EXPECT_EQ(recorded, records.size());
    }
  }
}

// The window offers the undo only for a change of its own that no undo
// has taken back, and only with administrator rights; where it does not,
// the command does nothing at all, whatever the journal holds.
TEST_F(Undo, OffersOnlyAChangeOfItsOwnNotUndone) {
  const struct {
    const char* name;
    std::function<void(Undo*)> commands;
    bool offered;
  } cases[] = {
      {"a new window", [](Undo*) {}, false},
      {"a command that changed nothing", [](Undo* t) { t->Command([] {}); }, false},
      {"F2", [](Undo* t) { t->Move(3, 5); }, true},
      {"F2, then property sheets", [](Undo* t) { t->Move(3, 5); t->Command([] {}); }, true},
      {"F2 without rights", [](Undo* t) { t->Move(3, 5); t->session.administrator = false; }, false},
      {"F2 that failed and was undone", [](Undo* t) { SimFailRestart(1); t->Move(3, 5); }, false},
      {"F2, then its undo", [](Undo* t) { t->Move(3, 5); t->UndoCommand(); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    // A run of batch mode before the window's, which freed COM1: the
    // window's undo never takes it.
    Batch([](Journal* j) {
      const JournalEntry freed = {kJournalFree, nullptr, 1, 0, nullptr};
      JournalIntent(j, freed);
      JournalOutcome(j, freed, kJournalDone);
    });
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x06});
    c.commands(this);
    EXPECT_EQ(c.offered, MayUndoLastChange(&session));
    if (c.offered) continue;
    const Bytes before = ComDb();
    const std::u16string name = PortName();
    size_t boxes = SimMessageBoxes().size();
    size_t records = SimJournalRecords().size();
    EXPECT_EQ(u"(not offered)", UndoCommand());
    EXPECT_EQ(before, ComDb());
    EXPECT_EQ(name, PortName());
    EXPECT_EQ(boxes, SimMessageBoxes().size());
    EXPECT_EQ(records, SimJournalRecords().size());
  }
}

}  // namespace
