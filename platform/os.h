// The system calls Varnick makes, as plain functions over portable types.
//
// Two implementations link against this header: platform/win32 (the real
// system) and platform/sim (an in-memory stand-in for the native tests).
// Of the program, only platform/win32/, the window's own Win32 code in
// ui/win32/, the work handed to the system in actions/ and the Windows
// entrances in app/win32/ include <windows.h>; everything else reaches the system through here. Each function keeps the meaning of the Win32 call it
// wraps: registry calls return the system's status code (0 is success), the
// others report success as nonzero.
#pragma once

#include <stdint.h>
#include <stddef.h>

// Registry -------------------------------------------------------------

typedef uintptr_t OsKey;                     // an open key or a predefined root
const OsKey kOsLocalMachine = 0x80000002u;   // HKEY_LOCAL_MACHINE

const uint32_t kOsKeyQueryValue = 0x0001;    // KEY_QUERY_VALUE
const uint32_t kOsKeySetValue = 0x0002;      // KEY_SET_VALUE
const uint32_t kOsKeyCreateSubKey = 0x0004;  // KEY_CREATE_SUB_KEY
const uint32_t kOsKeyNotify = 0x0010;        // KEY_NOTIFY

const uint32_t kOsRegSz = 1;
const uint32_t kOsRegBinary = 3;
const uint32_t kOsRegDword = 4;

const int32_t kOsErrorSuccess = 0;
const int32_t kOsErrorFileNotFound = 2;
const int32_t kOsErrorAccessDenied = 5;
const int32_t kOsErrorNotEnoughMemory = 8;
const int32_t kOsErrorMoreData = 234;
const int32_t kOsErrorNoMoreItems = 259;

int32_t OsRegOpenKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key);
// Opens the key, creating missing keys along the path.
int32_t OsRegCreateKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key);
// RegQueryValueExW: with a null data pointer only the size is returned.
// type may be null.
int32_t OsRegQueryValue(OsKey key, const char16_t* name, uint32_t* type,
                        void* data, uint32_t* size);
int32_t OsRegSetValue(OsKey key, const char16_t* name, uint32_t type,
                      const void* data, uint32_t size);
void OsRegCloseKey(OsKey key);
// RegEnumValueW: the key's value at index, its name into name (nameUnits
// units, terminated), its type and up to *size bytes of its data (*size
// then the data's length). kOsErrorNoMoreItems past the last value,
// kOsErrorMoreData when the name or the data did not fit.
int32_t OsRegEnumValue(OsKey key, uint32_t index, char16_t* name, uint32_t nameUnits,
                       uint32_t* type, void* data, uint32_t* size);

// COM port database --------------------------------------------------------

// The system's own routines over ComDB (msports.dll, loaded from the
// system directory): the Ports class installer and every vendor installer
// claim and release numbers through them, and they serialize every change
// of the value. Each returns the routine's status (0 is success).
typedef uintptr_t OsPortDatabase;
// The library or one of its routines could not be had: an older or
// trimmed system, or one whose routines are known not to work.
const int32_t kOsPortDatabaseUnavailable = -1;
const int32_t kOsErrorSharingViolation = 32;  // a claimed number is in use already
// ComDBOpen: a handle to the database, which it does not lock; each claim
// and release below takes the lock for its own read, change and write. A
// missing value is created, as the system creates it (256 ports).
// kOsPortDatabaseUnavailable where there are no routines to call, else
// the routine's status.
int32_t OsOpenPortDatabase(OsPortDatabase* database);
// ComDBClaimPort without forcing: kOsErrorSharingViolation when the number
// is reserved already.
int32_t OsClaimPort(OsPortDatabase database, uint32_t port);
// ComDBReleasePort.
int32_t OsReleasePort(OsPortDatabase database, uint32_t port);
// ComDBClose.
void OsClosePortDatabase(OsPortDatabase database);
// ComDBResizeDatabase: the database made to cover `ports` numbers, a
// multiple of 1,024 above what it covers, at most 4,096 (ERROR_BAD_LENGTH
// otherwise: it never shrinks). The routine's status.
int32_t OsResizePortDatabase(OsPortDatabase database, uint32_t ports);

// Events ---------------------------------------------------------------

// Manual-reset ones for a stop, auto-reset ones for a change.
typedef uintptr_t OsEvent;
OsEvent OsCreateEvent(int32_t manualReset);  // not set; 0 when none could be made
void OsSetEvent(OsEvent event);
void OsCloseEvent(OsEvent event);

// Registry change notification -----------------------------------------

