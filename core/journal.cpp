#include "core/journal.h"

#include "base/com_name.h"
#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/csv_field.h"
#include "core/journal_read.h"
#include "core/kept_folder.h"
#include "core/protected_access.h"
#include "core/number_plan.h"


const char16_t kJournalDone[] = u"done";
const char16_t kJournalFailed[] = u"failed";
const char16_t kJournalRestartNeeded[] = u"restart needed";
const char16_t kJournalNotReleased[] = u"not released";
const char16_t kJournalUndone[] = u"undone";
const char16_t kJournalNotAllUndone[] = u"not all undone";

const char16_t* JournalFaceWord(JournalFace face) {
  switch (face) {
    case kJournalWindow:
      return u"window";
    case kJournalBatch:
      return u"batch";
    case kJournalTask:
      return u"task";
  }
  return u"";
}

const char16_t* JournalStepWord(JournalStep step) {
  return step == kJournalIntent ? u"intent" : u"outcome";
}

const char16_t* JournalChangeWord(JournalChange change) {
  switch (change) {
    case kJournalReserve:
      return u"reserve";
    case kJournalFree:
      return u"free";
    case kJournalMove:
      return u"move";
    case kJournalRemove:
      return u"remove";
    case kJournalGrow:
      return u"grow";
    case kJournalPlan:
      return u"plan";
    case kJournalUndo:
      return u"undo";
  }
  return u"";
}

const char16_t* JournalHeader() { return u"Time,Run,Face,Step,Change,Device,From,To,Result"; }

static bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
static bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void JournalFieldText(const char16_t* text, char16_t* field, uint32_t units) {
  uint32_t n = 0;
  for (uint32_t i = 0; text != nullptr && text[i] != 0 && n + 1 < units; i++) {
    char16_t c = text[i];
    if (IsHigh(c) && IsLow(text[i + 1])) {
      if (n + 2 >= units) break;  // the pair whole, or not at all
      field[n++] = c;
      field[n++] = text[++i];
      continue;
    }
    field[n++] = c < 0x20 ? u' ' : IsHigh(c) || IsLow(c) ? u'\xFFFD' : c;
  }
  field[n] = 0;
}

static bool IsPlaceholder(char16_t c) {
  return c == u'Y' || c == u'M' || c == u'D' || c == u'h' || c == u'm' || c == u's' || c == u'f';
}

// The form with each run of one placeholder letter (Y, M, D, h, m, s, f)
// filled with the next value's digits, as many as the run is long:
// "YYYY-MM" and 2026, 12 make "2026-12".
static void Stamp(const char16_t* form, const uint32_t* values, char16_t* text) {
  uint32_t i = 0;
  while (form[i] != 0) {
    if (!IsPlaceholder(form[i])) {
      text[i] = form[i];
      i++;
      continue;
    }
    uint32_t end = i;
    while (form[end] == form[i]) end++;
    for (uint32_t value = *values++, k = end; k-- > i; value /= 10) {
      text[k] = static_cast<char16_t>(u'0' + value % 10);
    }
    i = end;
  }
  text[i] = 0;
}

// 2026-12-10T16:50:29.123Z, or for a run 20261210T165029Z.
static void TimeText(const OsUtcTime& t, bool run, char16_t* text) {
  const uint32_t values[] = {t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds};
  Stamp(run ? u"YYYYMMDDThhmmssZ" : u"YYYY-MM-DDThh:mm:ss.fffZ", values, text);
}

// COMn for a number, digits for a count; empty for none.
static void NumberText(JournalChange change, int32_t value, char16_t* text, uint32_t units) {
  text[0] = 0;
  if (value <= 0) return;
  if (change == kJournalGrow) {
    TextAppendSigned(text, units, value);
  } else {
    ComName(value, text, units);
  }
}

void JournalLine(const OsUtcTime& time, const char16_t* run, JournalFace face, JournalStep step,
                 const JournalEntry& entry, const char16_t* result, char16_t* text,
                 uint32_t units) {
  FieldLine line = {text, units, 0};
  text[0] = 0;
  char16_t when[kJournalTimeUnits], from[kJournalToUnits], to[kJournalToUnits];
  TimeText(time, false, when);
  NumberText(entry.change, entry.from, from, Units(from));
  NumberText(entry.change, entry.to, to, Units(to));
  const struct {
    const char16_t* text;
    uint32_t room;
  } fields[] = {
      {when, kJournalTimeUnits},
      {run, kJournalRunUnits},
      {JournalFaceWord(face), kJournalTimeUnits},
      {JournalStepWord(step), kJournalTimeUnits},
      {JournalChangeWord(entry.change), kJournalTimeUnits},
      {entry.device, kJournalDeviceUnits},
      {entry.text != nullptr ? entry.text : from, kJournalFromUnits},
      {to, kJournalToUnits},
      {step == kJournalOutcome ? result : u"", kJournalResultUnits},
  };
  for (const auto& f : fields) {
    char16_t field[kJournalFromUnits];
    JournalFieldText(f.text, field, f.room);
    PutField(kGuardedCsvField, field, &line);
  }
}

