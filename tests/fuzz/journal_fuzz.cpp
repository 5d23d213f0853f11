// The journal, which /undo reads and trusts in nothing: any bytes are read
// without harm into records of the journal's own form, each change's
// outcome of its own run and change; and a change the journal writes,
// whatever its texts, reads back as it was written.
#include <stddef.h>
#include <stdint.h>

#include "base/memory.h"
#include "base/text.h"
#include "core/journal_read.h"
#include "core/number_plan.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool Same(const char16_t* a, const char16_t* b) {
  uint32_t n = TextLength(a);
  return n == TextLength(b) && MemCompare(a, b, n * sizeof(char16_t)) == 0;
}

bool Fits(const char16_t* text, uint32_t units) { return TextLength(text) < units; }

void CheckRead(const JournalRead& read) {
  int32_t changes = 0;
  for (int32_t k = 0; k < read.runCount; k++) {
    const JournalRun& run = read.runs[k];
    FUZZ_CHECK(run.changes == read.changes + changes);
    changes += run.changeCount;
    FUZZ_CHECK(changes <= read.changeCount);
    for (int32_t c = 0; c < run.changeCount; c++) {
      const JournalChangeRead& change = run.changes[c];
      const JournalRecord& intent = *change.intent;
      FUZZ_CHECK(intent.step == kJournalIntent && Same(intent.run, run.id) && intent.result[0] == 0);
      FUZZ_CHECK(Fits(intent.device, kJournalDeviceUnits) && Fits(intent.from, kJournalFromUnits) &&
                 Fits(intent.to, kJournalToUnits) && Fits(intent.run, kJournalRunUnits));
      if (intent.change == kJournalReserve || intent.change == kJournalMove) {
        FUZZ_CHECK(intent.toNumber >= 1 && intent.toNumber <= 4096);
      }
      if (intent.change == kJournalFree || intent.change == kJournalMove) {
        FUZZ_CHECK(intent.fromNumber >= 1 && intent.fromNumber <= 4096);
      }
      FUZZ_CHECK((intent.device[0] != 0) == (intent.change == kJournalMove || intent.change == kJournalRemove));
      if (change.outcome == nullptr) {
        FUZZ_CHECK(change.result == kJournalResultInterrupted);
        continue;
      }
      const JournalRecord& outcome = *change.outcome;
      FUZZ_CHECK(outcome.step == kJournalOutcome && outcome.change == intent.change);
      FUZZ_CHECK(outcome.line > intent.line && Same(outcome.run, run.id));
      FUZZ_CHECK(Same(outcome.device, intent.device) && Same(outcome.from, intent.from) &&
                 Same(outcome.to, intent.to));
      FUZZ_CHECK(outcome.result[0] != 0 && change.result == JournalResultOf(outcome.result) &&
                 change.result != kJournalResultInterrupted);
    }
    if (run.undoes != nullptr) FUZZ_CHECK(TextLength(run.undoes) > 17);
  }
  FUZZ_CHECK(changes == read.changeCount && read.changeCount <= read.recordCount);
}

// The fuzzer's bytes, taken a piece at a time.
struct Bytes {
  const uint8_t* data;
  size_t size;

  uint32_t Take(uint32_t count) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < count && size > 0; i++, size--) value = value << 8 | *data++;
    return value;
  }
  // Text of up to `most` units, any of them, ended by a zero unit or the
  // bytes' end.
  void Text(char16_t* text, uint32_t most) {
    uint32_t n = 0;
    while (n + 1 < most && size >= 2) {
      char16_t unit = static_cast<char16_t>(Take(2));
      if (unit == 0) break;
      text[n++] = unit;
    }
    text[n] = 0;
  }
};

const char16_t* const kResults[] = {kJournalDone,          kJournalFailed,  kJournalRestartNeeded,
                                    kJournalNotReleased,   kJournalUndone,  kJournalNotAllUndone,
                                    u"ACCESS_DENIED",      u"ERROR_0x10000000"};

