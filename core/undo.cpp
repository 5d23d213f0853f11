#include "core/undo.h"

#include "base/com_name.h"
#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/journal_read.h"
#include "core/kept_folder.h"
#include "core/plan_apply.h"
#include "core/plan_file.h"
#include "core/port_identity.h"

namespace {

// Whether an undo run finished undoing the run it names.
bool FinishedUndo(const JournalRun& run) {
  for (int32_t c = 0; c < run.changeCount; c++) {
    const JournalChangeRead& change = run.changes[c];
    if (change.intent->change == kJournalUndo) return JournalUndoFinished(change.result);
  }
  return false;
}

bool Undone(const JournalRead& read, const JournalRun& run) {
  for (int32_t k = 0; k < read.runCount; k++) {
    const JournalRun& undo = read.runs[k];
    if (undo.undoes != nullptr && TextEqual(undo.undoes, run.id) && FinishedUndo(undo)) return true;
  }
  return false;
}

// The plan the scheduled task keeps applying, where one is kept.
bool LoadKeptPlan(NumberPlan* plan) {
  char16_t path[kKeptPathUnits];
  KeptResult kept;
  PlanError error;
  uint32_t systemError;
  return KeptFilePath(kKeptPlan, path, Units(path), &kept) &&
         LoadPlanFile(path, plan, &error, &systemError);
}

// What the check found of a step.
struct Checked {
  bool passed;    // the machine shows it done already
  bool takeBack;  // a move back before Windows restarted
};

// The checks of every step, on models of their own read afresh, the steps
// taken on them one after another as a dry run takes them.
struct Check {
  PortReservations* reservations;
  PortDeviceList* devices;
  NumberPlan plan;
  bool planKept;
  UndoRefusal* refusal;

  bool Refuse(UndoStop stop, const UndoStep& step) {
    refusal->stop = stop;
    refusal->step = step;
    return false;
  }

  // A number to reserve again or to free: nothing may hold it now.
  bool NumberFree(const UndoStep& step) {
    const PortDevice* holder = FindHolder(devices, step.number);
    if (!HoldsItsNumber(holder)) return true;
    TextCopy(refusal->holder, kDeviceIdUnits,
             holder->liveName ? holder->kernelName : holder->deviceInstanceId);
    return Refuse(kUndoNumberHeld, step);
  }

  // Whether the step stands.
  bool Step(const UndoStep& step, Checked* checked) {
    bool* passed = &checked->passed;
    bool* takeBack = &checked->takeBack;
    int32_t n = step.number;
    bool covered = n >= 1 && n <= reservations->portCount;
    int32_t ambiguous;
    switch (step.kind) {
      case kUndoReserve:
      case kUndoFree: {
        bool reserve = step.kind == kUndoReserve;
        *passed = !covered || (reservations->reservedFlags[n - 1] != 0) == reserve;
        // One cut short that shows not made was not; one made, with the
        // number held now, is another's since.
        if (*passed && step.cutShort) return true;
        if (!NumberFree(step)) return false;
        if (!*passed) SetPortReserved(reservations, n, reserve);
        return true;
      }
      case kUndoRemoved:
        // Cut short before it was removed: nothing to tell.
        *passed = FindNamedDevice(devices, step.device, &ambiguous) != nullptr;
        return true;
      case kUndoGrown:
        return true;
      case kUndoMoveBack:
        break;
    }
    PortDevice* d = FindNamedDevice(devices, step.device, &ambiguous);
    if (d == nullptr || !d->serialPort) return Refuse(kUndoDeviceGone, step);
    if (d->portNumber == n) {
      *passed = true;
      return true;
    }
    if (d->portNumber != step.from) {
      refusal->now = d->portNumber;
      return Refuse(kUndoDeviceRenumbered, step);
    }
    for (int32_t r = 0; planKept && r < plan.ruleCount; r++) {
      const PlanRule& rule = plan.rules[r];
      if (rule.port == step.from && PresentSerialPort(d) && PlanRuleMatches(devices, rule, d)) {
        refusal->rule = rule;
        return Refuse(kUndoPlanKeeps, step);
      }
    }
    // Before Windows restarted, the driver still names the old number: the
    // move is taken back, as the plan takes back one of its own.
    *takeBack = step.restartPending && FindByPort(devices, n) == nullptr &&
                FindLiveName(devices, n) != nullptr;
    MoveRequest request = {d, n, true, true, *takeBack};
    refusal->move = RunMove(reservations, devices, request, MoveCallbacks{});
    return refusal->move.outcome == kMoved || Refuse(kUndoMoveRefused, step);
  }
};

// The move's callbacks turned into the undo's.
struct MoveBack {
  const UndoCallbacks* callbacks;
  int32_t to;
};

void Moved(void* context, const PortDevice* device, int32_t from, const MoveResult& result) {
  auto* back = static_cast<MoveBack*>(context);
  if (back->callbacks->moved != nullptr) {
    back->callbacks->moved(back->callbacks->context, device, from, back->to, result);
  }
}

void NotMoved(void* context, const PortDevice* device, const MoveResult& result) {
  auto* back = static_cast<MoveBack*>(context);
  if (result.outcome != kNothingToMove && back->callbacks->moveFailed != nullptr) {
    back->callbacks->moveFailed(back->callbacks->context, device, back->to, result);
  }
}

}  // namespace

