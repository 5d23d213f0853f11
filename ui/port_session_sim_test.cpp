#include "ui/port_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/process.h"
#include "core/port_identity.h"
#include "platform/sim/sim.h"
#include "tests/support/fake_rows.h"
#include "tests/support/journal_lines.h"

namespace {

typedef std::vector<uint8_t> Bytes;

class Session : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    session.administrator = true;
  }
  void TearDown() override { ReleasePorts(&session); }
  // The window's first refresh: the models, and a row per port.
  void Open(const Bytes& comDb, bool descending = false, bool identities = false) {
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, comDb);
    ReloadPorts(&session, identities);
    FillFakeRows(session.reservations->reservedFlags, session.reservations->portCount, nullptr);
    if (descending) std::reverse(fakeRows.begin(), fakeRows.end());
  }
  PortSession session = {};
  int32_t RowOf(int32_t port) {
    return static_cast<int32_t>(&FakeRowOf(port) - fakeRows.data());
  }
};

TEST_F(Session, HoldsBackARefreshOrCloseAndRefusesOtherRowWork) {
  EXPECT_EQ(0, BeginRowWork(&session));  // no rows yet
  Open(Bytes{0x01});
  EXPECT_EQ(1, RefreshMayRunNow(&session));
  EXPECT_EQ(1, CloseMayRunNow(&session));
  EXPECT_EQ(0, EndRowWork(&session));  // an unmatched end changes nothing
  EXPECT_EQ(0, RowsInUse(&session));

  ASSERT_EQ(1, BeginRowWork(&session));
  EXPECT_EQ(1, RowsInUse(&session));
  EXPECT_EQ(0, BeginRowWork(&session));  // a second command inside the first
  EXPECT_EQ(0, RefreshMayRunNow(&session));
  EXPECT_EQ(0, RefreshMayRunNow(&session));
  EXPECT_EQ(kRefreshDue, EndRowWork(&session));  // once, however often it came due
  EXPECT_EQ(1, RefreshMayRunNow(&session));
  EXPECT_EQ(0, RowsInUse(&session));

  ASSERT_EQ(1, BeginRowWork(&session));
  EXPECT_EQ(0, CloseMayRunNow(&session));
  EXPECT_EQ(0, RefreshMayRunNow(&session));
  EXPECT_EQ(kRefreshDue | kCloseDue, EndRowWork(&session));
  ASSERT_EQ(1, BeginRowWork(&session));
  EXPECT_EQ(0, EndRowWork(&session));  // nothing came due this time
}

// A click on a check box, as the list reports it after it has changed the
// box: the rows it sets, the selection that follows, what is written.
TEST_F(Session, ACheckBoxEditSetsTheClickedRowAndEverySelectedOne) {
  const struct {
    const char* name;
    Bytes stored;
    bool descending;
    std::vector<int32_t> selected;  // ports selected before the click
    int32_t clicked;                // the port whose box was clicked
    int32_t focusGained;            // the list reported the row's focus with the click
    bool checked;                   // its box after the click
    Bytes want;
    std::vector<int32_t> wantSelected;
  } cases[] = {
      {"COM5 freed, sorted descending", {0x1F}, true, {}, 5, 0, false, {0x0F}, {5}},
      {"one of three selected cleared", {0x0F}, false, {1, 2, 3}, 2, 0, false, {0x08}, {1, 2, 3}},
      {"a fourth joins three selected", {0x00}, false, {1, 2, 3}, 7, 0, true, {0x47}, {1, 2, 3, 7}},
      {"the selection moves to the clicked row", {0x00}, false, {1}, 4, 0, true, {0x08}, {4}},
      // Where the list reports the click with the focus it brings, the
      // selection is the list's own: the row joins it.
      {"a focus brought by the click", {0x00}, false, {1}, 4, 1, true, {0x09}, {1, 4}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    Open(c.stored, c.descending);
    for (int32_t port : c.selected) FakeRowOf(port).selected = true;
    int32_t row = RowOf(c.clicked);
    fakeRows[row].checked = c.checked;
    int32_t saved = 0;
    EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, row, fakeRows[row].checked,
                                        c.focusGained, &saved));
    EXPECT_EQ(1, saved);
    EXPECT_EQ(c.want, SimRegValue(kComArbiterPath, kComDbName));
    // All in one opening of the database: each number the edit changed
    // claimed or released, and no other.
    std::vector<std::string> calls = {"open"};
    for (int32_t port = 1; port <= 8; port++) {
      int want = c.want[0] >> (port - 1) & 1;
      if (want != (c.stored[0] >> (port - 1) & 1)) {
        calls.push_back((want ? "claim " : "release ") + std::to_string(port));
      }
    }
    calls.push_back("close");
    EXPECT_EQ(calls, SimPortDatabaseCalls());
    std::vector<int32_t> selected;
    for (int32_t port = 1; port <= 8; port++) {
      if (FakeRowOf(port).selected) selected.push_back(port);
      EXPECT_EQ((c.want[0] >> (port - 1) & 1) != 0, FakeRowOf(port).checked) << "COM" << port;
    }
    EXPECT_EQ(c.wantSelected, selected);
    EXPECT_EQ(row, fakeFocus);
    ReleasePorts(&session);
  }
}