const int32_t kOsWaitStopped = -1;
// Waits until a value of the key is set (RegNotifyChangeKeyValue on the
// key's own values, REG_NOTIFY_CHANGE_LAST_SET, signalling `changed`) or
// until stop is set, whichever comes first: 0 for a change,
// kOsWaitStopped for the stop, else the system's error.
int32_t OsRegWaitForValueChange(OsKey key, OsEvent changed, OsEvent stop);

// Thread error state ---------------------------------------------------

uint32_t OsGetLastError();
void OsSetLastError(uint32_t code);

// Heap and process -----------------------------------------------------

typedef void* OsHeap;
OsHeap OsProcessHeap();
int OsHeapValidate(OsHeap heap);             // whole heap; 0 when corrupt
void* OsHeapAlloc(OsHeap heap, uint64_t bytes);  // zero-filled; null when out of memory
int OsHeapFree(OsHeap heap, void* block);
void OsSleep(uint32_t milliseconds);
void OsBeep(uint32_t frequency, uint32_t milliseconds);
[[noreturn]] void OsFailFast();              // stops the process at once, no clean-up
[[noreturn]] void OsExitProcess(uint32_t code);

// Message boxes ---------------------------------------------------------

typedef uintptr_t OsWindow;                  // 0: no owner (owned by the desktop)
const uint32_t kOsMbOk = 0x00000000;
const uint32_t kOsMbIconError = 0x00000010;
const uint32_t kOsMbIconInformation = 0x00000040;
// Every message box of the program: MessageBoxW, and MessageBoxA for the
// texts kept in the ANSI code page.
int OsMessageBox(OsWindow owner, const char16_t* text, const char16_t* caption,
                 uint32_t flags);
int OsMessageBoxA(OsWindow owner, const char* text, const char* caption, uint32_t flags);
// The boxes have no owner: while the main window is kept on top, they are
// too (MB_TOPMOST), or the window would cover the box it waits for.
void OsKeepMessageBoxesOnTop(int32_t on);

// Whether anyone can see a window of this process: 0 in session 0 (a
// service, a program of the system account, a task that runs whether a
// user is signed in or not) or on a window station that is not visible.
int32_t OsUserCanSeeWindows();

// Standard output and error ------------------------------------------------

const int32_t kOsStandardOutput = 1;
const int32_t kOsStandardError = 2;
// Batch mode's console. A program of the window subsystem has none of its
// own: it joins the console of the program that started it, where that
// has one, so that its lines, its code page and its Ctrl+C reach it. From
// then on an interruption (Ctrl+C, Ctrl+Break, the console closed, the
// user signing off) is only recorded: the run stops at its next safe point.
void OsJoinStartingConsole();
int32_t OsInterruptRequested();
// Writes text to the stream: to a console as UTF-16; to a file or pipe it
// was redirected to in the output code page of the console joined, or as
// UTF-8 where there is none, a character the code page lacks as "?". 0
// when a write failed or was cut short; 1 otherwise, also where the
// stream leads nowhere (no redirection and no console).
int32_t OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units);
// Whether the stream leads anywhere: a file, a pipe or a console.
int32_t OsOutputLeadsSomewhere(int32_t stream);

// Start-up facts ---------------------------------------------------------

const char16_t* OsCommandLine();             // GetCommandLineW
// GetStartupInfoW: dwFlags and wShowWindow.
void OsStartupInfo(uint32_t* flags, uint16_t* showWindow);
uintptr_t OsModuleInstance();                // GetModuleHandleW(NULL)
// GetSystemDirectoryW, GetModuleFileNameW of the program: the system's
// result (the length copied; units when the path did not fit; 0 on
// failure); the buffer is always terminated.
uint32_t OsSystemDirectory(char16_t* buffer, uint32_t units);
uint32_t OsModuleFileName(char16_t* buffer, uint32_t units);
// The text in the ANSI code page, into chars characters with the
// terminator: 1 when every character has its own exact form there (none
// replaced by a similar one or a default) and all of it fits; else 0 and
// an empty buffer.
int OsToAnsiExact(const char16_t* text, char* buffer, uint32_t chars);

// Environment probes -----------------------------------------------------

// Restricts the library search order: SetDllDirectoryA("") and
// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), each where offered.
void HardenLibrarySearch();
// Membership of the built-in Administrators group in the effective token;
// 1 member, 0 not or on any failure. Kept alone in its own file so that a
// test build can substitute it at link time.
int32_t IsUserAdmin();
// Whether the process's token is elevated (a full administrator's, or any
// other full token User Account Control splits); 1 when it cannot tell.
int32_t OsRunsElevated();

