// Undoing a run the journal recorded (core/journal.h): the numbers it
// freed are reserved again and those it reserved freed, the serial ports
// it moved go back to their old numbers through the move, last change
// first. What cannot be undone is told: a removed device cannot be
// brought back, and ComDB stays as large as the run made it.
//
// Which run: the last one that changed anything that is not undone yet.
// Runs that were themselves undos are skipped, and so is a run an undo
// finished (its outcome done, or waiting for a restart), so that undoing
// again undoes the run before. An undo that failed part way leaves its
// run to be undone again, and finds done what it had done.
//
// Every step is checked first, against the machine as it is now, read
// afresh: a number to reserve again or to free that a device or a running
// driver holds now, a moved device that is gone or carries another number
// now, a move back that the move itself refuses, and a move that the plan
// kept for the scheduled task would make again refuse the whole undo, and
// nothing is changed. A step the machine shows done already (a device on
// its old number, a number reserved again) is passed over. A change that
// failed, or was undone in its own run, changed nothing and has no step.
//
// One operation for both faces: batch mode's /undo (the last run) and the
// window's Undo Last Change (its own last command's run). The undo is a
// run of the journal of its own, recorded around what it does; its own
// saves and moves are recorded as theirs are.
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/journal_read.h"
#include "core/number_plan.h"
#include "core/port_move.h"

enum UndoStepKind {
  kUndoReserve,   // a number the run freed: reserved again
  kUndoFree,      // a number the run reserved: freed again
  kUndoMoveBack,  // a serial port the run moved: back to its old number
  kUndoRemoved,   // a device the run removed: it cannot be brought back
  kUndoGrown,     // ComDB the run grew: it stays as large
};

struct UndoStep {
  UndoStepKind kind;
  const char16_t* device;  // move back, removed: the journal's instance ID; else ""
  // Reserve, free, removed: the number. Move back: the number it goes back
  // to. Grown: the ports ComDB covers.
  int32_t number;
  int32_t from;            // move back: the number the run gave it
  bool restartPending;     // move back: the run's move waits for Windows to restart
  bool cutShort;           // the change has no outcome: it may not have been made
};

enum UndoStop {
  kUndoGoesAhead,
  kUndoNothing,           // no run to undo
  kUndoJournalUnread,     // error: the journal could not be read
  kUndoJournalUnwritten,  // error: the undo's own line could not be written
  kUndoNotAllowed,        // refusal: nothing may be changed
  kUndoNumberHeld,        // step's number is held now (holder)
  kUndoDeviceGone,        // step's device is gone
  kUndoDeviceRenumbered,  // step's device carries `now`
  kUndoMoveRefused,       // the move back is refused (move says why)
  kUndoPlanKeeps,         // the kept plan's rule would move the device again
};

// Why the undo does nothing.
struct UndoRefusal {
  UndoStop stop;
  const char16_t* run;  // the run it would have undone; null for none
  UndoStep step;        // the step refused
  char16_t holder[kDeviceIdUnits];
  int32_t now;
  uint32_t error;
  ChangeRefusal refusal;
  MoveResult move;
  PlanRule rule;        // kUndoPlanKeeps: the rule
};

// "COM7 is held by ROOT\PORTS\0002 now", "ROOT\PORTS\0001 is gone",
// "line 3 of the kept plan, COM4 location ..., moves ROOT\PORTS\0001 there
// again", ...; "Nothing to undo" for kUndoNothing.
void DescribeUndoRefusal(const UndoRefusal& refusal, char16_t* text, uint32_t units);
// A step's line: "reserved COM7", "would free COM7", "ROOT\PORTS\0001
// was removed from COM5 and cannot be brought back", "ComDB stays at 1024
// ports". A move back is told as the move tells it.
void DescribeUndoStep(const UndoStep& step, bool dryRun, char16_t* text, uint32_t units);

// Any callback may be null.
struct UndoCallbacks {
  void* context;
  // The run about to be undone (or, with a dry run, that would be).
  void (*begins)(void* context, const char16_t* run);
  // Nothing was changed, and why.
  void (*refused)(void* context, const UndoRefusal& refusal);
  // A reserve, free, removed or grown step: done (or would be); failure
  // null, or why a save failed, after which nothing more was done.
  void (*step)(void* context, const UndoStep& step, const Failure* failure);
  // A move back, made (or that would be), as the plan tells its moves.
  void (*moved)(void* context, const PortDevice* device, int32_t from, int32_t to,
                const MoveResult& result);
  // The move back that failed when it came to it; nothing more was done.
  void (*moveFailed)(void* context, const PortDevice* device, int32_t to, const MoveResult& result);
};

struct UndoRequest {
  // The run to undo; null for the last one not undone. A run that is an
  // undo, or was undone, is nothing to undo.
  const char16_t* run;
  bool dryRun;
  bool administrator;
};

struct UndoResult {
  UndoStop stop;
  int32_t steps;         // steps done (or, dry, to do); those passed over aside
  bool failed;           // a save or a move back failed, and the rest was left
  bool restartNeeded;    // a move back waits for Windows to restart
};

// The caller's models hold what is stored afterwards, as after a move.
UndoResult UndoRun(PortReservations* reservations, PortDeviceList* devices,
                   const UndoRequest& request, const UndoCallbacks& callbacks);

// The steps that undo the run, last change first, as they stand in the
// journal (the machine not looked at): into steps (room for
// run.changeCount), their count returned.
int32_t UndoSteps(const JournalRun& run, UndoStep* steps);
// The run an undo takes: the one named (null: the last) where it changed
// anything, is no undo and was not undone by one; null for none.
const JournalRun* RunToUndo(const JournalRead& read, const char16_t* run);
