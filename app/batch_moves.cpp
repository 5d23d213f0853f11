// The batch face of the moves: "moved COM5 ROOT\PORTS\0001 to COM3" (or
// "would move ..."), each pair in the order given; a refusal or failure on
// standard error, a failure in a box too where one is shown.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/com_name.h"
#include "base/text.h"
#include "core/port_move.h"

namespace {

struct BatchMove {
  BatchRun* run;
  const char16_t* name;  // what the pair named the device by
  int32_t ambiguous;
  int32_t target;
};

void ReportMoved(void* context, const PortDevice* device, int32_t from, const MoveResult& result) {
  auto* move = static_cast<BatchMove*>(context);
  ReportRunMove(move->run, device, from, move->target, result);
}

void ReportNotMoved(void* context, const PortDevice* device, const MoveResult& result) {
  auto* move = static_cast<BatchMove*>(context);
  char16_t line[3 * kWordUnits + 64];
  switch (result.outcome) {
    case kNothingToMove:
      break;
    case kMoveFailedUndone:
      TellFailure(*move->run, result.failure, device);
      NoteCode(move->run, kExitMoveFailed);
      break;
    case kMoveFailedNotUndone:
      TellFailure(*move->run, result.failure, device);
      TextCopy(line, Units(line), device->deviceInstanceId);
      TextAppend(line, Units(line), u": what the move had done could not all be undone");
      WriteLine(kOsStandardError, line);
      NoteCode(move->run, kExitMoveNotUndone);
      break;
    default:
      DescribeMoveRefusal(result, move->name, move->ambiguous, device, move->target, line,
                          Units(line));
      WriteLine(kOsStandardError, line);
      NoteCode(move->run, result.outcome == kNotASerialPort ? kExitUnknownDevice
                          : result.outcome != kChangeRefused ? kExitMoveRefused
                          : result.refusal == kNotAdministrator ? kExitNotAdmin
                                                                 : kExitNotRead);
  }
}

}  // namespace

void RunBatchMoves(BatchRun* run, PortReservations* reservations, PortDeviceList* devices) {
  const MoveCallbacks callbacks = {nullptr, ReportMoved, ReportNotMoved};
  const char16_t* text = run->switches.moveText;
  char16_t name[kWordUnits], target[kWordUnits];
  while (!OsInterruptRequested() && NextMove(&text, name, target)) {
    BatchMove move = {run, name, 0, PortNumberOfName(target)};
    MoveRequest request = {};
    request.device = FindNamedDevice(devices, name, &move.ambiguous);
    request.target = move.target;
    request.dryRun = run->switches.dryRunSwitch;
    request.administrator = run->administrator;
    MoveCallbacks told = callbacks;
    told.context = &move;
    RunMove(reservations, devices, request, told);
  }
}
