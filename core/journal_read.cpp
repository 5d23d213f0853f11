#include "core/journal_read.h"

#include "base/com_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/kept_folder.h"

namespace {

const uint32_t kFields = 9;
// Each field's room, in the order of the columns.
const uint32_t kRoom[kFields] = {kJournalTimeUnits,   kJournalRunUnits,   8, 8, 8,
                                 kJournalDeviceUnits, kJournalFromUnits, kJournalToUnits,
                                 kJournalResultUnits};
enum Column { kTime, kRun, kFace, kStep, kChange, kDevice, kFrom, kTo, kResult };
// The shortest line that holds a record: its time, the shortest run
// ("20261210T165029Z-1-1"), "task", "intent", "plan", no path, and the
// commas.
const uint32_t kShortestRecordUnits = 24 + 20 + 4 + 6 + 4 + 8;

// UTF-8 made UTF-16 as far as it is UTF-8: any other byte, and a NUL,
// becomes U+FFFD. Never more units than bytes.
uint32_t Decode(const uint8_t* bytes, uint32_t size, char16_t* out) {
  uint32_t n = 0;
  for (uint32_t at = 0; at < size;) {
    uint8_t lead = bytes[at];
    uint32_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                      : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    uint32_t code = length == 1 ? lead : length == 2 ? lead & 0x1Fu : length == 3 ? lead & 0x0Fu
                                                                              : lead & 0x07u;
    bool whole = length != 0 && length <= size - at;
    // The second byte's range shuts out overlong forms, surrogates and
    // what lies beyond U+10FFFF.
    uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (uint32_t k = 1; whole && k < length; k++) {
      uint8_t next = bytes[at + k];
      whole = next >= (k == 1 ? low : 0x80) && next <= (k == 1 ? high : 0xBF);
      code = code << 6 | (next & 0x3Fu);
    }
    if (!whole || code == 0) {
      out[n++] = u'\xFFFD';
      at++;
      continue;
    }
    at += length;
    if (code >= 0x10000) {
      out[n++] = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out[n++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out[n++] = static_cast<char16_t>(code);
    }
  }
  return n;
}

// The fields of one line (RFC 4180, one line a record), each cut to its
// room; false for a line of another shape. A quoted field loses the "'"
// that guards its start.
bool SplitFields(const char16_t* line, uint32_t length, char16_t fields[kFields][kJournalFromUnits]) {
  uint32_t at = 0;
  for (uint32_t f = 0;; f++) {
    if (f == kFields) return false;
    char16_t* field = fields[f];
    uint32_t room = kRoom[f] < kJournalFromUnits ? kRoom[f] : kJournalFromUnits;
    // Read into a buffer of the largest room and its guard, then cut to
    // this one's.
    char16_t whole[kJournalFromUnits + 1];
    uint32_t n = 0;
    bool quoted = at < length && line[at] == u'"';
    if (quoted) {
      for (at++;; at++) {
        if (at >= length) return false;  // never closed
        if (line[at] == u'"') {
          if (at + 1 < length && line[at + 1] == u'"') {
            at++;
          } else {
            at++;
            break;
          }
        }
        if (n + 1 < Units(whole)) whole[n++] = line[at];
      }
      if (at < length && line[at] != u',') return false;
    } else {
      for (; at < length && line[at] != u','; at++) {
        if (n + 1 < Units(whole)) whole[n++] = line[at];
      }
    }
    whole[n] = 0;
    JournalFieldText(quoted && whole[0] == u'\'' ? whole + 1 : whole, field, room);
    if (at >= length) return f + 1 == kFields;
    at++;  // the comma
  }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Digits alone, as the journal writes a number: no sign, no leading zero;
// 0 for any other text or a value above `most`.
int32_t NumberOf(const char16_t* text, int32_t most) {
  if (text[0] == u'0') return 0;
  int64_t value = 0;
  for (uint32_t i = 0; text[i] != 0; i++) {
    if (!IsDigit(text[i]) || i == 10) return 0;
    value = value * 10 + (text[i] - u'0');
  }
  return value <= most ? static_cast<int32_t>(value) : 0;
}

// n of "COMn"; 0 for any other text.
int32_t ComNumberOf(const char16_t* text, int32_t most) {
  if (text[0] != u'C' || text[1] != u'O' || text[2] != u'M') return 0;
  return NumberOf(text + 3, most);
}

// Digits, then more of the form: "0000" for four digits.
bool Shaped(const char16_t* text, const char16_t* form) {
  for (; *form != 0; text++, form++) {
    if (*form == u'0' ? !IsDigit(*text) : *text != *form) return false;
  }
  return *text == 0;
}

// 20261210T165029Z-4242-1: the time of its start, the process, the count.
bool IsRunId(const char16_t* text) {
  for (uint32_t i = 0; i < 17; i++) {
    if (text[i] == 0) return false;
  }
  char16_t start[18];
  for (uint32_t i = 0; i < 17; i++) start[i] = text[i];
  start[17] = 0;
  if (!Shaped(start, u"00000000T000000Z-")) return false;
  const char16_t* rest = text + 17;
  uint32_t digits = 0;
  for (; IsDigit(*rest); rest++) digits++;
  if (digits == 0 || digits > 10 || *rest++ != u'-') return false;
  digits = 0;
  for (; IsDigit(*rest); rest++) digits++;
  return digits != 0 && digits <= 10 && *rest == 0;
}

template <typename Word>
bool FindWord(const char16_t* text, int32_t count, const char16_t* (*word)(Word), Word* found) {
  for (int32_t i = 0; i < count; i++) {
    if (TextEqual(text, word(static_cast<Word>(i)))) {
      *found = static_cast<Word>(i);
      return true;
    }
  }
  return false;
}

bool IsErrorName(const char16_t* text) {
  if (text[0] == 0) return false;
  for (; *text != 0; text++) {
    char16_t c = *text;
    if (!IsDigit(c) && !(c >= u'A' && c <= u'Z') && !(c >= u'a' && c <= u'z') && c != u'_') return false;
  }
  return true;
}

// Whether the fields are a record the journal writes; its numbers into it.
bool Valid(char16_t fields[kFields][kJournalFromUnits], JournalRecord* r) {
  if (!Shaped(fields[kTime], u"0000-00-00T00:00:00.000Z") || !IsRunId(fields[kRun])) return false;
  if (!FindWord(fields[kFace], 3, JournalFaceWord, &r->face) ||
      !FindWord(fields[kStep], 2, JournalStepWord, &r->step) ||
      !FindWord(fields[kChange], kJournalUndo + 1, JournalChangeWord, &r->change)) {
    return false;
  }
  const char16_t* device = fields[kDevice];
  const char16_t* from = fields[kFrom];
  const char16_t* to = fields[kTo];
  const char16_t* result = fields[kResult];
  if (r->step == kJournalIntent ? result[0] != 0
                                : JournalResultOf(result) == kJournalResultFailed &&
                                      !IsErrorName(result)) {
    return false;
  }
  if (r->step == kJournalOutcome && result[0] == 0) return false;
  bool withDevice = r->change == kJournalMove || r->change == kJournalRemove;
  if ((device[0] != 0) != withDevice) return false;
  const int32_t kMost = kHighestPortNumber;
  switch (r->change) {
    case kJournalReserve:
      r->toNumber = ComNumberOf(to, kMost);
      return from[0] == 0 && r->toNumber != 0;
    case kJournalFree:
      r->fromNumber = ComNumberOf(from, kMost);
      return to[0] == 0 && r->fromNumber != 0;
    case kJournalMove:
      r->fromNumber = ComNumberOf(from, kMost);
      r->toNumber = ComNumberOf(to, kMost);
      return r->fromNumber != 0 && r->toNumber != 0;
    case kJournalRemove:
      // Whatever number the device's own name gave it, or none.
      r->fromNumber = ComNumberOf(from, 2147483647);
      return to[0] == 0 && (from[0] == 0 || r->fromNumber != 0);
    case kJournalGrow:
      r->fromNumber = NumberOf(from, kMost);
      r->toNumber = NumberOf(to, kMost);
      return (from[0] == 0 || r->fromNumber != 0) && r->toNumber != 0;
    case kJournalPlan:
      return to[0] == 0;
    case kJournalUndo:
      return to[0] == 0 && IsRunId(from);
  }
  return false;
}

// FNV-1a over texts, for the tables below.
uint32_t Hash(uint32_t hash, const char16_t* text) {
  for (; *text != 0; text++) hash = (hash ^ *text) * 16777619u;
  return (hash ^ 0xFFFF) * 16777619u;  // ends the text
}

uint32_t ChangeHash(const JournalRecord& r) {
  uint32_t hash = Hash(2166136261u, r.run);
  hash = (hash ^ static_cast<uint32_t>(r.change)) * 16777619u;
  return Hash(Hash(Hash(hash, r.device), r.from), r.to);
}

bool SameChange(const JournalRecord& a, const JournalRecord& b) {
  return a.change == b.change && TextEqual(a.run, b.run) && TextEqual(a.device, b.device) &&
         TextEqual(a.from, b.from) && TextEqual(a.to, b.to);
}

// Chains of indices by hash, -1 ending each.
struct Table {
  HeapBlock<int32_t> heads;
  uint32_t mask;
  HeapBlock<int32_t> next;

  void Make(int32_t entries) {
    uint32_t buckets = 16;
    while (buckets < 2u * static_cast<uint32_t>(entries)) buckets *= 2;
    mask = buckets - 1;
    heads.Reset(buckets);
    next.Reset(entries + 1);
    for (uint32_t b = 0; b < buckets; b++) heads[b] = -1;
  }
};

char16_t* Keep(const char16_t* field, char16_t** arena) {
  char16_t* kept = *arena;
  uint32_t n = TextLength(field);
  MemCopy(kept, field, (n + 1) * sizeof(char16_t));
  *arena += n + 1;
  return kept;
}

}  // namespace

JournalResult JournalResultOf(const char16_t* result) {
  const struct {
    const char16_t* word;
    JournalResult result;
  } kWords[] = {
      {u"", kJournalResultInterrupted},
      {kJournalDone, kJournalResultDone},
      {kJournalRestartNeeded, kJournalResultRestartNeeded},
      {kJournalNotReleased, kJournalResultNotReleased},
      {kJournalUndone, kJournalResultUndone},
      {kJournalNotAllUndone, kJournalResultNotAllUndone},
  };
  for (const auto& w : kWords) {
    if (TextEqual(result, w.word)) return w.result;
  }
  return kJournalResultFailed;
}

bool JournalChangeMayStand(JournalResult result) {
  return result == kJournalResultDone || result == kJournalResultRestartNeeded ||
         result == kJournalResultNotReleased || result == kJournalResultInterrupted ||
         result == kJournalResultNotAllUndone;
}

bool JournalUndoFinished(JournalResult result) {
  return result == kJournalResultDone || result == kJournalResultRestartNeeded;
}

void ReadJournal(const uint8_t* bytes, uint32_t size, JournalRead* read) {
  MemFill(read, 0, sizeof *read);
  HeapBlock<char16_t> decodedBlock(uint64_t{size} + 1);
  char16_t* decoded = decodedBlock.Get();
  uint32_t units = Decode(bytes, size, decoded);
  // Room for a record from each line long enough to hold one, whatever
  // the bytes: a megabyte of line ends takes none.
  int32_t lines = 1, longLines = 0;
  for (uint32_t i = 0, start = 0; i <= units; i++) {
    if (i < units && decoded[i] != u'\n') continue;
    longLines += i - start >= kShortestRecordUnits;
    lines += i < units;
    start = i + 1;
  }
  // A record's fields are no longer than its line, and each gains a terminator.
  read->text = static_cast<char16_t*>(
      MemAlloc((uint64_t{units} + uint64_t{kFields} * static_cast<uint32_t>(longLines) + 1) *
               sizeof(char16_t)));
  read->records = static_cast<JournalRecord*>(MemAlloc(sizeof(JournalRecord) * (longLines + 1)));
  char16_t* arena = read->text;
  HeapBlock<char16_t[kJournalFromUnits]> fields(kFields);
  uint32_t start = 0;
  for (int32_t number = 1; start <= units && number <= lines; number++) {
    uint32_t end = start;
    while (end < units && decoded[end] != u'\n') end++;
    const char16_t* line = decoded + start;
    uint32_t length = end - start;
    start = end + 1;
    if (length > 0 && line[length - 1] == u'\r') length--;
    if (length > 0 && line[0] == u'\xFEFF') {
      line++;
      length--;
    }
    if (length == 0) continue;
    JournalRecord record = {};
    if (length < kShortestRecordUnits || !SplitFields(line, length, fields.Get()) ||
        !Valid(fields.Get(), &record)) {
      // The header, wherever a file begins.
      const char16_t* header = JournalHeader();
      bool isHeader = length == TextLength(header) && MemCompare(line, header, length * sizeof(char16_t)) == 0;
      read->skipped += !isHeader;
      continue;
    }
    record.time = Keep(fields[kTime], &arena);
    record.run = Keep(fields[kRun], &arena);
    record.device = Keep(fields[kDevice], &arena);
    record.from = Keep(fields[kFrom], &arena);
    record.to = Keep(fields[kTo], &arena);
    record.result = Keep(fields[kResult], &arena);
    record.line = number;
    read->records[read->recordCount++] = record;
  }

  // Each outcome paired with the latest intent of its run for the same
  // change that has none yet; each run by its identifier.
  int32_t count = read->recordCount;
  HeapBlock<int32_t> runOf(count + 1);
  HeapBlock<int32_t> changeOf(count + 1);
  read->runs = static_cast<JournalRun*>(MemAlloc(sizeof(JournalRun) * (count + 1)));
  HeapBlock<JournalChangeRead> unordered(count + 1);
  Table runs, open;
  runs.Make(count);
  open.Make(count);
  for (int32_t i = 0; i < count; i++) {
    const JournalRecord& r = read->records[i];
    uint32_t runBucket = Hash(2166136261u, r.run) & runs.mask;
    int32_t run = runs.heads[runBucket];
    while (run >= 0 && !TextEqual(read->runs[run].id, r.run)) run = runs.next[run];
    if (run < 0) {
      run = read->runCount++;
      read->runs[run] = JournalRun{r.run, r.face, nullptr, nullptr, 0};
      runs.next[run] = runs.heads[runBucket];
      runs.heads[runBucket] = run;
    }
    runOf[i] = run;
    // Any of its undo lines makes a run an undo, should the other be lost.
    if (r.change == kJournalUndo && read->runs[run].undoes == nullptr) read->runs[run].undoes = r.from;
    uint32_t bucket = ChangeHash(r) & open.mask;
    if (r.step == kJournalIntent) {
      changeOf[i] = read->changeCount;
      unordered[read->changeCount++] = JournalChangeRead{&r, nullptr, kJournalResultInterrupted};
      open.next[i] = open.heads[bucket];
      open.heads[bucket] = i;
      continue;
    }
    // Taken out of its chain once paired.
    int32_t* link = &open.heads[bucket];
    while (*link >= 0 && !SameChange(read->records[*link], r)) link = &open.next[*link];
    if (*link < 0) {
      read->unpaired++;
      continue;
    }
    JournalChangeRead& change = unordered[changeOf[*link]];
    change.outcome = &r;
    change.result = JournalResultOf(r.result);
    *link = open.next[*link];
  }
  // Run by run, each in its intents' order.
  HeapBlock<int32_t> first(read->runCount + 1);
  HeapBlock<int32_t> runOfChange(read->changeCount + 1);
  for (int32_t i = 0, c = 0; i < count; i++) {
    if (read->records[i].step == kJournalIntent) runOfChange[c++] = runOf[i];
  }
  for (int32_t c = 0; c < read->changeCount; c++) read->runs[runOfChange[c]].changeCount++;
  for (int32_t k = 0, at = 0; k < read->runCount; k++) {
    first[k] = at;
    at += read->runs[k].changeCount;
  }
  read->changes = static_cast<JournalChangeRead*>(MemAlloc(sizeof(JournalChangeRead) * (read->changeCount + 1)));
  for (int32_t k = 0; k < read->runCount; k++) read->runs[k].changes = read->changes + first[k];
  for (int32_t c = 0; c < read->changeCount; c++) read->changes[first[runOfChange[c]]++] = unordered[c];
}

// What was read is a plain record passed by pointer, its blocks pointing
// into one another: freed here together, and nowhere else.
void ReleaseJournal(JournalRead* read) {
  MemFree(read->text);
  MemFree(read->records);
  MemFree(read->runs);
  MemFree(read->changes);
  MemFill(read, 0, sizeof *read);
}

// If it is a plain file of the folder with one name that admits no one
// else: whole, or the lines of its last `room` bytes where it is larger
// (one that could not roll over while another program held it open grows
// on); nothing for a file that is not there.
static int32_t ReadJournalFile(const char16_t* path, uint8_t* bytes, uint32_t room,
                               uint32_t* size) {
  *size = 0;
  bool exists;
  KeptResult result;
  if (!CheckKeptFile(path, &exists, &result)) {
    return result.fault == kKeptSystemError && result.error != 0 ? result.error
                                                                 : kOsErrorCantAccessFile;
  }
  if (!exists) return kOsErrorSuccess;
  OsFile file;
  int32_t status = OsOpenFileToRead(path, &file);
  if (status == kOsErrorFileNotFound) return kOsErrorSuccess;
  if (status != kOsErrorSuccess) return status;
  OsFileFacts facts;
  status = OsGetFileFacts(file, &facts);
  uint64_t from = status == kOsErrorSuccess && facts.size > room ? facts.size - room : 0;
  uint32_t length = status == kOsErrorSuccess ? static_cast<uint32_t>(facts.size - from) : 0;
  if (length != 0) status = OsReadFileAt(file, from, bytes, length);
  if (status == kOsErrorSuccess) {
    // A tail begins with its first whole line.
    uint32_t start = 0;
    while (from != 0 && start < length && bytes[start] != '\n') start++;
    if (from != 0 && start < length) start++;
    MemCopy(bytes, bytes + start, length - start);
    *size = length - start;
  }
  OsCloseFile(file);
  return status;
}

int32_t LoadJournal(JournalRead* read) {
  MemFill(read, 0, sizeof *read);
  char16_t file[kJournalPathUnits], oldFile[kJournalPathUnits];
  KeptResult result;
  if (!KeptFilePath(u"journal.csv", file, Units(file), &result) ||
      !KeptFilePath(u"journal.old.csv", oldFile, Units(oldFile), &result)) {
    return result.error != 0 ? result.error : kOsErrorInsufficientBuffer;
  }
  // A folder someone else made or may change could hold a journal of
  // anyone's making.
  KeptFolder folder;
  if (!OpenKeptFolder(false, &folder, &result)) {
    if (KeptMissing(result)) return kOsErrorSuccess;  // nothing was ever recorded
    return result.fault == kKeptSystemError && result.error != 0 ? result.error
                                                                 : kOsErrorCantAccessFile;
  }
  const uint32_t room = 2 * static_cast<uint32_t>(kJournalMostBytes);
  HeapBlock<uint8_t> bytes(2 * room);
  uint32_t older = 0, newer = 0;
  char16_t lockFile[kJournalPathUnits];
  KeptFilePath(u"journal.lock", lockFile, Units(lockFile), &result);
  JournalLock lock;
  int32_t status = TakeJournalLock(lockFile, kJournalLockWait, &lock);
  if (status == kOsErrorSuccess) {
    // The older file first: the reader takes both as one, in order.
    status = ReadJournalFile(oldFile, bytes.Get(), room, &older);
    if (status == kOsErrorSuccess) status = ReadJournalFile(file, bytes.Get() + older, room, &newer);
  }
  CloseKeptFolder(&folder);
  if (status == kOsErrorSuccess) ReadJournal(bytes.Get(), older + newer, read);
  return status;
}