int32_t UndoSteps(const JournalRun& run, UndoStep* steps) {
  int32_t count = 0;
  for (int32_t c = run.changeCount; c-- > 0;) {
    const JournalChangeRead& change = run.changes[c];
    if (!JournalChangeMayStand(change.result)) continue;
    const JournalRecord& r = *change.intent;
    UndoStep step = {kUndoReserve, u"", 0, 0, change.result == kJournalResultRestartNeeded,
                     change.result == kJournalResultInterrupted};
    switch (r.change) {
      case kJournalFree:
        step.number = r.fromNumber;
        break;
      case kJournalReserve:
        step.kind = kUndoFree;
        step.number = r.toNumber;
        break;
      case kJournalMove:
        step = {kUndoMoveBack, r.device, r.fromNumber, r.toNumber, step.restartPending,
                step.cutShort};
        break;
      case kJournalRemove:
        step.kind = kUndoRemoved;
        step.device = r.device;
        step.number = r.fromNumber;
        break;
      case kJournalGrow:
        step.kind = kUndoGrown;
        step.number = r.toNumber;
        break;
      case kJournalPlan:
      case kJournalUndo:
        continue;  // what they did has lines of its own
    }
    steps[count++] = step;
  }
  return count;
}

const JournalRun* RunToUndo(const JournalRead& read, const char16_t* id) {
  for (int32_t k = read.runCount; k-- > 0;) {
    const JournalRun& run = read.runs[k];
    if (id != nullptr && !TextEqual(run.id, id)) continue;
    bool changed = false;
    for (int32_t c = 0; c < run.changeCount && !changed; c++) {
      JournalChange change = run.changes[c].intent->change;
      changed = change != kJournalPlan && JournalChangeMayStand(run.changes[c].result);
    }
    if (run.undoes == nullptr && changed && !Undone(read, run)) return &run;
    if (id != nullptr) return nullptr;
  }
  return nullptr;
}

