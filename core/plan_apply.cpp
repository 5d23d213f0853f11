#include "core/plan_apply.h"

#include "base/com_name.h"
#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/attached_modems.h"
#include "core/failure_report.h"
#include "core/journal.h"
#include "core/port_identity.h"

namespace {

// A device the plan gives another number.
struct Target {
  PortDevice* device;
  const PlanRule* rule;
};

// One move of the run, in its order: a temporary number where a cycle
// needs one. Made: it was; restart: Windows must restart before the device
// takes its number, so a move back takes it back without a restart.
struct Step {
  PortDevice* device;
  int32_t from, to;
  bool made, restart;
};

}  // namespace

bool PlanRuleMatches(const PortDeviceList* devices, const PlanRule& rule, const PortDevice* d) {
  switch (rule.key) {
    case kPlanLocation:
      return d->identity != nullptr && d->identity->locationPath[0] != 0 &&
             TextCompareAsciiNoCase(d->identity->locationPath, rule.identity) == 0;
    case kPlanInstance:
      return NamesDeviceOrAncestor(devices, d, rule.identity);
    case kPlanHardware:
      return HasHardwareId(d, rule.identity);
  }
  return false;
}

namespace {

bool Covered(int32_t port) { return port >= 1 && port <= kHighestPortNumber; }

struct Planning {
  PortReservations* reservations;
  PortDeviceList* devices;
  const PlanRequest& request;
  const PlanCallbacks& callbacks;
  PlanResult result;
  HeapBlock<Target> targets;
  int32_t targetCount;
  HeapBlock<PortDevice*> removals;
  int32_t removalCount;
  HeapBlock<Step> steps;
  int32_t stepCount;
  // By number: how many devices of the run carry it as the moves go (two
  // may, where the plan is to part them); a move takes a number only when
  // none does.
  HeapBlock<int32_t> occupants;
  HeapBlock<bool> modemNumbers;  // numbers a modem names as its port
  uint32_t stopError;  // of the removal or growth that stopped the run

  bool ChangesAnything() { return removalCount != 0 || GrowthNeeded() != 0 || stepCount != 0; }

  // The plan's outcome, once all it does is done.
  void RecordOutcome(const JournalEntry& entry) {
    if (result.removalFailed || result.growthFailed) {
      JournalOutcomeOf(devices->journal, entry, false, stopError);
    } else if (result.failedMove != kMoved) {
      JournalOutcome(devices->journal, entry, result.movedBack ? kJournalUndone : kJournalNotAllUndone);
    } else {
      JournalOutcome(devices->journal, entry,
                     result.waiting != 0 || result.restartNeeded ? kJournalRestartNeeded : kJournalDone);
    }
  }

  void Block(PlanBlock block) {
    result.blocked = true;
    if (callbacks.blocked != nullptr) callbacks.blocked(callbacks.context, block);
  }

  PlanBlock BlockOf(PlanBlockKind kind, const PlanRule* rule) {
    PlanBlock block = {};
    block.kind = kind;
    block.rule = rule;
    return block;
  }

  // Each rule's present serial port: none (skipped), one, or more
  // (blocked); two rules for one port are blocked too.
  void Match() {
    const NumberPlan& plan = *request.plan;
    HeapBlock<const PlanRule*> ruleOf(devices->deviceCount + 1);
    for (int32_t r = 0; r < plan.ruleCount; r++) {
      const PlanRule& rule = plan.rules[r];
      int32_t found = -1, second = -1;
      for (int32_t i = 0; i < devices->deviceCount && second < 0; i++) {
        const PortDevice* d = devices->devices[i];
        if (!PresentSerialPort(d) || !PlanRuleMatches(devices, rule, d)) continue;
        if (found < 0) {
          found = i;
        } else {
          second = i;
        }
      }
      if (found < 0) {
        result.skipped++;
        if (callbacks.skipped != nullptr) callbacks.skipped(callbacks.context, rule);
        continue;
      }
      PortDevice* device = devices->devices[found];
      if (second >= 0) {
        PlanBlock block = BlockOf(kBlockAmbiguous, &rule);
        TextCopy(block.holder, kDeviceIdUnits, device->deviceInstanceId);
        TextCopy(block.other, kDeviceIdUnits, devices->devices[second]->deviceInstanceId);
        Block(block);
        continue;
      }
      if (ruleOf[found] != nullptr) {
        PlanBlock block = BlockOf(kBlockSameDevice, &rule);
        block.otherRule = ruleOf[found];
        TextCopy(block.holder, kDeviceIdUnits, device->deviceInstanceId);
        Block(block);
        continue;
      }
      ruleOf[found] = &rule;
      if (device->portNumber != rule.port) targets[targetCount++] = Target{device, &rule};
    }
  }

