#include "app/batch.h"

#include "app/output.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/listing.h"
#include "core/port_devices.h"
#include "core/port_move.h"
#include "core/port_reservations.h"
#include "core/repairs.h"
#include "platform/index_sort.h"
#include "platform/os.h"

// Failures go to standard error, always, and also into the boxes a person
// at the screen knows, unless /q was given or nobody could see them: a box
// nobody can answer would hold the run for ever.
static int32_t boxesShown;

static void Tell(const char16_t* caption, const char16_t* text) {
  WriteLine(kOsStandardError, text);
  if (boxesShown) OsMessageBox(0, text, caption, kOsMbOk | kOsMbIconError);
}

static void TellFailure(Failure failure, const PortDevice* device) {
  if (failure.deviceId[0] == 0) TextCopy(failure.deviceId, kDeviceIdUnits, device->deviceInstanceId);
  char16_t line[kFailureTextUnits];
  DescribeFailureLine(failure, isAdmin, line, Units(line));
  WriteLine(kOsStandardError, line);
  if (boxesShown) ShowFailureBox(failure);
}

// "freed COM5", "would free COM5"; "removed COM7 ROOT\PORTS\0001";
// "moved COM5 ROOT\PORTS\0001 to COM3".
static void Report(const char16_t* verb, int32_t port, const PortDevice* device = nullptr,
                   int32_t to = 0) {
  char16_t line[48 + kDeviceIdUnits] = {};
  TextCopy(line, Units(line), verb);
  TextAppend(line, Units(line), u" COM");
  TextAppendSigned(line, Units(line), port);
  if (device != nullptr) {
    TextAppend(line, Units(line), u" ");
    TextAppend(line, Units(line), device->deviceInstanceId);
  }
  if (to != 0) {
    TextAppend(line, Units(line), u" to COM");
    TextAppendSigned(line, Units(line), to);
  }
  WriteLine(kOsStandardOutput, line);
}

static const char16_t kUsage[] =
    u"Usage: varnick [/c] [/r] [/m DEVICE COMn]... [/l] [/n] [/q]\n"
    u"  /c  free every reserved number that no device carries\n"
    u"  /r  remove every non-present serial or modem device\n"
    u"  /m  give a serial port (COMn, or its device instance ID) another number\n"
    u"  /l  list every port number and the devices that carry it, as CSV\n"
    u"  /n  tell what /c, /r and /m would change, and change nothing\n"
    u"  /q  show no message box\n"
    u"Without a switch, or with /q alone, the window opens.";

// Text of several lines, each as a line of its own.
static void WriteLines(int32_t stream, const char16_t* text) {
  char16_t line[128];
  while (*text != 0) {
    uint32_t n = 0;
    while (text[n] != 0 && text[n] != u'\n' && n + 1 < Units(line)) {
      line[n] = text[n];
      n++;
    }
    line[n] = 0;
    WriteLine(stream, line);
    text += n;
    if (*text == u'\n') text++;
  }
}

// /? and /h: on standard output, or in a box where it leads nowhere and
// someone can see one.
static ExitCode TellUsage() {
  if (boxesShown && !OsOutputLeadsSomewhere(kOsStandardOutput)) {
    OsMessageBox(0, kUsage, u"Varnick", kOsMbOk | kOsMbIconInformation);
  } else {
    WriteLines(kOsStandardOutput, kUsage);
  }
  return kExitSuccess;
}

// A word that is no switch: named, with the usage, in a box where someone
// can see one, else on standard error. Nothing else is done.
static ExitCode RefuseUnknownWord(const char16_t* word) {
  char16_t text[kWordUnits + Units(kUsage) + 32] = {};
  TextCopy(text, Units(text), u"Unknown argument: ");
  TextAppendOneLine(text, Units(text), word);  // whatever the word holds
  if (boxesShown) {
    TextAppend(text, Units(text), u"\n\n");
    TextAppend(text, Units(text), kUsage);
    OsMessageBox(0, text, u"Varnick", kOsMbOk | kOsMbIconError);
  } else {
    WriteLine(kOsStandardError, text);
    WriteLines(kOsStandardError, kUsage);
  }
  return kExitUnknownArgument;
}

// The batch face of the repairs: a line for each number freed, once
// ComDB holds it (a dry run tells it at once), and for each device removed;
// failures on standard error, and in a box where one is shown.
struct BatchReport {
  int32_t dryRun;
  int32_t* freed;  // numbers freed since the last write
  int32_t freedCount;
  const PortReservations* stored;  // the model, which holds what is stored after a save
};

static void ReportFreed(void* context, int32_t port) {
  auto* report = static_cast<BatchReport*>(context);
  if (report->dryRun) {
    Report(u"would free", port);
  } else {
    report->freed[report->freedCount++] = port;
  }
}

static void ReportRemoved(void* context, const PortDevice* device, PortDevice*) {
  Report(static_cast<BatchReport*>(context)->dryRun ? u"would remove" : u"removed",
         device->portNumber, device);
}

static void ReportFailed(void*, const Failure& failure, const PortDevice* device) {
  TellFailure(failure, device);
}

