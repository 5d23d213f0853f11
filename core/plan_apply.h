// Making this machine match a number plan: every rule's present serial port
// moved to its number, through the move both faces share (the same steps,
// the same undo). One operation, as the repairs and the move are; its
// faces (batch mode's /apply, the window's preview) differ only in what
// they do with what it tells them.
//
// All or nothing. The whole plan is checked on the two models first: a
// rule that more than one present port matches, two rules matching one
// device, a planned number that a present device the plan does not move
// away holds, or a running driver names, or an attached modem that cannot
// follow, blocks it, and then nothing is changed. A rule whose device is
// not present is skipped. Only once every check has passed does anything
// change, in this order:
//  1. a non-present device that holds a planned number is removed, as /r
//     would (the old adapter of the same socket, usually); its number stays
//     reserved for the move that takes it;
//  2. ComDB grows to cover a planned number beyond it (the next multiple of
//     1,024 ports, at most 4,096; it never shrinks);
//  3. the moves, ordered so that each takes a number only once its holder
//     has left it; a cycle (COM3 to COM4, COM4 to COM3) goes through a free
//     number, so that no two devices ever carry one number. A move onto a
//     number whose device waits for Windows to restart waits too, and so
//     does whatever depends on it: the run says what is left, and the plan
//     applied again after the restart finishes it.
// A move that fails undoes every move of the run, in reverse, each as a
// move back. Removals and growth cannot be undone, which is why they come
// only after every check. A dry run tells exactly what would be done, on
// the models alone.
//
// A plan that changes something is recorded in the devices' journal
// around all it does, whose removals, growth and moves are recorded on
// their own lines; its outcome is "done", "restart needed" (moves wait for
// Windows to restart), "undone" (a move failed and every move was moved
// back), "not all undone", or the error of a removal or growth that
// failed.
#pragma once

#include <stdint.h>

#include "core/number_plan.h"
#include "core/port_move.h"

enum PlanBlockKind {
  kBlockRefused,     // nothing may be changed at all (refusal: why)
  kBlockHeld,        // holder: the device, or the running driver's kernel name
  kBlockAmbiguous,   // holder: one of the ports; other: another
  kBlockSameDevice,  // otherRule names the same device (holder)
  kBlockModem,       // holder: the modem; error: why it cannot follow
  kBlockNoFreeNumber,  // a cycle needs a free number and ComDB has none
};

struct PlanBlock {
  PlanBlockKind kind;
  const PlanRule* rule;       // null for kBlockRefused and kBlockNoFreeNumber
  const PlanRule* otherRule;  // kBlockSameDevice: the first rule
  char16_t holder[kDeviceIdUnits];
  char16_t other[kDeviceIdUnits];
  uint32_t error;
  ChangeRefusal refusal;
};

// Why a plan cannot be applied, as one line: "line 3: COM3 is held by
// ROOT\PORTS\0002" and the like.
void DescribePlanBlock(const PlanBlock& block, char16_t* text, uint32_t units);

// Any callback may be null: that face has nothing to do there.
struct PlanCallbacks {
  void* context;
  // No present serial port matches the rule: nothing is done for it.
  void (*skipped)(void* context, const PlanRule& rule);
  // The plan cannot be applied, and nothing was changed.
  void (*blocked)(void* context, const PlanBlock& block);
  // A non-present device that held a planned number was removed (or
  // would be); or its removal failed, and nothing more was done.
  void (*removed)(void* context, const PortDevice* device);
  void (*removalFailed)(void* context, const Failure& failure, const PortDevice* device);
  // ComDB was grown to cover `ports` numbers (or would be); failure null,
  // or why it was not, and nothing more was done.
  void (*grown)(void* context, int32_t ports, const Failure* failure);
  // A move of the run, as /m tells one.
  void (*moved)(void* context, const PortDevice* device, int32_t from, int32_t to,
                const MoveResult& result);
  // The move that failed (or was refused when it came to it); every move
  // before it is then moved back.
  void (*moveFailed)(void* context, const PortDevice* device, int32_t to, const MoveResult& result);
  // A move of the run moved back, ok 0 when it could not be.
  void (*movedBack)(void* context, const PortDevice* device, int32_t from, int32_t to, int32_t ok);
  // A move left until Windows has restarted.
  void (*waiting)(void* context, const PortDevice* device, int32_t from, int32_t to);
};

struct PlanRequest {
  const NumberPlan* plan;
  bool dryRun;
  bool administrator;
  const char16_t* path;  // the plan's file, for the journal; null for none
};

struct PlanResult {
  bool blocked;        // nothing was changed
  int32_t skipped;
  int32_t removed;
  int32_t grownTo;     // ports ComDB grew to (or would); 0 for no growth
  int32_t moved;       // moves made (or that would be), temporary ones too
  int32_t waiting;     // moves left until Windows restarts
  bool restartNeeded;  // a move made needs Windows restarted first
  bool removalFailed;
  bool growthFailed;
  // A move failed: its outcome (kMoveFailedUndone, kMoveFailedNotUndone, or
  // a refusal when it came to it); kMoved when none did.
  MoveOutcome failedMove;
  bool movedBack;      // after a failure, every move of the run was moved back
};

// Whether the rule names the device: its socket, an instance ID of it or
// an ancestor, or one of its hardware IDs (the identities read).
bool PlanRuleMatches(const PortDeviceList* devices, const PlanRule& rule, const PortDevice* device);

PlanResult ApplyPlan(PortReservations* reservations, PortDeviceList* devices,
                     const PlanRequest& request, const PlanCallbacks& callbacks);