  bool Moving(const PortDevice* d) const {
    for (int32_t t = 0; t < targetCount; t++) {
      if (targets[t].device == d) return true;
    }
    return false;
  }

  void AddRemoval(PortDevice* d) {
    for (int32_t k = 0; k < removalCount; k++) {
      if (removals[k] == d) return;
    }
    removals[removalCount++] = d;
  }

  // What holds each planned number: a present device that stays, or a
  // running driver, blocks it; a device that is not present goes.
  void CheckHolders() {
    for (int32_t t = 0; t < targetCount; t++) {
      const PlanRule& rule = *targets[t].rule;
      for (int32_t i = 0; i < devices->deviceCount; i++) {
        PortDevice* d = devices->devices[i];
        if (d == targets[t].device || d->deviceNode == 0 || d->portNumber != rule.port) continue;
        if (d->problemCode == kProblemNotPresent) {
          AddRemoval(d);
        } else if (!Moving(d)) {
          PlanBlock block = BlockOf(kBlockHeld, &rule);
          TextCopy(block.holder, kDeviceIdUnits, d->deviceInstanceId);
          Block(block);
        }
      }
      if (InLiveUse(devices, rule.port)) {
        PlanBlock block = BlockOf(kBlockHeld, &rule);
        TextCopy(block.holder, kDeviceIdUnits, FindLiveName(devices, rule.port)->kernelName);
        Block(block);
      }
      AttachedModems modems;
      PlanBlock block = BlockOf(kBlockModem, &rule);
      if (!FindAttachedModems(devices, targets[t].device->portNumber, &modems, &block.error,
                              block.holder)) {
        Block(block);
      }
      ReleaseAttachedModems(&modems);
    }
  }

  int32_t GrowthNeeded() const {
    int32_t ports = 0;
    for (int32_t t = 0; t < targetCount; t++) {
      int32_t port = targets[t].rule->port;
      if (port > reservations->portCount && GrownPortCount(port) > ports) ports = GrownPortCount(port);
    }
    return ports;
  }

  bool IsTarget(int32_t port) const {
    const NumberPlan& plan = *request.plan;
    for (int32_t r = 0; r < plan.ruleCount; r++) {
      if (plan.rules[r].port == port) return true;
    }
    return false;
  }

  // A number free of everything, to go through: not reserved, no device
  // or running driver on it, no modem attached to it, no rule's, none of
  // the run's.
  int32_t FreeNumber(int32_t covered) const {
    for (int32_t port = 1; port <= covered; port++) {
      bool reserved = port <= reservations->portCount && reservations->reservedFlags[port - 1];
      if (!reserved && occupants[port] == 0 && FindHolder(devices, port) == nullptr &&
          FindLiveName(devices, port) == nullptr && !modemNumbers[port] && !IsTarget(port)) {
        return port;
      }
    }
    return 0;
  }

  void Occupy(int32_t port, int32_t change) {
    if (Covered(port)) occupants[port] += change;
  }

  // Where each device of the run is before the moves.
  void OccupyStart() {
    for (int32_t p = 0; p <= kHighestPortNumber; p++) occupants[p] = 0;
    for (int32_t t = 0; t < targetCount; t++) Occupy(targets[t].device->portNumber, 1);
  }

  void AddStep(PortDevice* d, int32_t* at, int32_t to) {
    steps[stepCount++] = Step{d, *at, to, false, false};
    Occupy(*at, -1);
    Occupy(to, 1);
    *at = to;
  }