// A change that was not written, because the command chose not to save it
// or because the save failed, is gone from the model once the command is
// done: the next edit, of another port, writes that port alone.
TEST_F(Session, AfterAnUnwrittenChangeTheNextEditWritesOnlyItsOwnPort) {
  const struct {
    const char* name;
    std::function<void()> fault;  // set before the command
    bool edit;                    // the command: a click on COM3's box, else the removal button
  } cases[] = {
      // COM1 has no device: the button unchecks it, but removes nothing and
      // so saves nothing.
      {"the removal button's unsaved row", [] {}, false},
      {"a failed write", [] { SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100, kComDbName); }, true},
      {"a failed claim", [] { SimPortDatabaseFail(kSimPortDbClaim, kOsErrorAccessDenied); }, true},
      {"a failed read before the write",
       [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName); }, true},
      {"a failed write without the routines",
       [] {
         SimSetPortDatabaseAvailable(false);
         SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100, kComDbName);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    Open(Bytes{0x01});
    c.fault();
    int32_t saved = 1;
    ASSERT_EQ(1, BeginRowWork(&session));
    if (c.edit) {
      FakeRowOf(3).checked = true;
      EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, RowOf(3), fakeRows[RowOf(3)].checked,
                                          0, &saved));
      EXPECT_EQ(0, saved);
    } else {
      EXPECT_EQ(1, RemoveNonPresentPorts(&session, kFakeRows).unsaved);
    }
    EndRowWork(&session);
    EXPECT_EQ(Bytes{0x01}, SimRegValue(kComArbiterPath, kComDbName));
    SimRegFail(kSimRegSet, 0, 0);
    SimRegFail(kSimRegQueryData, 0, 0);
    SimSetPortDatabaseAvailable(true);
    size_t before = SimPortDatabaseCalls().size();

    ASSERT_EQ(1, BeginRowWork(&session));
    FakeRowOf(7).checked = true;
    EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, RowOf(7), fakeRows[RowOf(7)].checked,
                                        0, &saved));
    EndRowWork(&session);
    EXPECT_EQ(1, saved);
    EXPECT_EQ(Bytes{0x41}, SimRegValue(kComArbiterPath, kComDbName));
    EXPECT_EQ((std::vector<std::string>{"open", "claim 7", "close"}),
              std::vector<std::string>(SimPortDatabaseCalls().begin() + before,
                                       SimPortDatabaseCalls().end()));
    ReleasePorts(&session);
  }
}

// Refused, an edit changes nothing and says why, in the box's words.
TEST_F(Session, AnEditIsRefusedWithoutAdministratorRightsOrAWholeComDb) {
  const struct {
    int32_t admin;
    Bytes stored;
    bool unreadable;
    const char16_t* refusal;
  } cases[] = {
      {0, {0x01}, false, u"Admin privileges are required"},
      {1, {0x01}, true, u"ComDB could not be read; nothing was changed"},
      {1, Bytes(kLargestComDbBytes + 1, 0x01), false,
       u"ComDB is longer than 4096 ports; nothing was changed"},
  };
  for (const auto& c : cases) {
    SimReset();
    session.administrator = c.admin != 0;
    if (c.unreadable) SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100, kComDbName);
    Open(c.stored);
    fakeRows[1].checked = true;
    int32_t saved = 1;
    const char16_t* refusal =
        EditReservations(&session, kFakeRows, 1, fakeRows[1].checked, 0, &saved);
    ASSERT_NE(nullptr, refusal);
    EXPECT_EQ(std::u16string(c.refusal), refusal);
    EXPECT_EQ(0, saved);
    EXPECT_EQ(0, SimRegWriteCount());
    EXPECT_FALSE(fakeRows[0].selected || fakeRows[1].selected);  // the selection stays
    ReleasePorts(&session);
  }
}

// A save finds ComDB as it is stored now, longer perhaps than when the rows
// were made: the rows' devices stay within what the reload read.
TEST_F(Session, ComDbGrownSinceTheReloadLeadsNoRowPastTheRowsShown) {
  SimAddPort(u"COM12");
  Open(Bytes{0x01});
  SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x01, 0x08});
  fakeRows[0].checked = false;
  int32_t saved = 0;
  EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, 0, 0, 0, &saved));
  ASSERT_EQ(16, session.reservations->portCount);
  for (int32_t port = 1; port <= 16; port++) EXPECT_EQ(nullptr, ShownDevice(&session, port)) << port;
}

