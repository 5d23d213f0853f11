#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_libraries.h"

int32_t OsEventChannelEnabled(const char16_t* channel, bool* enabled) {
  *enabled = false;
  LoadedLibrary<WevtapiFunctions> evt;
  int32_t status = ERROR_MOD_NOT_FOUND;
  if (evt.Complete()) {
    EVT_HANDLE config =
        evt->EvtOpenChannelConfig(nullptr, reinterpret_cast<const wchar_t*>(channel), 0);
    if (config == nullptr) {
      status = LastErrorOfFailure();  // ERROR_EVT_CHANNEL_NOT_FOUND for none
    } else {
      EVT_VARIANT value;
      DWORD used = 0;
      status = ErrorOf(evt->EvtGetChannelConfigProperty(config, EvtChannelConfigEnabled, 0,
                                                        sizeof value, &value, &used));
      if (status == kOsErrorSuccess && value.Type != EvtVarTypeBoolean) status = ERROR_INVALID_DATA;
      *enabled = status == kOsErrorSuccess && value.BooleanVal;
      evt->EvtClose(config);
    }
  } else if (evt->library != nullptr) {
    status = ERROR_PROC_NOT_FOUND;
  }
  return status;
}