UndoResult UndoRun(PortReservations* reservations, PortDeviceList* devices,
                   const UndoRequest& request, const UndoCallbacks& callbacks) {
  UndoResult result = {};
  UndoRefusal refusal = {};
  JournalRead read;
  int32_t status = LoadJournal(&read);
  const JournalRun* run = status == kOsErrorSuccess ? RunToUndo(read, request.run) : nullptr;
  refusal.stop = status != kOsErrorSuccess ? kUndoJournalUnread : run == nullptr ? kUndoNothing
                                                                                : kUndoGoesAhead;
  refusal.error = static_cast<uint32_t>(status);
  if (run != nullptr) {
    refusal.run = run->id;
    refusal.refusal = RefuseChange(reservations, devices, true, request.dryRun || request.administrator);
    if (refusal.refusal != kChangeAllowed) refusal.stop = kUndoNotAllowed;
  }
  int32_t room = run != nullptr ? run->changeCount + 1 : 1;
  HeapBlock<UndoStep> steps(room);
  HeapBlock<Checked> checked(room);
  int32_t count = run != nullptr ? UndoSteps(*run, steps.Get()) : 0;

  if (refusal.stop == kUndoGoesAhead) {
    HeldReservations reservationsNow;
    HeldDeviceList devicesNow;
    Check check = {reservationsNow.Get(), devicesNow.Get(), {}, false, &refusal};
    Load(check.reservations);
    Enumerate(check.devices, kRepairDetail);
    check.planKept = LoadKeptPlan(&check.plan);
    if (check.planKept) ReadIdentities(check.devices);
    refusal.refusal = RefuseChange(check.reservations, check.devices, true, true);
    if (refusal.refusal != kChangeAllowed) refusal.stop = kUndoNotAllowed;
    for (int32_t s = 0; s < count && refusal.stop == kUndoGoesAhead; s++) {
      check.Step(steps[s], &checked[s]);
    }
    if (check.planKept) ReleaseNumberPlan(&check.plan);
  }
  // An undo the journal does not hold as one would be taken for a run to
  // undo, and undone in turn: it is made only once its intent is written.
  const JournalEntry undo = {kJournalUndo, nullptr, 0, 0, run != nullptr ? run->id : u""};
  if (refusal.stop == kUndoGoesAhead && !request.dryRun && !JournalIntent(devices->journal, undo)) {
    refusal.stop = kUndoJournalUnwritten;
    TakeJournalFailure(devices->journal, &refusal.error);
  }
  result.stop = refusal.stop;
  if (refusal.stop != kUndoGoesAhead) {
    if (callbacks.refused != nullptr) callbacks.refused(callbacks.context, refusal);
  } else {
    if (callbacks.begins != nullptr) callbacks.begins(callbacks.context, run->id);
    // What is stored now, which the checks read: the caller's model may
    // have been read long before.
    if (!request.dryRun) Load(reservations);
    Failure failure = {};
    for (int32_t s = 0; s < count && !result.failed; s++) {
      const UndoStep& step = steps[s];
      if (checked[s].passed) continue;
      result.steps++;
      if (step.kind == kUndoMoveBack) {
        int32_t ambiguous;
        MoveBack back = {&callbacks, step.number};
        MoveRequest move = {FindNamedDevice(devices, step.device, &ambiguous), step.number,
                            request.dryRun, request.administrator, checked[s].takeBack};
        // Gone since it was checked: told as the move tells a device it
        // does not find, by the journal's ID.
        MoveResult made = {};
        if (move.device != nullptr) {
          made = RunMove(reservations, devices, move, MoveCallbacks{&back, Moved, NotMoved});
        } else {
          PortDevice gone = {};
          TextCopy(gone.deviceInstanceId, kDeviceIdUnits, step.device);
          gone.portNumber = step.from;
          made.outcome = kNotASerialPort;
          NotMoved(&back, &gone, made);
        }
        result.restartNeeded |= made.outcome == kMovedRestartNeeded;
        result.failed = made.outcome != kMoved && made.outcome != kMovedRestartNeeded &&
                        made.outcome != kMovedNotReleased && made.outcome != kNothingToMove;
        if (result.failed) failure = made.failure;
        continue;
      }
      bool saved = true;
      if ((step.kind == kUndoReserve || step.kind == kUndoFree) && !request.dryRun) {
        SetPortReserved(reservations, step.number, step.kind == kUndoReserve);
        saved = Save(reservations, &failure) != 0;
        result.failed = !saved;
      }
      if (callbacks.step != nullptr) callbacks.step(callbacks.context, step, saved ? nullptr : &failure);
    }
    if (!request.dryRun) {
      if (result.failed) {
        JournalOutcomeOf(devices->journal, undo, false, failure.errorCode);
      } else {
        JournalOutcome(devices->journal, undo,
                       result.restartNeeded ? kJournalRestartNeeded : kJournalDone);
      }
    }
  }
  ReleaseJournal(&read);
  return result;
}