struct OsVersionNumbers {
  uint32_t major, minor, build;
  uint16_t servicePackMajor;
  uint8_t productType;
  uint16_t suiteMask;
};
// GetVersionExW with an OSVERSIONINFOEXW; 0 on failure (numbers all zero).
int OsReadVersionNumbers(OsVersionNumbers* numbers);

// Reads the fixed file version of a program file through "version.dll".
enum OsFileVersionResult {
  kOsVersionLibraryMissing = 0,  // version.dll or its functions unavailable
  kOsVersionUnreadable = 1,      // no version resource, or no root block
  kOsVersionRead = 2,
};
OsFileVersionResult OsReadFileVersion(const char16_t* path, uint32_t* versionMS,
                                      uint32_t* versionLS);

// Text -----------------------------------------------------------------------

// lstrcmpW: the system's case-sensitive comparison in the user's locale.
int OsCompareText(const char16_t* a, const char16_t* b);
// lstrcmpiW: the system's case-insensitive comparison; 0 when equal.
int OsCompareTextNoCase(const char16_t* a, const char16_t* b);

// Devices ----------------------------------------------------------------------

typedef uintptr_t OsDeviceSet;  // a SetupAPI device-information set; 0 none
typedef uint32_t OsDevNode;     // a configuration-manager device instance handle

// SP_DEVINFO_DATA, laid out as the system's.
struct OsDeviceData {
  uint32_t size;  // 32
  uint8_t classGuid[16];
  OsDevNode devInst;
  uintptr_t reserved;
};

const uint32_t kCrSuccess = 0;
const uint32_t kCrNoSuchDevinst = 13;  // CR_NO_SUCH_DEVINST
const uint32_t kCrBufferSmall = 26;    // CR_BUFFER_SMALL
const uint32_t kProblemNotPresent = 45;  // CM_PROB_PHANTOM
const uint32_t kDevNodeStarted = 0x8;    // DN_STARTED: its driver runs

// Device properties, by their configuration-manager numbers.
const uint32_t kDevPropDeviceDesc = 1;   // CM_DRP_DEVICEDESC
const uint32_t kDevPropHardwareId = 2;   // CM_DRP_HARDWAREID: a list, each ended, then an empty one
const uint32_t kDevPropClass = 8;        // CM_DRP_CLASS
const uint32_t kDevPropDriver = 10;      // CM_DRP_DRIVER: its driver key's name
const uint32_t kDevPropFriendlyName = 13;  // CM_DRP_FRIENDLYNAME

// SetupDiGetClassDevsW of every device of every class, present or not
// (DIGCF_ALLCLASSES only); 0 when it fails.
OsDeviceSet OsGetAllDevices();
void OsDestroyDeviceSet(OsDeviceSet set);
// SetupDiEnumDeviceInfo; data->size must be 32 and the rest zero.
int OsEnumDevice(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data);
// CM_Get_DevNode_Registry_PropertyW of the member's node into buffer of
// `bytes` bytes; a CR_ code. The set and data let the Wine build read the
// same property through SetupAPI where the configuration manager has none.
uint32_t OsGetDeviceProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                             void* buffer, uint32_t bytes);
// CM_Get_Device_IDW, flags 0; a CR_ code.
uint32_t OsGetDeviceId(OsDevNode node, char16_t* buffer, uint32_t units);
// CM_Get_DevNode_Status, flags 0; a CR_ code. Outputs are written only on success.
uint32_t OsGetDevNodeStatus(OsDevNode node, uint32_t* status, uint32_t* problem);
// CM_Locate_DevNodeW with CM_LOCATE_DEVNODE_NORMAL; a CR_ code.
uint32_t OsLocateDevNode(const char16_t* deviceId);
// QueryDosDeviceW: units stored, 0 when the name has no target.
uint32_t OsQueryDosDevice(const char16_t* name, char16_t* buffer, uint32_t units);
// SetupDiSetClassInstallParamsW with the remove parameters: DIF_REMOVE,
// DI_REMOVEDEVICE_GLOBAL, hardware profile 0.
int OsSetRemoveParams(OsDeviceSet set, OsDeviceData* data);
// SetupDiCallClassInstaller(DIF_REMOVE); on failure the last error says why.
int OsCallRemoveInstaller(OsDeviceSet set, OsDeviceData* data);
// A device's own registry key, opened with the access given
// (SetupDiOpenDevRegKey, DICS_FLAG_GLOBAL): its hardware key, where
// PortName is, or its driver key, where a modem attached to a serial port
// names it (AttachedTo). The system's error, 0 for success; the key is
// closed with OsRegCloseKey.
enum OsDeviceKeyKind { kOsHardwareKey = 1, kOsDriverKey = 2 };  // DIREG_DEV, DIREG_DRV
const int32_t kOsErrorKeyDoesNotExist = static_cast<int32_t>(0xE0000204u);  // the device has no such key
const int32_t kOsErrorNoSuchDevinst = static_cast<int32_t>(0xE000020Bu);
int32_t OsOpenDeviceKey(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        uint32_t access, OsKey* key);
// SetupDiSetDeviceRegistryPropertyW of SPDRP_FRIENDLYNAME; on failure the
// last error says why.
int OsSetDeviceFriendlyName(OsDeviceSet set, OsDeviceData* data, const char16_t* name);
// Restarts the device so that its driver takes its settings again
// (DIF_PROPERTYCHANGE with DICS_PROPCHANGE). 1 on success, *restartNeeded
// set when the system answers that the machine must restart first
// (DI_NEEDRESTART, DI_NEEDREBOOT); 0 on failure, the last error saying why.
// Kept with the removal's steps, so that a test build can substitute it.
int OsRestartDevice(OsDeviceSet set, OsDeviceData* data, int32_t* restartNeeded);

