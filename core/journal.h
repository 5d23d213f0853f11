// The journal: every change the program makes, whichever face made it, in
// journal.csv in the program's folder under ProgramData. Each change gets
// two lines: its intent, written before it is made, and its outcome,
// written after; a change cut short (a crash, a machine switched off)
// leaves its intent. The columns:
//
//   Time,Run,Face,Step,Change,Device,From,To,Result
//
// Time: UTC, 2026-12-10T16:50:29.123Z. Run: one identifier per run, the
// UTC time of its start, the process and a count of the process's runs
// (20261210T165029Z-4242-1): batch mode and the task make one run a
// process, the window one a command. Face: window, batch or task (any
// run as SYSTEM). Step: intent or outcome. Change and its fields:
//
//   reserve  To: the number reserved in ComDB (COM5)
//   free     From: the number freed in ComDB
//   move     Device, From and To: a serial port given another number
//   remove   Device, From: a device removed, and the number it carried
//   grow     From and To: the ports ComDB covered and covers (256, 1024)
//   plan     From: the plan file's path; its removals, growth and moves
//            are recorded on their own lines, inside its two
//   undo     From: the run it undoes; what it changes is recorded on
//            its own lines, inside its two
//
// Result: empty on an intent; on an outcome "done", the system's error
// name (ACCESS_DENIED), "failed" for a failure without one, or for a move
// or a plan "restart needed", "not released", "undone" or "not all
// undone" (see the kJournal... words below).
//
// UTF-8, a byte-order mark at the start of each new file, lines ending in
// CR LF under a header line; quoted as RFC 4180 with the formula guard
// (core/csv_field.h), one line a record. A line is appended under the
// journal's lock (journal.lock, held open by one process at a time: in
// the protected folder nobody else can open it, as anyone could take a
// named object first), through a file that is never a link, a reparse
// point or a file with a second name; a last line that a crash cut short
// is ended first. At 1 MiB the file becomes journal.old.csv (replacing an
// older one) and a new one begins.
//
// A journal that cannot be written never stops a change: the line is
// given up and the journal counts as failed, for the face to say.
//
// The journal travels with the models (PortReservations::journal,
// PortDeviceList::journal), set by each face; where they have none
// (null), nothing is written.
#pragma once

#include <stdint.h>

#include "core/failure.h"
#include "platform/os.h"

// How long a line waits for the lock, tried again every kJournalLockRetry;
// once a wait has run out, the run's later lines do not wait.
const uint32_t kJournalLockWait = 3000;  // milliseconds
const uint32_t kJournalLockRetry = 50;
const uint64_t kJournalMostBytes = 1024 * 1024;

// Room for each field, its terminator included; longer text is cut to it
// when written, and when read.
const uint32_t kJournalTimeUnits = 32;
const uint32_t kJournalRunUnits = 48;
const uint32_t kJournalDeviceUnits = kDeviceIdUnits;
const uint32_t kJournalFromUnits = 300;  // a plan's path
const uint32_t kJournalToUnits = 16;
const uint32_t kJournalResultUnits = 40;
const uint32_t kJournalPathUnits = 320;

enum JournalFace { kJournalWindow, kJournalBatch, kJournalTask };
enum JournalStep { kJournalIntent, kJournalOutcome };
enum JournalChange {
  kJournalReserve,
  kJournalFree,
  kJournalMove,
  kJournalRemove,
  kJournalGrow,
  kJournalPlan,
  kJournalUndo,
};

// The journal's lock held, for as long as the holder lives.
struct JournalLock {
  OsFile file = 0;
  JournalLock() = default;
  JournalLock(const JournalLock&) = delete;
  JournalLock& operator=(const JournalLock&) = delete;
  ~JournalLock() {
    if (file != 0) OsCloseFile(file);
  }
};
// Takes the lock of that path, waiting at most `wait` milliseconds
// (kOsErrorWaitTimeout when another holds it longer).
int32_t TakeJournalLock(const char16_t* path, uint32_t wait, JournalLock* lock);