// A check-box edit, or a Delete, whose write of ComDB fails says so in a
// box, while the rows are still held; the repairs' words.
TEST_F(Session, AFailedWriteOfAnEditOrADeleteSaysSo) {
  for (bool remove : {false, true}) {
    SimReset();
    SimAddPort(u"COM2", false);
    Open(Bytes{0x03});
    SimRegFail(kSimRegSet, kOsErrorAccessDenied, 1, kComDbName);
    int32_t saved = 1;
    if (remove) {
      ASSERT_EQ(1, RemoveDeviceOfRow(&session, kFakeRows, 1, ShownDevice(&session, 2)));
      saved = SaveRemovals(&session);
    } else {
      fakeRows[0].checked = false;
      EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, 0, fakeRows[0].checked, 0, &saved));
    }
    EXPECT_EQ(0, saved);
    ASSERT_EQ(1u, SimMessageBoxes().size()) << remove;
    EXPECT_EQ(u"ComDB could not be written: ACCESS_DENIED", SimMessageBoxes()[0].text);
    EXPECT_EQ((Bytes{0x03}), SimRegValue(kComArbiterPath, kComDbName));
    ReleasePorts(&session);
  }
}

// The identities the Location column shows are read with every reload
// while it is shown, and else only when asked for (the copy of the rows).
TEST_F(Session, AReloadReadsTheIdentitiesOnlyWhileTheyAreShown) {
  SimDevice port;
  port.classGuid = kSimPortsClass;
  port.deviceId = u"USB\\VID_0403&PID_6001\\A1";
  port.portName = u"COM3";
  port.locationPath = u"PCIROOT(0)#USBROOT(0)#USB(1)";
  SimAddDevice(port);
  for (bool shown : {false, true}) {
    Open(Bytes{0x04}, false, shown);
    const PortDevice* device = ShownDevice(&session, 3);
    ASSERT_NE(nullptr, device);
    EXPECT_EQ(shown, device->identity != nullptr);
    ReadPortIdentities(&session);
    ASSERT_NE(nullptr, device->identity);
    EXPECT_EQ(port.locationPath, std::u16string(device->identity->locationPath));
    ReleasePorts(&session);
  }
}

// Each command of the window is a run of the journal of its own, so that
// the window can tell its last one; a journal that cannot be written is
// said once, in the status bar's words, after the command's own.
TEST_F(Session, EachCommandIsARunOfItsOwnInTheJournal) {
  StartJournal(&session.journal, kJournalWindow);
  SimAddPort(u"COM2", false);
  SimAddPort(u"COM3");
  Open(Bytes{0x07});
  ASSERT_EQ(1, BeginRowWork(&session));  // Delete
  ASSERT_EQ(1, RemoveDeviceOfRow(&session, kFakeRows, RowOf(2), ShownDevice(&session, 2)));
  EXPECT_EQ(1, SaveRemovals(&session));
  EndRowWork(&session);
  ASSERT_EQ(1, BeginRowWork(&session));  // F2
  EXPECT_EQ(1, MoveDeviceOfRow(&session, ShownDevice(&session, 3), 5));
  EndRowWork(&session);
  ASSERT_EQ(1, BeginRowWork(&session));  // a check box, with the journal's folder gone
  SimSetFolder("C:\\ProgramData\\Varnick", false);
  int32_t saved;
  fakeRows[RowOf(1)].checked = false;
  EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, RowOf(1), 0, 0, &saved));
  EXPECT_EQ(1, saved);
  char16_t text[100] = u" reservation of 1 port removed";
  EXPECT_EQ(1, TellJournalFailure(&session, text, 100));
  EXPECT_EQ(std::u16string(u" reservation of 1 port removed; the journal could not be written: "
                           u"PATH_NOT_FOUND"),
            text);
  EXPECT_EQ(0, TellJournalFailure(&session, text, 100));  // said once
  EndRowWork(&session);
  EXPECT_EQ((std::vector<std::string>{
                "20261210T165029Z-4242-2,window,intent,remove,ACPI\\PNP0501\\0_COM2,COM2,,",
                "20261210T165029Z-4242-2,window,outcome,remove,ACPI\\PNP0501\\0_COM2,COM2,,done",
                "20261210T165029Z-4242-2,window,intent,free,,COM2,,",
                "20261210T165029Z-4242-2,window,outcome,free,,COM2,,done",
                "20261210T165029Z-4242-3,window,intent,move,ACPI\\PNP0501\\1_COM3,COM3,COM5,",
                "20261210T165029Z-4242-3,window,outcome,move,ACPI\\PNP0501\\1_COM3,COM3,COM5,done",
            }),
            SimJournalRecords());
  EXPECT_EQ(std::u16string(u"20261210T165029Z-4242-4"), session.journal.lastRun);
  // A command that says nothing itself: the status bar's whole text.
  ASSERT_EQ(1, BeginRowWork(&session));
  fakeRows[RowOf(1)].checked = true;
  EXPECT_EQ(nullptr, EditReservations(&session, kFakeRows, RowOf(1), 1, 0, &saved));
  char16_t alone[100] = u"";
  EXPECT_EQ(1, TellJournalFailure(&session, alone, 100));
  EXPECT_EQ(std::u16string(u" The journal could not be written: PATH_NOT_FOUND"), alone);
  EndRowWork(&session);
}

}  // namespace
