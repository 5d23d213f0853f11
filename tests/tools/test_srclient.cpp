// A stand-in for the system's SrClient.dll, whose restore point Wine only
// stubs, put into the test prefix: SRSetRestorePointW records the request
// in srclient.log and answers as srclient-answer.txt says: "ok", or
// "fail" and the status code to report.
#include <windows.h>
#include <srrestoreptapi.h>
#include <stdio.h>

#include <string>

#include "tests/tools/stand_in_log.h"

extern "C" __declspec(dllexport) BOOL WINAPI SRSetRestorePointW(PRESTOREPOINTINFOW request,
                                                                PSTATEMGRSTATUS status) {
  AppendStandInLog(L"srclient.log", std::to_wstring(request->dwEventType) + L"|" +
                                        std::to_wstring(request->dwRestorePtType) + L"|" +
                                        std::to_wstring(request->llSequenceNumber) + L"|" +
                                        request->szDescription);
  char answer[64] = {};
  FILE* in = fopen("C:\\varnick-test\\srclient-answer.txt", "r");
  if (in != nullptr) {
    if (fgets(answer, sizeof answer, in) == nullptr) answer[0] = 0;
    fclose(in);
  }
  unsigned code = 0;
  if (sscanf(answer, "fail %u", &code) == 1) {
    status->nStatus = code;
    status->llSequenceNumber = 0;
    return FALSE;
  }
  status->nStatus = 0;
  status->llSequenceNumber = 7;
  return TRUE;
}
