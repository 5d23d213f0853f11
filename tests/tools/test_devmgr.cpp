// A stand-in for the system's devmgr.dll, which Wine lacks, put into the
// test prefix's system directory: its DeviceProperties_RunDLLA records its
// four arguments and its thread in devmgr.log, then shows a small window
// titled "Test sheet" and returns when that window is closed, as the
// real property sheet does.
#include <windows.h>

#include <string>

#include "tests/tools/stand_in_log.h"

static LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);  // ends this thread's loop only
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Once for all the sheets' threads: registered by several at the same
// time, a class could be found by none of them yet.
static BOOL CALLBACK RegisterSheetClass(PINIT_ONCE, PVOID, PVOID*) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = SheetProc;
  windowClass.hInstance = GetModuleHandleW(L"devmgr.dll");
  windowClass.lpszClassName = L"VarnickTestSheet";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);  // fails harmlessly when loaded again
  return TRUE;
}

static INIT_ONCE sheetClass = INIT_ONCE_STATIC_INIT;

extern "C" __declspec(dllexport) void WINAPI DeviceProperties_RunDLLA(HWND owner,
                                                                     HINSTANCE instance,
                                                                     LPSTR commandLine, int show) {
  AppendStandInLog(L"devmgr.log",
                   std::to_wstring(reinterpret_cast<UINT_PTR>(owner)) + L"|" +
                       (instance == GetModuleHandleW(nullptr) ? L"program" : L"other") + L"|" +
                       Widen(commandLine) + L"|" + std::to_wstring(show) + L"|" +
                       std::to_wstring(GetCurrentThreadId()));
  InitOnceExecuteOnce(&sheetClass, RegisterSheetClass, nullptr, nullptr);
  std::wstring title = L"Test sheet " + Widen(commandLine);
  HWND window = CreateWindowW(L"VarnickTestSheet", title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40,
                              420, 120, nullptr, nullptr, GetModuleHandleW(L"devmgr.dll"), nullptr);
  if (window == nullptr) {
    // Said apart from the calls, which the tests count.
    AppendStandInLog(L"devmgr-errors.log",
                     L"no window for " + title + L": error " + std::to_wstring(GetLastError()));
    return;
  }
  ShowWindow(window, show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}
