// A journal (core/journal.h) read back: its bytes, whatever they hold, as
// the records they hold, each change's intent paired with its outcome, and
// the runs in the order they began. A journal sits in a folder that only
// SYSTEM and the Administrators can write, but nothing in it is taken on
// trust: a line is a record only when each of its fields has the form the
// journal writes (a known face, step and change; COMn within ComDB's
// numbers where a number belongs; a run's identifier; an empty result on
// an intent and a known one on an outcome), and every other line is
// skipped. Fields are cut to their room (kJournal...Units). Any bytes of
// any length are safe, and nothing is read beyond them.
//
// The older file and the newer one may be read as one, the older first:
// a header line, and the byte-order mark at the start of a file, are
// skipped wherever they stand.
#pragma once

#include <stdint.h>

#include "core/journal.h"

enum JournalResult {
  kJournalResultInterrupted,   // an intent that no outcome followed
  kJournalResultDone,
  kJournalResultRestartNeeded,
  kJournalResultNotReleased,
  kJournalResultUndone,
  kJournalResultNotAllUndone,
  kJournalResultFailed,        // "failed", or the name of an error
};

// One line. Its texts are terminated and never null; "" for an empty field.
struct JournalRecord {
  const char16_t* time;    // 2026-12-10T16:50:29.123Z
  const char16_t* run;     // 20261210T165029Z-4242-1
  JournalFace face;
  JournalStep step;
  JournalChange change;
  const char16_t* device;  // move, remove: not empty; otherwise empty
  const char16_t* from;    // COMn, a count (grow), a path (plan), a run (undo), or empty
  const char16_t* to;      // COMn, a count (grow), or empty
  const char16_t* result;  // empty on an intent
  int32_t fromNumber;      // n of From's COMn, or grow's count; 0 for none
  int32_t toNumber;
  int32_t line;            // its line in the bytes, from 1
};

// A change: its intent, and the outcome written for it in the same run
// (the same change, device, From and To), null while none was.
struct JournalChangeRead {
  const JournalRecord* intent;
  const JournalRecord* outcome;
  JournalResult result;
};

struct JournalRun {
  const char16_t* id;
  JournalFace face;             // its first line's
  // For a run that undid another (a line of change undo): that run's
  // identifier, as its first undo line names it; null for any other run.
  const char16_t* undoes;
  JournalChangeRead* changes;   // in the order their intents were written
  int32_t changeCount;
};

struct JournalRead {
  JournalRun* runs;             // in the order their first lines stand
  int32_t runCount;
  JournalChangeRead* changes;   // every change, run by run
  int32_t changeCount;
  JournalRecord* records;       // in the order of their lines
  int32_t recordCount;
  int32_t skipped;              // lines that hold no record (blank ones and headers aside)
  int32_t unpaired;             // outcomes without an intent before them in their run
  char16_t* text;               // the records' fields
};

// Reads the bytes; *read is released with ReleaseJournal.
void ReadJournal(const uint8_t* bytes, uint32_t size, JournalRead* read);
void ReleaseJournal(JournalRead* read);
// The journal's two files read as one, the older first, under the lock
// the writers take: only from a folder that admits no one but SYSTEM and
// the Administrators (none at all reads as an empty journal), each only
// where it is a plain file with one name that admits no one else, and of
// a file larger than twice the size the journal rolls over at only the
// lines of that much at its end; a file that is not there reads as empty.
// 0, or the error that kept a file from being read (CANT_ACCESS_FILE for
// one refused), when *read holds nothing; release it with ReleaseJournal
// either way.
int32_t LoadJournal(JournalRead* read);
// The kind of an outcome's result; kJournalResultInterrupted for "".
JournalResult JournalResultOf(const char16_t* result);
// Whether a change may stand: done, waiting for a restart, made without
// its old number released, cut short, or failed without all of it undone.
// One that failed, or was undone, changed nothing.
bool JournalChangeMayStand(JournalResult result);
// Whether an undo took back the run it names.
bool JournalUndoFinished(JournalResult result);
