#include "core/failure_report.h"

#include "base/error_name.h"
#include "base/text.h"
#include "core/port_devices.h"
#include "platform/os.h"

static void AppendErrorName(char16_t* text, uint32_t units, uint32_t code) {
  char16_t name[32];
  TextWidenAscii(name, Units(name), ErrorName(code));
  TextAppend(text, units, name);
}

void DescribeFailure(const Failure& f, int32_t isAdministrator, const char16_t** caption,
                     char16_t* text, uint32_t units) {
  *caption = u"Varnick";
  text[0] = 0;
  switch (f.kind) {
    case kNoFailure:
      break;
    case kRemovalNotStarted:
      if (f.errorCode != 0) {
        AppendErrorName(text, units, f.errorCode);
        TextAppend(text, units, u" removing\n");
      } else {
        TextCopy(text, units, u"Device not removed\n");
      }
      TextAppend(text, units, f.deviceId);
      break;
    case kDeviceIdUnreadable:
      AppendErrorName(text, units, f.errorCode);
      break;
    case kRemovalFailed:
    case kMoveFailed:
      AppendErrorName(text, units, f.errorCode);
      TextAppend(text, units, f.kind == kMoveFailed ? u" moving\n" : u" removing\n");
      TextAppend(text, units, f.deviceId);
      break;
    case kDeviceStillThere:
      *caption = u"Error";
      TextCopy(text, units, isAdministrator ? u"Device not removed"
                                            : u"Device not removed, admin privileges are required");
      break;
    case kComDbUnread:
    case kComDbUnwritten:
      TextCopy(text, units, f.kind == kComDbUnread ? u"ComDB could not be read" : u"ComDB could not be written");
      if (f.errorCode != 0) {
        TextAppend(text, units, u": ");
        AppendErrorName(text, units, f.errorCode);
      }
      break;
  }
}

const char16_t* RefusalText(ChangeRefusal refusal) {
  switch (refusal) {
    case kNoDeviceList: return u"The device list could not be read; nothing was changed";
    case kNoPortDatabase: return u"ComDB could not be read; nothing was changed";
    case kPortDatabaseTooLong: return u"ComDB is longer than 4096 ports; nothing was changed";
    case kNotAdministrator: return u"Admin privileges are required";
    case kChangeAllowed: break;
  }
  return u"";
}

void DescribeFailureLine(const Failure& failure, int32_t isAdministrator, char16_t* line,
                         uint32_t units) {
  const char16_t* caption;
  DescribeFailure(failure, isAdministrator, &caption, line, units);
  bool named = failure.deviceId[0] == 0;
  for (char16_t* c = line; *c != 0; c++) {
    if (*c == u'\n') {
      *c = u' ';
      named = true;  // the ID stands on the box's second line
    }
  }
  if (!named) {
    TextAppend(line, units, u" ");
    TextAppend(line, units, failure.deviceId);
  }
}

void NameFailureDevice(Failure* failure, const PortDevice* device) {
  if (failure->deviceId[0] == 0 && device != nullptr) {
    TextCopy(failure->deviceId, kDeviceIdUnits, device->deviceInstanceId);
  }
}
