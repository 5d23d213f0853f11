#include "app/batch_face.h"

#include "app/output.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/failure_report.h"
#include "ui/failure_box.h"

void NoteCode(BatchRun* run, ExitCode code) { run->code = GraverExitCode(run->code, code); }

void Tell(const BatchRun& run, const char16_t* caption, const char16_t* text) {
  WriteLine(kOsStandardError, text);
  // A box nobody can answer would hold the run for ever.
  if (run.boxesShown) OsMessageBox(0, text, caption, kOsMbOk | kOsMbIconError);
}

void TellFailure(const BatchRun& run, Failure failure, const PortDevice* device) {
  NameFailureDevice(&failure, device);
  char16_t line[kFailureTextUnits];
  DescribeFailureLine(failure, run.administrator, line, Units(line));
  WriteLine(kOsStandardError, line);
  if (run.boxesShown) ShowFailureBox(failure, run.administrator);
}

void ReportLine(const char16_t* verb, int32_t port) {
  char16_t line[kChangeLineUnits];
  DescribePortChange(verb, port, nullptr, 0, line, Units(line));
  WriteLine(kOsStandardOutput, line);
}

void ReportRunMove(void* context, const PortDevice* device, int32_t from, int32_t to,
                 const MoveResult& result) {
  BatchRun* run = static_cast<BatchRun*>(context);
  char16_t line[kChangeLineUnits];
  PlanMovedLine(run->switches.dryRunSwitch, device, from, to, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  if (result.outcome == kMovedNotReleased) {
    TellFailure(*run, result.failure, device);
    NoteCode(run, kExitNotWritten);
  } else if (result.outcome == kMovedRestartNeeded) {
    PlanRestartLine(device, line, Units(line));
    WriteLine(kOsStandardError, line);
    NoteCode(run, kExitRestartNeeded);
  } else {
    NoteCode(run, run->switches.dryRunSwitch ? kExitWouldChange : kExitSuccess);
  }
}

void ReportRunMoveFailed(void* context, const PortDevice* device, int32_t to,
                      const MoveResult& result) {
  BatchRun* run = static_cast<BatchRun*>(context);
  if (result.outcome == kMoveFailedUndone || result.outcome == kMoveFailedNotUndone) {
    TellFailure(*run, result.failure, device);  // its box too, where one is seen
  } else {
    char16_t line[kChangeLineUnits];
    PlanMoveFailedLine(device, to, result, run->administrator, line, Units(line));
    WriteLine(kOsStandardError, line);
  }
  NoteCode(run, result.outcome == kMoveFailedNotUndone ? kExitMoveNotUndone : kExitMoveFailed);
}

// The first switch given beside `alone`, null for none.
static const char16_t* SwitchBeside(const BatchSwitches& s, const char16_t* alone) {
  const struct {
    bool given;
    const char16_t* name;
  } kSwitches[] = {{s.removeSwitch != 0, u"/r"},     {s.clearSwitch != 0, u"/c"},
                   {s.moveCount != 0, u"/m"},        {s.applySwitch != 0, u"/apply"},
                   {s.exportSwitch != 0, u"/export"}, {s.listSwitch != 0, u"/l"},
                   {s.autoApplySwitch != 0, u"/autoapply"}, {s.undoSwitch != 0, u"/undo"}};
  for (const auto& k : kSwitches) {
    if (k.given && TextCompareAsciiNoCase(k.name, alone) != 0) return k.name;
  }
  return nullptr;
}

bool RefuseSwitchBeside(BatchRun* run, const char16_t* alone) {
  const char16_t* other = SwitchBeside(run->switches, alone);
  if (other == nullptr) return false;
  char16_t text[96];
  TextCopy(text, Units(text), u"Error: ");
  TextAppend(text, Units(text), other);
  TextAppend(text, Units(text), u" cannot be given with ");
  TextAppend(text, Units(text), alone);
  Tell(*run, u"Varnick", text);
  NoteCode(run, kExitUnknownArgument);
  return true;
}

bool RefuseNotAdministrator(BatchRun* run) {
  if (run->administrator) return false;
  char16_t text[64];
  TextCopy(text, Units(text), u"Error: ");
  TextAppend(text, Units(text), RefusalText(kNotAdministrator));
  Tell(*run, u"Varnick", text);
  NoteCode(run, kExitNotAdmin);
  return true;
}
