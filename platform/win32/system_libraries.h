// Every system function the program finds by name while it runs, one list
// per library, each function typed from its own declaration (see
// library_function.h). A function is added here, to its library's list,
// and nowhere else.
#pragma once

#include <windows.h>

#include <ddk/msports.h>
#include <srrestoreptapi.h>
#include <uxtheme.h>
#include <winevt.h>
#include <winver.h>

#include "platform/win32/library_function.h"

// Declarations that no header of the cross-compiler's SDK has, as the
// libraries' own headers give them.
extern "C" {
// devmgr.dll's entry point for a device's property sheet.
void WINAPI DeviceProperties_RunDLLA(HWND owner, HINSTANCE instance, LPSTR commandLine, int show);
// Exported by Wine's ntdll only (Wine's include/wine/library.h).
const char* CDECL wine_get_version(void);
}

// Offered by newer systems only: start-up uses each that is there.
#define KERNEL32_FUNCTIONS(F) F(SetDllDirectoryA) F(SetDefaultDllDirectories)
LIBRARY_RECORD(Kernel32Functions, u"kernel32.dll", KERNEL32_FUNCTIONS);

// Whether the program runs under Wine.
#define NTDLL_FUNCTIONS(F) F(wine_get_version)
LIBRARY_RECORD(NtdllFunctions, u"ntdll.dll", NTDLL_FUNCTIONS);

#define VERSION_FUNCTIONS(F) F(GetFileVersionInfoW) F(VerQueryValueW)
LIBRARY_RECORD(VersionFunctions, u"version.dll", VERSION_FUNCTIONS);

#define UXTHEME_FUNCTIONS(F) F(IsThemeActive) F(SetWindowTheme)
LIBRARY_RECORD(UxThemeFunctions, u"UxTheme.dll", UXTHEME_FUNCTIONS);

#define SRCLIENT_FUNCTIONS(F) F(SRSetRestorePointW)
LIBRARY_RECORD(SrClientFunctions, u"SrClient.dll", SRCLIENT_FUNCTIONS);

#define DEVMGR_FUNCTIONS(F) F(DeviceProperties_RunDLLA)
LIBRARY_RECORD(DevmgrFunctions, u"devmgr.dll", DEVMGR_FUNCTIONS);

// The COM port database routines.
#define MSPORTS_FUNCTIONS(F) \
  F(ComDBOpen) F(ComDBClaimPort) F(ComDBReleasePort) F(ComDBResizeDatabase) F(ComDBClose)
LIBRARY_RECORD(MsportsFunctions, u"msports.dll", MSPORTS_FUNCTIONS);

// The event log's channel configuration (Windows Vista and later).
#define WEVTAPI_FUNCTIONS(F) F(EvtOpenChannelConfig) F(EvtGetChannelConfigProperty) F(EvtClose)
LIBRARY_RECORD(WevtapiFunctions, u"wevtapi.dll", WEVTAPI_FUNCTIONS);