void DescribeUndoStep(const UndoStep& step, bool dryRun, char16_t* text, uint32_t units) {
  char16_t name[16];
  ComName(step.number, name, Units(name));
  TextCopy(text, units, u"");
  switch (step.kind) {
    case kUndoReserve:
    case kUndoFree:
      TextAppend(text, units, dryRun ? u"would " : u"");
      TextAppend(text, units, step.kind == kUndoReserve ? dryRun ? u"reserve " : u"reserved "
                              : dryRun                  ? u"free "
                                                        : u"freed ");
      TextAppend(text, units, name);
      return;
    case kUndoRemoved:
      TextAppendOneLine(text, units, step.device);
      TextAppend(text, units, u" was removed");
      if (step.number != 0) {
        TextAppend(text, units, u" from ");
        TextAppend(text, units, name);
      }
      TextAppend(text, units, u" and cannot be brought back");
      return;
    case kUndoGrown:
      TextAppend(text, units, u"ComDB stays at ");
      TextAppendSigned(text, units, step.number);
      TextAppend(text, units, u" ports");
      return;
    case kUndoMoveBack:
      return;  // told as the move tells it
  }
}

void DescribeUndoRefusal(const UndoRefusal& refusal, char16_t* text, uint32_t units) {
  char16_t name[16], other[16];
  ComName(refusal.step.number, name, Units(name));
  TextCopy(text, units, u"");
  if (refusal.run != nullptr) {
    TextAppend(text, units, refusal.run);
    TextAppend(text, units, u" cannot be undone: ");
  }
  switch (refusal.stop) {
    case kUndoGoesAhead:
      return;
    case kUndoNothing:
      TextAppend(text, units, u"Nothing to undo");
      return;
    case kUndoJournalUnread:
    case kUndoJournalUnwritten: {
      char16_t error[40];
      TextWidenAscii(error, Units(error), ErrorName(refusal.error));
      TextAppend(text, units, refusal.stop == kUndoJournalUnread ? u"The journal cannot be read: "
                                                                : u"The journal cannot be written: ");
      TextAppend(text, units, error);
      return;
    }
    case kUndoNotAllowed:
      TextAppend(text, units, RefusalText(refusal.refusal));
      return;
    case kUndoNumberHeld:
      TextAppend(text, units, name);
      TextAppend(text, units, u" is held by ");
      TextAppendOneLine(text, units, refusal.holder);
      TextAppend(text, units, u" now");
      return;
    case kUndoDeviceGone:
      TextAppendOneLine(text, units, refusal.step.device);
      TextAppend(text, units, u" is gone");
      return;
    case kUndoDeviceRenumbered:
      ComName(refusal.now, other, Units(other));
      TextAppendOneLine(text, units, refusal.step.device);
      TextAppend(text, units, u" has ");
      TextAppend(text, units, other[0] != 0 ? other : u"no number");
      TextAppend(text, units, u" now");
      return;
    case kUndoMoveRefused: {
      char16_t why[kFailureTextUnits];
      PortDevice device = {};  // where the check found it
      device.portNumber = refusal.step.from;
      DescribeMoveRefusal(refusal.move, refusal.step.device, 0, &device, refusal.step.number, why,
                          Units(why));
      TextAppend(text, units, why);
      return;
    }
    case kUndoPlanKeeps: {
      char16_t rule[kPlanLineUnits];
      PlanRuleLine(refusal.rule.port, refusal.rule.key, refusal.rule.identity, rule, Units(rule));
      ComName(refusal.step.from, other, Units(other));
      TextAppend(text, units, u"the plan kept for the task moves ");
      TextAppendOneLine(text, units, refusal.step.device);
      TextAppend(text, units, u" to ");
      TextAppend(text, units, other);
      TextAppend(text, units, u" again (line ");
      TextAppendSigned(text, units, refusal.rule.line);
      TextAppend(text, units, u": ");
      TextAppendOneLine(text, units, rule);
      TextAppend(text, units, u")");
      return;
    }
  }
}