void StartJournal(Journal* j, JournalFace face) {
  MemFill(j, 0, sizeof *j);
  j->face = OsRunsAsSystem() ? kJournalTask : face;
  KeptResult result;
  j->unusable = !KeptFilePath(u"journal.csv", j->file, kJournalPathUnits, &result) ||
                !KeptFilePath(u"journal.old.csv", j->oldFile, kJournalPathUnits, &result) ||
                !KeptFilePath(u"journal.lock", j->lockFile, kJournalPathUnits, &result);
  if (j->unusable) j->file[0] = j->oldFile[0] = j->lockFile[0] = 0;
  StartJournalRun(j);
}

// 20261210T165029Z-4242-1
void StartJournalRun(Journal* j) {
  j->runUndoes = false;
  j->lockGivenUp = false;
  OsUtcTime now;
  OsUtcNow(&now);
  TimeText(now, true, j->run);
  TextAppend(j->run, kJournalRunUnits, u"-");
  TextAppendUnsigned(j->run, kJournalRunUnits, OsProcessId());
  TextAppend(j->run, kJournalRunUnits, u"-");
  TextAppendUnsigned(j->run, kJournalRunUnits, ++j->runs);
}

int32_t TakeJournalLock(const char16_t* path, uint32_t wait, JournalLock* lock) {
  for (uint32_t waited = 0;; waited += kJournalLockRetry) {
    int32_t status = OsOpenFileToLock(path, kProtectedFileSddl, &lock->file);
    if (status != kOsErrorSharingViolation) return status;
    if (waited >= wait) return kOsErrorWaitTimeout;
    OsSleep(kJournalLockRetry);
  }
}

namespace {

const uint32_t kNotPlain = kOsFileAttributeReparsePoint | kOsFileAttributeDirectory;

// The file opened for appending, and its size: never a link, a reparse
// point (opened as itself), a directory or a file with a second name,
// any of which could lead the line into another file.
int32_t OpenPlain(const char16_t* path, OsFile* file, uint64_t* size) {
  int32_t status = OsOpenFileToAppend(path, kProtectedFileSddl, file);
  if (status != kOsErrorSuccess) return status;
  OsFileFacts facts;
  status = OsGetFileFacts(*file, &facts);
  if (status == kOsErrorSuccess && ((facts.attributes & kNotPlain) != 0 || facts.links != 1)) {
    status = kOsErrorCantAccessFile;
  }
  if (status != kOsErrorSuccess) {
    OsCloseFile(*file);
    *file = 0;
    return status;
  }
  *size = facts.size;
  return kOsErrorSuccess;
}

// Under the lock. A file the line would take past 1 MiB becomes the older
// one first; should that fail, the line still goes where it is (no line
// is lost for it), and the failure counts.
int32_t AppendLocked(const Journal* j, const uint8_t* line, uint32_t size) {
  OsFile file;
  uint64_t length;
  int32_t status = OpenPlain(j->file, &file, &length);
  if (status != kOsErrorSuccess) return status;
  int32_t rolled = kOsErrorSuccess;
  if (length != 0 && length + size > kJournalMostBytes) {
    OsCloseFile(file);
    rolled = OsRenameFile(j->file, j->oldFile);
    status = OpenPlain(j->file, &file, &length);
    if (status != kOsErrorSuccess) return status;
  }
  uint8_t last = '\n';
  if (length != 0 && (status = OsReadFileAt(file, length - 1, &last, 1)) != kOsErrorSuccess) {
    OsCloseFile(file);
    return status;
  }
  if (last != '\n') {
    // A line a crash cut short is ended, so that it takes no record with it.
    status = OsAppendToFile(file, "\r\n", 2);
  }
  if (status != kOsErrorSuccess) {
    // Nothing of the line is written behind what could not be ended.
  } else if (length == 0) {
    // A new file: its mark and header, then the line, in one write.
    char16_t header[64];
    TextCopy(header, Units(header), JournalHeader());
    uint32_t headerSize = 3 + Utf8OfText(header, nullptr, 0) + 2;
    HeapBlock<uint8_t> whole(headerSize + size);
    whole[0] = 0xEF;
    whole[1] = 0xBB;
    whole[2] = 0xBF;
    Utf8OfText(header, whole.Get() + 3, headerSize);
    whole[headerSize - 2] = '\r';
    whole[headerSize - 1] = '\n';
    MemCopy(whole.Get() + headerSize, line, size);
    status = OsAppendToFile(file, whole.Get(), headerSize + size);
  } else {
    status = OsAppendToFile(file, line, size);
  }
  OsCloseFile(file);
  return status != kOsErrorSuccess ? status : rolled;
}

// The folder, made where it is missing, and checked once a process: a
// folder someone else made or can change first would let them put a link
// where the journal is written. Refused, it counts as a file the journal
// cannot access.
int32_t CheckFolder(Journal* j) {
  if (j->folderChecked) return kOsErrorSuccess;
  KeptFolder folder;
  KeptResult result;
  if (!OpenKeptFolder(true, &folder, &result)) {
    return result.fault == kKeptSystemError && result.error != 0 ? result.error
                                                                 : kOsErrorCantAccessFile;
  }
  CloseKeptFolder(&folder);
  j->folderChecked = true;
  return kOsErrorSuccess;
}

int32_t Append(Journal* j, const uint8_t* line, uint32_t size) {
  if (j->unusable) return kOsErrorInsufficientBuffer;
  if (int32_t status = CheckFolder(j)) return status;
  JournalLock lock;
  int32_t status = TakeJournalLock(j->lockFile, j->lockGivenUp ? 0 : kJournalLockWait, &lock);
  j->lockGivenUp |= status == kOsErrorWaitTimeout;
  return status != kOsErrorSuccess ? status : AppendLocked(j, line, size);
}

bool Kept(const Journal* j) { return j != nullptr && (j->file[0] != 0 || j->unusable); }

bool Appended(Journal* j, const uint8_t* lines, uint32_t size) {
  int32_t status = Append(j, lines, size);
  if (status != kOsErrorSuccess && j->failure == 0) j->failure = static_cast<uint32_t>(status);
  return status == kOsErrorSuccess;
}

// On the stack: a save of thousands of numbers writes as many lines, and
// every allocation has the heap checked.
// Whether the line was written (or gathered, or there is no journal).
bool Write(Journal* j, JournalStep step, const JournalEntry& entry, const char16_t* result) {
  if (!Kept(j)) return true;
  OsUtcTime now;
  OsUtcNow(&now);
  char16_t text[kJournalLineUnits];
  uint8_t bytes[3 * kJournalLineUnits + 2];
  JournalLine(now, j->run, j->face, step, entry, result, text, kJournalLineUnits);
  uint32_t size = Utf8OfText(text, nullptr, 0);
  if (j->gathering && j->gatheredSize + size + 2 > j->gatheredCapacity) {
    j->gatheredCapacity = 2 * (j->gatheredSize + size + 2) + 4096;
    j->gathered = static_cast<uint8_t*>(MemResize(j->gathered, j->gatheredSize, j->gatheredCapacity));
  }
  uint8_t* line = j->gathering ? j->gathered + j->gatheredSize : bytes;
  Utf8OfText(text, line, size);
  line[size] = '\r';
  line[size + 1] = '\n';
  bool written = true;
  if (j->gathering) {
    j->gatheredSize += size + 2;
  } else {
    written = Appended(j, line, size + 2);
  }
  TextCopy(j->lastRun, kJournalRunUnits, j->run);
  return written;
}

}  // namespace