  // The order of the moves: each as soon as its number is free; where
  // none is, a cycle, whose first device goes through a free number.
  bool Schedule(int32_t covered) {
    HeapBlock<int32_t> at(targetCount + 1);
    HeapBlock<bool> done(targetCount + 1);
    OccupyStart();
    for (int32_t t = 0; t < targetCount; t++) at[t] = targets[t].device->portNumber;
    NumbersModemsName(devices, modemNumbers.Get());
    bool scheduled = true;
    for (int32_t left = targetCount; left > 0 && scheduled;) {
      bool progress = false;
      for (int32_t t = 0; t < targetCount; t++) {
        if (done[t] || occupants[targets[t].rule->port] != 0) continue;
        AddStep(targets[t].device, &at[t], targets[t].rule->port);
        done[t] = true;
        left--;
        progress = true;
      }
      if (progress) continue;
      int32_t first = 0;
      while (done[first]) first++;
      int32_t spare = FreeNumber(covered);
      if (spare == 0) {
        Block(BlockOf(kBlockNoFreeNumber, nullptr));
        scheduled = false;
      } else {
        AddStep(targets[first].device, &at[first], spare);
      }
    }
    return scheduled;
  }

  bool Check() {
    ChangeRefusal refusal =
        RefuseChange(reservations, devices, true, request.administrator || request.dryRun);
    if (refusal != kChangeAllowed) {
      PlanBlock block = BlockOf(kBlockRefused, nullptr);
      block.refusal = refusal;
      Block(block);
      return false;
    }
    ReadIdentities(devices);
    Match();
    CheckHolders();
    if (result.blocked) return false;
    int32_t grown = GrowthNeeded();
    return Schedule(grown > reservations->portCount ? grown : reservations->portCount);
  }

  bool Remove() {
    for (int32_t k = 0; k < removalCount; k++) {
      PortDevice* d = removals[k];
      Failure failure;
      if (request.dryRun) {
        d->deviceNode = 0;
      } else if (!RemoveListedDevice(devices, d, &failure)) {
        stopError = failure.errorCode;
        result.removalFailed = true;
        if (callbacks.removalFailed != nullptr) callbacks.removalFailed(callbacks.context, failure, d);
        return false;
      }
      result.removed++;
      if (callbacks.removed != nullptr) callbacks.removed(callbacks.context, d);
    }
    return true;
  }

  bool Grow() {
    int32_t ports = GrowthNeeded();
    if (ports == 0) return true;
    Failure failure;
    if (request.dryRun) {
      WidenModel(reservations, ports);
    } else if (!GrowPortDatabase(reservations, ports, &failure)) {
      stopError = failure.errorCode;
      result.growthFailed = true;
      if (callbacks.grown != nullptr) callbacks.grown(callbacks.context, ports, &failure);
      return false;
    }
    result.grownTo = ports;
    if (callbacks.grown != nullptr) callbacks.grown(callbacks.context, ports, nullptr);
    return true;
  }

  MoveResult MoveOne(PortDevice* d, int32_t to, bool dryRun, bool takeBack = false) {
    MoveRequest move = {d, to, dryRun, request.administrator, takeBack};
    return RunMove(reservations, devices, move, MoveCallbacks{});
  }

  // Every move made, moved back in reverse; one that waits for Windows to
  // restart is taken back without a restart.
  void MoveBack() {
    result.movedBack = true;
    for (int32_t k = stepCount; k-- > 0;) {
      const Step& step = steps[k];
      if (!step.made) continue;
      MoveOutcome back = MoveOne(step.device, step.from, false, step.restart).outcome;
      int32_t ok = back == kMoved || back == kMovedRestartNeeded || back == kMovedNotReleased;
      result.movedBack &= ok != 0;
      if (callbacks.movedBack != nullptr) {
        callbacks.movedBack(callbacks.context, step.device, step.to, step.from, ok);
      }
    }
  }

