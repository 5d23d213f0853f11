#include "ui/moves.h"

#include "core/failure_report.h"
#include "platform/os.h"
#include "ui/failure_box.h"

namespace {

struct WindowMove {
  bool administrator;
  int32_t target;
};

void Box(const char16_t* text, const char16_t* caption, uint32_t icon) {
  OsMessageBox(0, text, caption, kOsMbOk | icon);
}

void ShowMoved(void* context, const PortDevice*, int32_t, const MoveResult& result) {
  ShowMoveMade(result, static_cast<const WindowMove*>(context)->administrator);
}

void ShowNotMoved(void* context, const PortDevice* device, const MoveResult& result) {
  auto* move = static_cast<const WindowMove*>(context);
  ShowMoveNotMade(device, move->target, result, move->administrator);
}

}  // namespace

void ShowMoveMade(const MoveResult& result, bool administrator) {
  if (result.outcome == kMovedRestartNeeded) {
    Box(u"The device takes its new number once Windows has restarted.", u"Varnick",
        kOsMbIconInformation);
  } else if (result.outcome == kMovedNotReleased) {
    // Moved all the same: the old number stays reserved.
    ShowFailureBox(result.failure, administrator);
  }
}

void ShowMoveNotMade(const PortDevice* device, int32_t target, const MoveResult& result,
                     bool administrator) {
  switch (result.outcome) {
    case kNothingToMove:
      break;
    case kMoveFailedUndone:
    case kMoveFailedNotUndone:
      ShowFailureBox(result.failure, administrator);
      if (result.outcome == kMoveFailedNotUndone) {
        Box(u"What the move had done could not all be undone.", u"Varnick", kOsMbIconError);
      }
      break;
    case kChangeRefused:
      Box(RefusalText(result.refusal), result.refusal == kNotAdministrator ? u"Error" : u"Varnick",
          kOsMbIconError);
      break;
    default: {
      char16_t text[kFailureTextUnits];
      DescribeMoveRefusal(result, device->deviceInstanceId, 0, device, target, text,
                          kFailureTextUnits);
      Box(text, u"Varnick", kOsMbIconError);
    }
  }
}

bool MayTakeAnotherNumber(const PortDevice* device) {
  return device != nullptr && device->deviceNode != 0 && device->serialPort;
}

int32_t MoveListedDevice(PortReservations* reservations, PortDeviceList* devices,
                         PortDevice* device, int32_t target, bool administrator) {
  WindowMove move = {administrator, target};
  const MoveCallbacks callbacks = {&move, ShowMoved, ShowNotMoved};
  MoveRequest request = {};
  request.device = device;
  request.target = target;
  request.administrator = administrator;
  MoveOutcome outcome = RunMove(reservations, devices, request, callbacks).outcome;
  return outcome == kMoved || outcome == kMovedRestartNeeded || outcome == kMovedNotReleased;
}