// A write may succeed in part (each number is released on its own):
// every number ComDB now holds free is told, then the failure.
static void ReportSaved(void* context, int32_t ok, const Failure& failure) {
  auto* report = static_cast<BatchReport*>(context);
  for (int32_t i = 0; i < report->freedCount; i++) {
    int32_t port = report->freed[i];
    if (port <= report->stored->portCount && !report->stored->reservedFlags[port - 1]) {
      Report(u"freed", port);
    }
  }
  if (!ok) {
    char16_t line[kFailureTextUnits];
    DescribeFailureLine(failure, isAdmin, line, Units(line));
    WriteLine(kOsStandardError, line);
  }
  report->freedCount = 0;
}

static int32_t Interrupted(void*) { return OsInterruptRequested(); }

// /r removes every device that is not present; /c writes ComDB whenever a
// number has no device, which creates a missing one.
static ExitCode RunRepairsOf(const BatchSwitches& switches, PortReservations* reservations,
                             PortDeviceList* devices) {
  BatchReport report = {switches.dryRunSwitch,
                        static_cast<int32_t*>(MemAlloc(
                            sizeof(int32_t) * (reservations->portCount + devices->deviceCount + 1))),
                        0, reservations};
  const RepairCallbacks callbacks = {&report, ReportFreed, ReportRemoved, ReportFailed,
                                     ReportSaved, Interrupted};
  RepairRequest request = {};
  request.clear = switches.clearSwitch;
  request.remove = switches.removeSwitch;
  request.dryRun = switches.dryRunSwitch;
  request.scope = kEveryNonPresentDevice;
  request.clearSave = kSaveWhenANumberHasNoDevice;
  RepairResult result = RunRepairs(reservations, devices, request, callbacks);
  MemFree(report.freed);
  if (result.refused != kChangeAllowed) {
    WriteLine(kOsStandardError, RefusalText(result.refused));
    return kExitNotRead;
  }
  if (switches.dryRunSwitch) {
    return result.freed + result.removed != 0 ? kExitWouldChange : kExitSuccess;
  }
  ExitCode code = result.removalFailed ? kExitRemovalFailed : kExitSuccess;
  return result.saveFailed ? GraverExitCode(code, kExitNotWritten) : code;
}

// The batch face of a move: "moved COM5 ROOT\PORTS\0001 to COM3" (or
// "would move ..."); a refusal or failure on standard error, a failure in
// a box too where one is shown. Returns the move's code.
static ExitCode ReportMove(const char16_t* name, const PortDevice* device, int32_t from, int32_t to,
                           int32_t ambiguous, const MoveResult& result, int32_t dryRun) {
  char16_t line[3 * kWordUnits + 64];
  switch (result.outcome) {
    case kMoved:
    case kMovedRestartNeeded:
    case kMovedNotReleased:
      Report(dryRun ? u"would move" : u"moved", from, device, to);
      if (result.outcome == kMovedNotReleased) {
        // Moved all the same: the old number stays reserved, and a later
        // /c frees it.
        TellFailure(result.failure, device);
        return kExitNotWritten;
      }
      if (result.outcome == kMovedRestartNeeded) {
        TextCopy(line, Units(line), u"Restart Windows for ");
        TextAppend(line, Units(line), device->deviceInstanceId);
        TextAppend(line, Units(line), u" to take its new number");
        WriteLine(kOsStandardError, line);
        return kExitRestartNeeded;
      }
      return dryRun ? kExitWouldChange : kExitSuccess;
    case kNothingToMove:
      return kExitSuccess;
    case kMoveFailedUndone:
      TellFailure(result.failure, device);
      return kExitMoveFailed;
    case kMoveFailedNotUndone:
      TellFailure(result.failure, device);
      TextCopy(line, Units(line), device->deviceInstanceId);
      TextAppend(line, Units(line), u": what the move had done could not all be undone");
      WriteLine(kOsStandardError, line);
      return kExitMoveNotUndone;
    default:
      DescribeMoveRefusal(result, name, ambiguous, device, to, line, Units(line));
      WriteLine(kOsStandardError, line);
      return result.outcome == kNotASerialPort    ? kExitUnknownDevice
             : result.outcome == kModelsUntrusted ? kExitNotRead
                                                  : kExitMoveRefused;
  }
}

// The /m pairs in their order, after the repairs; the code the gravest of
// theirs.
static ExitCode RunMoves(const BatchSwitches& switches, PortReservations* reservations,
                         PortDeviceList* devices) {
  const char16_t* text = switches.moveText;
  char16_t name[kWordUnits], target[kWordUnits];
  ExitCode code = kExitSuccess;
  while (!OsInterruptRequested() && NextMove(&text, name, target)) {
    int32_t ambiguous;
    PortDevice* device = FindNamedDevice(devices, name, &ambiguous);
    int32_t from = device != nullptr ? device->portNumber : 0;
    int32_t to = PortNumberOfName(target);
    MoveResult result = MoveDevice(reservations, devices, device, to, switches.dryRunSwitch);
    code = GraverExitCode(
        code, ReportMove(name, device, from, to, ambiguous, result, switches.dryRunSwitch));
  }
  return code;
}

