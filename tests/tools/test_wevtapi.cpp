// A stand-in for the system's wevtapi.dll, whose channel configuration
// Wine only stubs (a handle for any name, and no property ever read), put
// into the test prefix's system directory. It knows one channel,
// Microsoft-Windows-Kernel-PnP/Configuration, as wevtapi-channel.txt says:
// "disabled", "missing" (no such channel), else enabled. Every channel
// asked for is recorded in wevtapi.log.
#include <windows.h>
#include <winevt.h>
#include <stdio.h>
#include <string.h>

#include "tests/tools/stand_in_log.h"

namespace {

const wchar_t kChannel[] = L"Microsoft-Windows-Kernel-PnP/Configuration";
EVT_HANDLE const kConfig = reinterpret_cast<EVT_HANDLE>(static_cast<uintptr_t>(0x5eed));

// What wevtapi-channel.txt says, its first word.
std::string Answer() {
  char answer[32] = {};
  FILE* in = fopen("C:\\varnick-test\\wevtapi-channel.txt", "r");
  if (in != nullptr) {
    if (fscanf(in, "%31s", answer) != 1) answer[0] = 0;
    fclose(in);
  }
  return answer;
}

}  // namespace

extern "C" __declspec(dllexport) EVT_HANDLE WINAPI EvtOpenChannelConfig(EVT_HANDLE session,
                                                                      LPCWSTR channel, DWORD flags) {
  AppendStandInLog(L"wevtapi.log", std::wstring(L"open|") + channel);
  if (session != nullptr || flags != 0 || lstrcmpiW(channel, kChannel) != 0 ||
      Answer() == "missing") {
    SetLastError(ERROR_EVT_CHANNEL_NOT_FOUND);
    return nullptr;
  }
  return kConfig;
}

extern "C" __declspec(dllexport) BOOL WINAPI EvtGetChannelConfigProperty(
    EVT_HANDLE config, EVT_CHANNEL_CONFIG_PROPERTY_ID property, DWORD flags, DWORD bytes,
    PEVT_VARIANT value, PDWORD used) {
  *used = sizeof(EVT_VARIANT);
  if (config != kConfig || property != EvtChannelConfigEnabled || flags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (bytes < sizeof(EVT_VARIANT)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  memset(value, 0, sizeof *value);
  value->Type = EvtVarTypeBoolean;
  value->BooleanVal = Answer() != "disabled";
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI EvtClose(EVT_HANDLE handle) {
  AppendStandInLog(L"wevtapi.log", L"close");
  return handle == kConfig;
}