  void Move() {
    OccupyStart();
    // Numbers a device still uses until Windows restarts, and the devices
    // left waiting.
    HeapBlock<bool> restartHeld(kHighestPortNumber + 1);
    HeapBlock<PortDevice*> stuck(stepCount + 1);
    int32_t stuckCount = 0;
    for (int32_t k = 0; k < stepCount; k++) {
      Step& step = steps[k];
      bool waits = restartHeld[step.to] || occupants[step.to] != 0;
      for (int32_t s = 0; s < stuckCount && !waits; s++) waits = stuck[s] == step.device;
      if (waits) {
        stuck[stuckCount++] = step.device;
        result.waiting++;
        if (callbacks.waiting != nullptr) {
          callbacks.waiting(callbacks.context, step.device, step.from, step.to);
        }
        continue;
      }
      MoveResult moved = MoveOne(step.device, step.to, request.dryRun);
      if (moved.outcome != kMoved && moved.outcome != kMovedRestartNeeded &&
          moved.outcome != kMovedNotReleased) {
        result.failedMove = moved.outcome;
        if (callbacks.moveFailed != nullptr) {
          callbacks.moveFailed(callbacks.context, step.device, step.to, moved);
        }
        if (!request.dryRun) MoveBack();
        break;
      }
      result.moved++;
      step.made = true;
      Occupy(step.from, -1);
      Occupy(step.to, 1);
      if (moved.outcome == kMovedRestartNeeded) {
        step.restart = true;
        result.restartNeeded = true;
        if (Covered(step.from)) restartHeld[step.from] = true;
      }
      if (callbacks.moved != nullptr) {
        callbacks.moved(callbacks.context, step.device, step.from, step.to, moved);
      }
    }
  }
};

}  // namespace

PlanResult ApplyPlan(PortReservations* reservations, PortDeviceList* devices,
                     const PlanRequest& request, const PlanCallbacks& callbacks) {
  int32_t rules = request.plan->ruleCount;
  Planning planning = {reservations, devices, request, callbacks, {}, {}, 0, {}, 0, {}, 0, {}, {}, 0};
  planning.result.failedMove = kMoved;
  planning.targets.Reset(rules + 1);
  planning.removals.Reset(devices->deviceCount + 1);
  planning.steps.Reset(2 * rules + 1);  // each move at most twice: once through a free number
  planning.occupants.Reset(kHighestPortNumber + 1);
  planning.modemNumbers.Reset(kHighestPortNumber + 1);
  if (planning.Check()) {
    // Recorded only where the plan changes something: one a task applies
    // at every device's arrival mostly finds nothing to do.
    bool recorded = !request.dryRun && planning.ChangesAnything();
    const JournalEntry entry = {kJournalPlan, nullptr, 0, 0, request.path != nullptr ? request.path : u""};
    if (recorded) JournalIntent(devices->journal, entry);
    // Growth before removals: it only ever widens ComDB, while a removal
    // takes a device for good.
    if (planning.Grow() && planning.Remove()) planning.Move();
    if (recorded) planning.RecordOutcome(entry);
  }
  return planning.result;
}

void DescribePlanBlock(const PlanBlock& block, char16_t* text, uint32_t units) {
  text[0] = 0;
  char16_t number[16];
  if (block.rule != nullptr) {
    if (block.otherRule != nullptr) {
      TextCopy(text, units, u"lines ");
      TextAppendSigned(text, units, block.otherRule->line);
      TextAppend(text, units, u" and ");
    } else {
      TextCopy(text, units, u"line ");
    }
    TextAppendSigned(text, units, block.rule->line);
    TextAppend(text, units, u": ");
    ComName(block.rule->port, number, Units(number));
  }
  switch (block.kind) {
    case kBlockRefused:
      TextAppend(text, units, RefusalText(block.refusal));
      break;
    case kBlockHeld:
      TextAppend(text, units, number);
      TextAppend(text, units, u" is held by ");
      TextAppend(text, units, block.holder);
      break;
    case kBlockAmbiguous:
      TextAppend(text, units, u"more than one serial port matches: ");
      TextAppend(text, units, block.holder);
      TextAppend(text, units, u", ");
      TextAppend(text, units, block.other);
      break;
    case kBlockSameDevice:
      TextAppend(text, units, u"two rules match one device: ");
      TextAppend(text, units, block.holder);
      break;
    case kBlockModem: {
      char16_t error[32];
      TextWidenAscii(error, Units(error), ErrorName(block.error));
      TextAppend(text, units, u"the modem ");
      TextAppend(text, units, block.holder);
      TextAppend(text, units, u" cannot follow its port: ");
      TextAppend(text, units, error);
      break;
    }
    case kBlockNoFreeNumber:
      TextAppend(text, units, u"the moves go round in a circle, and no number is free to go through");
      break;
  }
}
