#include "ui/undo.h"

#include "base/text.h"
#include "core/change_lines.h"
#include "core/undo.h"
#include "platform/os.h"
#include "ui/failure_box.h"
#include "ui/moves.h"

namespace {

struct WindowUndo {
  bool administrator;
  int32_t movedTo;  // the last port moved back
  // What the user must know, told in one box at the end: removed devices,
  // ComDB's size, restarts of Windows.
  char16_t told[kChangeLineUnits * 4];
};

WindowUndo* Of(void* context) { return static_cast<WindowUndo*>(context); }

void Tell(WindowUndo* undo, const char16_t* line) {
  if (undo->told[0] != 0) TextAppend(undo->told, Units(undo->told), u"\n");
  TextAppendOneLine(undo->told, Units(undo->told), line);
}

void ShowRefused(void*, const UndoRefusal& refusal) {
  char16_t text[kChangeLineUnits];
  DescribeUndoRefusal(refusal, text, Units(text));
  OsMessageBox(0, text, u"Varnick",
               kOsMbOk | (refusal.stop == kUndoNothing ? kOsMbIconInformation : kOsMbIconError));
}

void SeeStep(void* context, const UndoStep& step, const Failure* failure) {
  if (failure != nullptr) {
    ShowFailureBox(*failure, Of(context)->administrator);
  } else if (step.kind == kUndoRemoved || step.kind == kUndoGrown) {
    char16_t line[kChangeLineUnits];
    DescribeUndoStep(step, false, line, Units(line));
    Tell(Of(context), line);
  }
}

// The failure names the device the move was about, as the plans' boxes do.
MoveResult Named(const MoveResult& result, const PortDevice* device) {
  MoveResult named = result;
  NameFailureDevice(&named.failure, device);
  return named;
}

void SeeMoved(void* context, const PortDevice* device, int32_t, int32_t to,
              const MoveResult& result) {
  Of(context)->movedTo = to;
  if (result.outcome == kMovedRestartNeeded) {
    char16_t line[kChangeLineUnits];
    PlanRestartLine(device, line, Units(line));
    Tell(Of(context), line);
  } else {
    ShowMoveMade(Named(result, device), Of(context)->administrator);
  }
}

void SeeMoveFailed(void* context, const PortDevice* device, int32_t to, const MoveResult& result) {
  ShowMoveNotMade(device, to, Named(result, device), Of(context)->administrator);
}

}  // namespace

bool MayUndoLastChange(const PortSession* session) {
  return session->administrator && session->journal.undoable[0] != 0;
}

int32_t UndoLastChange(PortSession* session, char16_t* text, uint32_t units, int32_t* movedTo) {
  *movedTo = 0;
  // Never without a run of the window's own: a null run would take the
  // last run of any face.
  if (!MayUndoLastChange(session)) return 0;
  char16_t run[kJournalRunUnits];
  TextCopy(run, Units(run), session->journal.undoable);
  // The models may be as old as the last refresh: the undo works on the
  // machine as it is now.
  ReloadPorts(session);
  WindowUndo undo = {session->administrator, 0, {}};
  const UndoCallbacks callbacks = {&undo, nullptr, ShowRefused, SeeStep, SeeMoved, SeeMoveFailed};
  UndoResult result = UndoRun(session->reservations, session->devices,
                              UndoRequest{run, false, session->administrator}, callbacks);
  if (undo.told[0] != 0) OsMessageBox(0, undo.told, u"Varnick", kOsMbOk | kOsMbIconInformation);
  // Undone by another since (or its journal gone): nothing is left to offer.
  if (result.stop == kUndoNothing) session->journal.undoable[0] = 0;
  *movedTo = undo.movedTo;
  TextCopy(text, units, result.stop != kUndoGoesAhead ? u" Nothing undone"
                        : result.failed ? u" The undo failed part way; undo again to finish it"
                                        : u" Last change undone");
  return 1;
}