void GatherJournal(Journal* j) {
  if (Kept(j)) j->gathering = true;
}

// The gathered block is a plain field of the journal, a record passed by
// pointer: freed here and nowhere else.
void FlushJournal(Journal* j) {
  if (!Kept(j)) return;
  if (j->gatheredSize != 0) Appended(j, j->gathered, j->gatheredSize);
  MemFree(j->gathered);
  j->gathering = false;
  j->gathered = nullptr;
  j->gatheredSize = j->gatheredCapacity = 0;
}

bool JournalIntent(Journal* j, const JournalEntry& entry) {
  bool written = Write(j, kJournalIntent, entry, u"");
  if (j != nullptr && entry.change == kJournalUndo) j->runUndoes = true;
  return written;
}

void JournalOutcome(Journal* j, const JournalEntry& entry, const char16_t* result) {
  Write(j, kJournalOutcome, entry, result);
  if (!Kept(j)) return;
  JournalResult kind = JournalResultOf(result);
  if (entry.change == kJournalUndo) {
    // Finished: the run it took is undone, and the undo itself is none to take.
    if (JournalUndoFinished(kind) && entry.text != nullptr && TextEqual(j->undoable, entry.text)) {
      j->undoable[0] = 0;
    }
  } else if (JournalChangeMayStand(kind) && !j->runUndoes && entry.change != kJournalPlan) {
    TextCopy(j->undoable, kJournalRunUnits, j->run);
  }
}

void JournalOutcomeOf(Journal* j, const JournalEntry& entry, bool ok, uint32_t error) {
  char16_t name[kJournalResultUnits];
  if (ok) {
    TextCopy(name, Units(name), kJournalDone);
  } else if (error == 0) {
    TextCopy(name, Units(name), kJournalFailed);
  } else {
    TextWidenAscii(name, Units(name), ErrorName(error));
  }
  JournalOutcome(j, entry, name);
}

bool TakeJournalFailure(Journal* j, uint32_t* error) {
  *error = j->failure;
  j->failure = 0;
  return *error != 0;
}

void DescribeJournalFailure(uint32_t error, char16_t* text, uint32_t units) {
  char16_t name[40];
  TextWidenAscii(name, Units(name), ErrorName(error));
  TextCopy(text, units, u"The journal could not be written: ");
  TextAppend(text, units, name);
}