// What a serial port is known by on every machine of one model, for the
// number plan. The first of the device's location paths
// (DEVPKEY_Device_LocationPaths), which names its socket: the system's
// error, ERROR_NOT_FOUND where it has none (Windows gives them to present
// devices only).
const int32_t kOsErrorNotFound = 1168;
int32_t OsGetLocationPath(OsDeviceSet set, OsDeviceData* data, char16_t* path, uint32_t units);
// CM_Get_Parent: the node's parent in the device tree, mapped to the
// system's error.
int32_t OsGetParentNode(OsDevNode node, OsDevNode* parent);

// Profile (INI) files -----------------------------------------------------------

// Section, key, value and file in the system ANSI code page, as the
// system's profile functions take them.
// GetPrivateProfileIntA: the key's value as the platform reads integers,
// or fallback when the key is missing.
int32_t OsProfileReadInt(const char* section, const char* key, int32_t fallback,
                         const char* file);
// GetPrivateProfileStructA: 1 when the key holds exactly `size` bytes, two
// hexadecimal digits each, followed by their checksum.
int OsProfileReadStruct(const char* section, const char* key, void* data, uint32_t size,
                        const char* file);
// WritePrivateProfileStringA and WritePrivateProfileStructA: create the
// file and the section when they are missing; 0 when nothing was written.
int OsProfileWriteString(const char* section, const char* key, const char* value,
                         const char* file);
int OsProfileWriteStruct(const char* section, const char* key, const void* data, uint32_t size,
                         const char* file);

// Files ---------------------------------------------------------------------------

// A file rewritten in place through one handle, for a process that must
// not be led to write anywhere else by a link someone put at the path.
typedef uintptr_t OsFile;  // an open file; 0 none
const uint32_t kOsFileAttributeDirectory = 0x10;       // FILE_ATTRIBUTE_DIRECTORY
const uint32_t kOsFileAttributeReparsePoint = 0x400;   // FILE_ATTRIBUTE_REPARSE_POINT

// CreateFileA (path in the ANSI code page) for reading and writing, opened
// when it exists and created when not, shared with readers only: while it
// is open nobody else can write to it, rename it or delete it. A reparse
// point at the path (a symbolic link, a junction, a mount point) is opened
// as itself, never followed; a directory is not opened. 0 when nothing was
// opened.
OsFile OsOpenFileToRewrite(const char* path);
struct OsFileFacts {
  uint32_t attributes;
  uint32_t links;  // the names the file has (hard links)
  uint64_t size;
};
// GetFileInformationByHandle; 0 on failure.
int OsGetFileFacts(OsFile file, OsFileFacts* facts);
// The first `bytes` bytes of the file; 0 unless all of them were read.
int OsReadFileStart(OsFile file, void* buffer, uint32_t bytes);
// The file's whole content replaced: the bytes written from its start, and
// the file ended behind them. 0 on failure.
int OsReplaceFileContent(OsFile file, const void* data, uint32_t bytes);
void OsCloseFile(OsFile file);
// The same for a file named in full (CreateFileW): to be replaced, as
// OsOpenFileToRewrite opens one; or to be read, shared with readers only,
// so that nobody writes, renames or deletes it while it is read. The
// system's error, 0 for success.
int32_t OsOpenFileToReplace(const char16_t* path, OsFile* file);
int32_t OsOpenFileToRead(const char16_t* path, OsFile* file);
