#include "app/batch.h"

#include "app/batch_face.h"
#include "app/output.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/journal.h"
#include "platform/os.h"

static const char16_t kUsage[] =
    u"Usage: varnick [/c] [/r] [/m DEVICE COMn]... [/apply PLAN] [/export [FILE]] [/l] [/n] [/q]\n"
    u"       varnick /autoapply [PLAN|off] [/n] [/q]\n"
    u"       varnick /undo [/n] [/q]\n"
    u"  /c       free every reserved number that no device carries\n"
    u"  /r       remove every non-present serial or modem device\n"
    u"  /m       give a serial port (COMn, or its device instance ID) another number\n"
    u"  /apply   give every serial port the number the plan in PLAN gives it\n"
    u"  /export  write this machine's number plan to FILE, or to standard output\n"
    u"  /autoapply  have a task apply PLAN at start-up and whenever a device starts;\n"
    u"           off: remove it; alone: tell what is kept\n"
    u"  /undo    undo the last change recorded in the journal that is not undone\n"
    u"  /l       list every port number and the devices that carry it, as CSV\n"
    u"  /n       tell what /c, /r, /m, /apply, /autoapply and /undo would do, and change nothing\n"
    u"  /q       show no message box\n"
    u"Without a switch, or with /q alone, the window opens.";

// Text of several lines, each as a line of its own.
static void WriteLines(int32_t stream, const char16_t* text) {
  char16_t line[128];
  while (*text != 0) {
    uint32_t n = 0;
    while (text[n] != 0 && text[n] != u'\n' && n + 1 < Units(line)) {
      line[n] = text[n];
      n++;
    }
    line[n] = 0;
    WriteLine(stream, line);
    text += n;
    if (*text == u'\n') text++;
  }
}

// /? and /h: on standard output, or in a box where it leads nowhere and
// someone can see one.
static ExitCode TellUsage(const BatchRun& run) {
  if (run.boxesShown && !OsOutputLeadsSomewhere(kOsStandardOutput)) {
    OsMessageBox(0, kUsage, u"Varnick", kOsMbOk | kOsMbIconInformation);
  } else {
    WriteLines(kOsStandardOutput, kUsage);
  }
  return kExitSuccess;
}

// A word that is no switch: named, with the usage, in a box where someone
// can see one, else on standard error. Nothing else is done.
static ExitCode RefuseUnknownWord(const BatchRun& run, const char16_t* word) {
  char16_t text[kWordUnits + Units(kUsage) + 32] = {};
  TextCopy(text, Units(text), u"Unknown argument: ");
  TextAppendOneLine(text, Units(text), word);  // whatever the word holds
  if (run.boxesShown) {
    TextAppend(text, Units(text), u"\n\n");
    TextAppend(text, Units(text), kUsage);
    OsMessageBox(0, text, u"Varnick", kOsMbOk | kOsMbIconError);
  } else {
    WriteLine(kOsStandardError, text);
    WriteLines(kOsStandardError, kUsage);
  }
  return kExitUnknownArgument;
}

int32_t RunBatch(const BatchSwitches& asked) {
  StartBatchOutput();
  BatchRun run = {};
  run.switches = asked;
  BatchSwitches& switches = run.switches;
  run.boxesShown = !switches.quietSwitch && OsUserCanSeeWindows();
  run.administrator = isAdmin;
  if (switches.hasUnknownWord) return RefuseUnknownWord(run, switches.unknownWord);
  if (switches.usageSwitch) return TellUsage(run);
  if (switches.undoSwitch &&
      (RefuseSwitchBeside(&run, u"/undo") || (!switches.dryRunSwitch && RefuseNotAdministrator(&run)))) {
    return run.code;
  }
  if (switches.autoApplySwitch) {
    RunBatchAutoApply(&run);
    if (OutputFailed()) NoteCode(&run, kExitOutputFailed);
    return run.code;
  }
  // Listing, exporting and dry runs change nothing: no administrator rights
  // needed.
  if (switches.dryRunSwitch && !switches.clearSwitch && !switches.removeSwitch &&
      !switches.moveCount && !switches.applySwitch && !switches.exportSwitch &&
      !switches.undoSwitch) {
    switches.clearSwitch = switches.removeSwitch = 1;
  }
  bool changes = switches.clearSwitch || switches.removeSwitch || switches.moveCount ||
                 switches.applySwitch;
  if (changes && !switches.listSwitch && !switches.dryRunSwitch && RefuseNotAdministrator(&run)) {
    return run.code;
  }
  // Both models are loaded once, before either repair.
  HeldReservations reservationsRead;
  HeldDeviceList devicesRead;
  PortReservations* reservations = reservationsRead.Get();
  PortDeviceList* devices = devicesRead.Get();
  Load(reservations);
  // The repairs go by numbers, nodes and IDs; only the listing and the
  // export show more.
  bool shows = switches.listSwitch || switches.exportSwitch;
  Enumerate(devices, shows ? kShownDetail : kRepairDetail);
  // The run's one journal: what it changes, through either model.
  Journal journal;
  StartJournal(&journal, kJournalBatch);
  reservations->journal = &journal;
  devices->journal = &journal;
  if (switches.undoSwitch) {
    RunBatchUndo(&run, reservations, devices);
  } else if (switches.listSwitch) {
    WriteBatchListing(&run, reservations, devices);
  } else {
    if (switches.clearSwitch || switches.removeSwitch) RunBatchRepairs(&run, reservations, devices);
    // The repairs first, so that a script can free a number and take it.
    // Each move checks the models itself: a repair that failed leaves them
    // as they are stored. The plan after them, outside their all or
    // nothing.
    if (switches.moveCount && !OsInterruptRequested()) RunBatchMoves(&run, reservations, devices);
    if (switches.applySwitch && !OsInterruptRequested()) RunBatchPlan(&run, reservations, devices);
  }
  if (switches.exportSwitch && !OsInterruptRequested()) RunBatchExport(&run, devices);
  // Once, whatever it failed for and however often: the changes went on.
  uint32_t journalError;
  if (TakeJournalFailure(&journal, &journalError)) {
    char16_t line[80];
    DescribeJournalFailure(journalError, line, Units(line));
    WriteLine(kOsStandardError, line);
  }
  if (OsInterruptRequested()) {
    WriteLine(kOsStandardError, u"Interrupted; nothing more was done");
    NoteCode(&run, kExitInterrupted);
  }
  if (OutputFailed()) NoteCode(&run, kExitOutputFailed);
  return run.code;
}
