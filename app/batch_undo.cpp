// The batch face of the undo: /undo undoes the last run the journal
// recorded that is not undone yet, "undoing RUN" and then a line for each
// thing it does (or, with /n, would do); why it cannot on standard error,
// and then nothing is changed.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/undo.h"

namespace {

BatchRun* Run(void* context) { return static_cast<BatchRun*>(context); }

void ReportBegins(void* context, const char16_t* id) {
  char16_t line[kChangeLineUnits];
  TextCopy(line, Units(line), Run(context)->switches.dryRunSwitch ? u"would undo " : u"undoing ");
  TextAppendOneLine(line, Units(line), id);
  WriteLine(kOsStandardOutput, line);
}

void ReportRefused(void* context, const UndoRefusal& refusal) {
  char16_t line[kChangeLineUnits];
  DescribeUndoRefusal(refusal, line, Units(line));
  if (refusal.stop == kUndoNothing) {
    WriteLine(kOsStandardOutput, line);
    return;
  }
  WriteLine(kOsStandardError, line);
  NoteCode(Run(context), refusal.stop != kUndoNotAllowed            ? kExitUndoRefused
                         : refusal.refusal == kNotAdministrator ? kExitNotAdmin
                                                                : kExitNotRead);
}

void ReportStep(void* context, const UndoStep& step, const Failure* failure) {
  BatchRun* run = Run(context);
  if (failure != nullptr) {
    TellFailure(*run, *failure, nullptr);
    NoteCode(run, kExitNotWritten);
    return;
  }
  char16_t line[kChangeLineUnits];
  DescribeUndoStep(step, run->switches.dryRunSwitch, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  // A removed device or a grown ComDB is only told: it changes nothing.
  bool changes = step.kind == kUndoReserve || step.kind == kUndoFree;
  NoteCode(run, changes && run->switches.dryRunSwitch ? kExitWouldChange : kExitSuccess);
}

}  // namespace

void RunBatchUndo(BatchRun* run, PortReservations* reservations, PortDeviceList* devices) {
  const UndoCallbacks callbacks = {run, ReportBegins, ReportRefused, ReportStep, ReportRunMove,
                                   ReportRunMoveFailed};
  const UndoRequest request = {nullptr, run->switches.dryRunSwitch != 0, run->administrator};
  UndoRun(reservations, devices, request, callbacks);
}