// The words of the outcomes other than error names.
extern const char16_t kJournalDone[];           // "done"
extern const char16_t kJournalFailed[];         // "failed": no system error to name
extern const char16_t kJournalRestartNeeded[];  // "restart needed": takes effect once Windows restarts
extern const char16_t kJournalNotReleased[];    // "not released": moved; the old number stays reserved
extern const char16_t kJournalUndone[];         // "undone": failed, and what was done undone
extern const char16_t kJournalNotAllUndone[];   // "not all undone"

// The words of the columns.
const char16_t* JournalFaceWord(JournalFace face);
const char16_t* JournalStepWord(JournalStep step);
const char16_t* JournalChangeWord(JournalChange change);

// One change, as both its lines give it.
struct JournalEntry {
  JournalChange change;
  const char16_t* device;  // null: none
  int32_t from, to;        // numbers (COMn) or, for grow, port counts; 0: none
  const char16_t* text;    // plan: the plan's path; undo: the run undone (in From)
};

struct Journal {
  char16_t file[kJournalPathUnits];     // empty: no journal
  char16_t oldFile[kJournalPathUnits];  // what the file becomes at 1 MiB
  bool unusable;                        // the folder's path did not fit
  bool folderChecked;                   // made where missing, and found to admit no one else
  char16_t lockFile[kJournalPathUnits];
  bool lockGivenUp;                     // a wait for the lock ran out this run
  JournalFace face;
  char16_t run[kJournalRunUnits];       // the run now
  uint32_t runs;                        // runs this process began
  char16_t lastRun[kJournalRunUnits];   // the last run that recorded a change; empty none
  // The last run that recorded a change that may have been made (its
  // outcome done, waiting for a restart, not released or not all undone),
  // when it is no undo and no undo of it has finished since: what the
  // window's Undo Last Change takes. A failed command leaves the one
  // before it, as it changed nothing. Empty none.
  char16_t undoable[kJournalRunUnits];
  bool runUndoes;                       // the run now has undone another
  uint32_t failure;                     // the first line's error since taken; 0 none
  // Lines gathered to be appended together (GatherJournal).
  bool gathering;
  uint8_t* gathered;
  uint32_t gatheredSize, gatheredCapacity;
};

// Opens nothing yet: lines are appended as they come, in the folder kept
// under ProgramData (core/kept_folder.h), which the first line makes where
// it is missing. The face, unless the process runs as SYSTEM, which is
// the task's; then the first run.
void StartJournal(Journal* journal, JournalFace face);
// A run of its own for what follows (the window's next command).
void StartJournalRun(Journal* journal);

// Lines written from here on are gathered, to be appended together, under
// one hold of the lock, by FlushJournal: a save that changes many numbers
// writes every intent before its first change and every outcome after its
// last, two appends however many numbers it changes.
void GatherJournal(Journal* journal);
void FlushJournal(Journal* journal);

// The two lines of a change; a null journal writes nothing. The intent
// says whether it was written (gathered, or no journal, counts as written).
bool JournalIntent(Journal* journal, const JournalEntry& entry);
void JournalOutcome(Journal* journal, const JournalEntry& entry, const char16_t* result);
// The outcome of a change that succeeded or failed: "done", the error's
// name, or "failed" where it has none.
void JournalOutcomeOf(Journal* journal, const JournalEntry& entry, bool ok, uint32_t error);

// Whether a line was given up since the last call, and the first one's
// error (into *error); the journal counts as written again afterwards.
bool TakeJournalFailure(Journal* journal, uint32_t* error);
// "The journal could not be written: NAME", the words both faces say it in.
void DescribeJournalFailure(uint32_t error, char16_t* text, uint32_t units);

// The header line and a record's line, without their line end, as they
// are written (before they are made UTF-8).
const char16_t* JournalHeader();
const uint32_t kJournalLineUnits = 2 * (kJournalRunUnits + kJournalDeviceUnits + kJournalFromUnits +
                                        kJournalToUnits + kJournalResultUnits + kJournalTimeUnits) +
                                   64;
void JournalLine(const OsUtcTime& time, const char16_t* run, JournalFace face, JournalStep step,
                 const JournalEntry& entry, const char16_t* result, char16_t* line, uint32_t units);
// A field as a record holds it: a control character made a blank, half a
// surrogate pair U+FFFD, cut to `units` with its terminator and never
// between the two halves of a pair.
void JournalFieldText(const char16_t* text, char16_t* field, uint32_t units);