// A change made of the bytes, written as the journal writes it, read back.
void RoundTrip(Bytes in) {
  JournalEntry entry = {};
  entry.change = static_cast<JournalChange>(in.Take(1) % (kJournalUndo + 1));
  int32_t a = static_cast<int32_t>(in.Take(2) % 4096) + 1, b = static_cast<int32_t>(in.Take(2) % 4096) + 1;
  static char16_t device[kJournalDeviceUnits + 40], text[kJournalFromUnits + 40];
  char16_t run[kJournalRunUnits] = u"20261210T165029Z-";
  TextAppendUnsigned(run, Units(run), in.Take(4));
  TextAppend(run, Units(run), u"-");
  TextAppendUnsigned(run, Units(run), in.Take(4));
  const char16_t* result = kResults[in.Take(1) % (sizeof kResults / sizeof kResults[0])];
  JournalFace face = static_cast<JournalFace>(in.Take(1) % 3);
  switch (entry.change) {
    case kJournalReserve:
      entry.to = a;
      break;
    case kJournalFree:
      entry.from = a;
      break;
    case kJournalMove:
      entry.from = a;
      entry.to = b;
      break;
    case kJournalRemove:
      entry.from = static_cast<int32_t>(in.Take(4) & 0x7FFFFFFF);
      break;
    case kJournalGrow:
      entry.from = a - 1;
      entry.to = b;
      break;
    case kJournalPlan:
      in.Text(text, Units(text));
      entry.text = text;
      break;
    case kJournalUndo:
      entry.text = run;  // a run's identifier
      break;
  }
  if (entry.change == kJournalMove || entry.change == kJournalRemove) {
    in.Text(device, Units(device));
    if (device[0] == 0 || device[0] < 0x20) device[0] = u'D';
    entry.device = device;
  }
  // Its lines, twice over: each outcome with its own intent.
  uint32_t capacity = 4 * 4 * kJournalLineUnits;
  auto* bytes = static_cast<uint8_t*>(MemAlloc(capacity));
  uint32_t size = 0;
  auto* line = static_cast<char16_t*>(MemAlloc(kJournalLineUnits * sizeof(char16_t)));
  const JournalStep steps[] = {kJournalIntent, kJournalIntent, kJournalOutcome, kJournalOutcome};
  for (JournalStep step : steps) {
    JournalLine({2026, 12, 10, 16, 50, 29, 123}, run, face, step, entry, result, line, kJournalLineUnits);
    size += Utf8OfText(line, bytes + size, capacity - size);
    bytes[size++] = '\r';
    bytes[size++] = '\n';
  }
  JournalRead read;
  ReadJournal(bytes, size, &read);
  CheckRead(read);
  FUZZ_CHECK(read.skipped == 0 && read.unpaired == 0 && read.runCount == 1 && read.changeCount == 2);
  const JournalRun& back = read.runs[0];
  FUZZ_CHECK(Same(back.id, run) && back.face == face);
  FUZZ_CHECK((back.undoes != nullptr) == (entry.change == kJournalUndo));
  static char16_t written[kJournalFromUnits];
  for (int32_t c = 0; c < 2; c++) {
    const JournalChangeRead& change = back.changes[c];
    FUZZ_CHECK(change.outcome != nullptr && Same(change.outcome->result, result));
    const JournalRecord& r = *change.intent;
    FUZZ_CHECK(r.change == entry.change);
    JournalFieldText(entry.device, written, kJournalDeviceUnits);
    FUZZ_CHECK(Same(r.device, written));
    if (entry.text != nullptr) {
      JournalFieldText(entry.text, written, kJournalFromUnits);
      FUZZ_CHECK(Same(r.from, written));
    } else {
      FUZZ_CHECK(r.fromNumber == entry.from);
    }
    FUZZ_CHECK(r.toNumber == entry.to);
  }
  ReleaseJournal(&read);
  MemFree(line);
  MemFree(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (4u << 20)) return 0;
  JournalRead read;
  ReadJournal(data, static_cast<uint32_t>(size), &read);
  CheckRead(read);
  ReleaseJournal(&read);
  RoundTrip(Bytes{data, size});
  return 0;
}