static bool ListingGoesOn() { return !OsInterruptRequested() && !OutputFailed(); }

static void WriteListingLine(int32_t port, int32_t reserved, const PortDevice* device) {
  char16_t line[kListingLineUnits];
  ListingLine(kCsv, port, reserved, device, line, Units(line));
  WriteLine(kOsStandardOutput, line);
}

// One line a port that ComDB covers, and one more for each further device
// that carries its number, under a line of column names; then every
// device whose number lies beyond those ports (or is none), in the order
// of its number, as not reserved.
static ExitCode WriteListing(const PortReservations* reservations, const PortDeviceList* devices) {
  char16_t line[kListingLineUnits];
  ListingHeader(kCsv, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  for (int32_t p = 1; p <= reservations->portCount && ListingGoesOn(); p++) {
    int32_t reserved = reservations->reservedFlags[p - 1];
    const PortDevice* chosen = FindHolder(devices, p);
    WriteListingLine(p, reserved, chosen);
    for (int32_t i = 0; i < devices->deviceCount; i++) {
      const PortDevice* d = devices->devices[i];
      if (d != chosen && d->portNumber == p) WriteListingLine(p, reserved, d);
    }
  }
  // The devices beyond, in the order of their numbers, inventory order
  // among equals; then a live name there that no device carries. Index i
  // stands for device i, deviceCount + k for live name k.
  int32_t records = devices->deviceCount + devices->liveNameCount;
  auto* beyond = static_cast<int32_t*>(MemAlloc(sizeof(int32_t) * (2 * records + 1)));
  auto record = [devices](int32_t i) {
    return i < devices->deviceCount ? devices->devices[i]
                                    : &devices->liveNames[i - devices->deviceCount];
  };
  int32_t n = 0;
  for (int32_t i = 0; i < records; i++) {
    const PortDevice* d = record(i);
    if (d->liveName && FindByPort(devices, d->portNumber) != nullptr) continue;
    if (d->portNumber < 1 || d->portNumber > reservations->portCount) beyond[n++] = i;
  }
  SortIndices(beyond, beyond + n, n, [&record](int32_t a, int32_t b) {
    return record(a)->portNumber < record(b)->portNumber;
  });
  for (int32_t k = 0; k < n && ListingGoesOn(); k++) {
    const PortDevice* d = record(beyond[k]);
    WriteListingLine(d->portNumber, 0, d);
  }
  MemFree(beyond);
  // What could be read is listed all the same. No box: a listing piped to
  // a script must never wait for a click.
  if (!InventoryBuilt(devices)) {
    WriteLine(kOsStandardError, u"The device list could not be read whole; devices may be missing");
  }
  if (reservations->storedValueUnread) {
    WriteLine(kOsStandardError, u"ComDB could not be read whole; reserved numbers may show as free");
  }
  return !InventoryBuilt(devices) || reservations->storedValueUnread ? kExitNotRead : kExitSuccess;
}

int32_t RunBatch(const BatchSwitches& asked) {
  StartBatchOutput();
  BatchSwitches switches = asked;
  boxesShown = !switches.quietSwitch && OsUserCanSeeWindows();
  if (switches.hasUnknownWord) return RefuseUnknownWord(switches.unknownWord);
  if (switches.usageSwitch) return TellUsage();
  // Listing and dry runs change nothing: no administrator rights needed.
  if (switches.dryRunSwitch && !switches.clearSwitch && !switches.removeSwitch &&
      !switches.moveCount) {
    switches.clearSwitch = switches.removeSwitch = 1;
  }
  if (!switches.listSwitch && !switches.dryRunSwitch && !isAdmin) {
    Tell(u"Varnick", u"Error: Admin privileges are required");
    return kExitNotAdmin;
  }
  // Both models are loaded once, before either repair.
  PortReservations reservations = {};
  Load(&reservations);
  auto* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  // The repairs go by numbers, nodes and IDs; only the listing shows more.
  Enumerate(devices, switches.listSwitch ? kShownDetail : kRepairDetail);

  ExitCode code = kExitSuccess;
  if (switches.listSwitch) {
    code = WriteListing(&reservations, devices);
  } else {
    if (switches.clearSwitch || switches.removeSwitch) {
      code = RunRepairsOf(switches, &reservations, devices);
    }
    // The repairs first, so that a script can free a number and take it.
    // Each move checks the models itself: a repair that failed leaves them
    // as they are stored.
    if (switches.moveCount && !OsInterruptRequested()) {
      code = GraverExitCode(code, RunMoves(switches, &reservations, devices));
    }
  }
  Clear(devices);
  MemFree(devices);
  Clear(&reservations);
  if (OsInterruptRequested()) {
    WriteLine(kOsStandardError, u"Interrupted; nothing more was done");
    code = GraverExitCode(code, kExitInterrupted);
  }
  return OutputFailed() ? GraverExitCode(code, kExitOutputFailed) : code;
}
