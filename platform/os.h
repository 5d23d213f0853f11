// The system calls Varnick makes, as plain functions over portable types.
//
// Two implementations link against this header: platform/win32 (the real
// system) and platform/sim (an in-memory stand-in for the native tests).
// Of the program, only platform/win32/, the window's own Win32 code in
// ui/win32/, the work handed to the system in actions/ and the Windows
// entrances in app/win32/ include <windows.h>; everything else reaches the
// system through here.
//
// One convention for every call that can fail: it returns a Win32 error
// code (int32_t), kOsErrorSuccess (0) for success and never 0 for a
// failure. Where the system fails without saying why (no last error), the
// call returns kOsErrorGenFailure itself; where the system answers in
// another currency (a BOOL and the thread's last error, the configuration
// manager's CR_ codes), the call returns the Win32 code that answer stands
// for. What a call produces (a handle, a count, a length) comes back
// through an out parameter. Calls that cannot fail, or that answer a
// question, return the answer: a comparison, a text, a button, a bool for
// a yes or no. Closing, setting and signalling calls whose failure no
// caller could act on return nothing.
#pragma once

#include <stdint.h>
#include <stddef.h>

const int32_t kOsErrorSuccess = 0;
const int32_t kOsErrorFileNotFound = 2;
const int32_t kOsErrorPathNotFound = 3;
const int32_t kOsErrorAccessDenied = 5;
const int32_t kOsErrorInvalidHandle = 6;
const int32_t kOsErrorNotEnoughMemory = 8;
const int32_t kOsErrorInvalidData = 13;
const int32_t kOsErrorWriteFault = 29;
const int32_t kOsErrorGenFailure = 31;            // a failure the system gave no reason for
const int32_t kOsErrorHandleEof = 38;
const int32_t kOsErrorInsufficientBuffer = 122;
const int32_t kOsErrorFileTooLarge = 223;
const int32_t kOsErrorModNotFound = 126;
const int32_t kOsErrorProcNotFound = 127;
const int32_t kOsErrorMoreData = 234;
const int32_t kOsErrorWaitTimeout = 258;
const int32_t kOsErrorNoMoreItems = 259;
const int32_t kOsErrorNotFound = 1168;
const int32_t kOsErrorResourceTypeNotFound = 1813;
const int32_t kOsErrorCantAccessFile = 1920;

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
// of the value. Each returns the routine's status.
typedef uintptr_t OsPortDatabase;
// There are no routines to call: msports.dll or one of its routines is
// missing (an older or trimmed system), or they are Wine's stubs, which
// must never be called. ComDBOpen's own failures never come back as this.
const int32_t kOsPortDatabaseUnavailable = kOsErrorProcNotFound;
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
// A new event, not set; *event 0 on failure.
int32_t OsCreateEvent(bool manualReset, OsEvent* event);
void OsSetEvent(OsEvent event);
void OsCloseEvent(OsEvent event);

// Registry change notification -----------------------------------------

// Waits until a value of the key is set (RegNotifyChangeKeyValue on the
// key's own values, REG_NOTIFY_CHANGE_LAST_SET, signalling `changed`) or
// until stop is set, whichever comes first; *stopped tells which. The
// system's error when the wait could not be made.
int32_t OsRegWaitForValueChange(OsKey key, OsEvent changed, OsEvent stop, bool* stopped);

// Thread error state ---------------------------------------------------

uint32_t OsGetLastError();
void OsSetLastError(uint32_t code);

// Heap and process -----------------------------------------------------

typedef void* OsHeap;
OsHeap OsProcessHeap();
bool OsHeapValidate(OsHeap heap);            // the whole heap; false when corrupt
// A zero-filled block; kOsErrorNotEnoughMemory, *block null, when none.
int32_t OsHeapAlloc(OsHeap heap, uint64_t bytes, void** block);
int32_t OsHeapFree(OsHeap heap, void* block);
void OsSleep(uint32_t milliseconds);
void OsBeep(uint32_t frequency, uint32_t milliseconds);
[[noreturn]] void OsFailFast();              // stops the process at once, no clean-up
[[noreturn]] void OsExitProcess(uint32_t code);

// Time, process and account ------------------------------------------------

struct OsUtcTime {
  uint16_t year, month, day, hour, minute, second, milliseconds;
};
// GetSystemTime: now, in UTC.
void OsUtcNow(OsUtcTime* time);
uint32_t OsProcessId();  // GetCurrentProcessId
// Whether the process runs as the system's own account (LocalSystem,
// S-1-5-18), as a scheduled task of SYSTEM does; false when it cannot tell.
bool OsRunsAsSystem();

// Message boxes ---------------------------------------------------------

typedef uintptr_t OsWindow;                  // 0: no owner (owned by the desktop)
const uint32_t kOsMbOk = 0x00000000;
const uint32_t kOsMbIconError = 0x00000010;
const uint32_t kOsMbIconInformation = 0x00000040;
// Every message box of the program: MessageBoxW, and MessageBoxA for the
// texts kept in the ANSI code page. The button the user chose.
int OsMessageBox(OsWindow owner, const char16_t* text, const char16_t* caption,
                 uint32_t flags);
int OsMessageBoxA(OsWindow owner, const char* text, const char* caption, uint32_t flags);
// The boxes have no owner: while the main window is kept on top, they are
// too (MB_TOPMOST), or the window would cover the box it waits for.
void OsKeepMessageBoxesOnTop(bool on);

// Whether anyone can see a window of this process: not in session 0 (a
// service, a program of the system account, a task that runs whether a
// user is signed in or not) or on a window station that is not visible.
bool OsUserCanSeeWindows();

// Standard output and error ------------------------------------------------

const int32_t kOsStandardOutput = 1;
const int32_t kOsStandardError = 2;
// Batch mode's console. A program of the window subsystem has none of its
// own: it joins the console of the program that started it, where that
// has one, so that its lines, its code page and its Ctrl+C reach it. From
// then on an interruption (Ctrl+C, Ctrl+Break, the console closed, the
// user signing off) is only recorded: the run stops at its next safe point.
void OsJoinStartingConsole();
bool OsInterruptRequested();
// Writes text to the stream: to a console as UTF-16; to a file or pipe it
// was redirected to in the output code page of the console joined, or as
// UTF-8 where there is none, a character the code page lacks as "?". An
// error when a write failed or was cut short (kOsErrorWriteFault); success
// too where the stream leads nowhere (no redirection and no console).
int32_t OsWriteOutput(int32_t stream, const char16_t* text, uint32_t units);
// Whether the stream leads anywhere: a file, a pipe or a console.
bool OsOutputLeadsSomewhere(int32_t stream);

// Start-up facts ---------------------------------------------------------

const char16_t* OsCommandLine();             // GetCommandLineW
// GetStartupInfoW: dwFlags and wShowWindow.
void OsStartupInfo(uint32_t* flags, uint16_t* showWindow);
uintptr_t OsModuleInstance();                // GetModuleHandleW(NULL)
// GetSystemDirectoryW, GetModuleFileNameW of the program: the path and
// *length its units, or on failure an empty buffer (a path that did not
// fit: kOsErrorInsufficientBuffer). The buffer is always terminated.
int32_t OsSystemDirectory(char16_t* buffer, uint32_t units, uint32_t* length);
int32_t OsModuleFileName(char16_t* buffer, uint32_t units, uint32_t* length);
// The text in the ANSI code page, into chars characters with the
// terminator: true when every character has its own exact form there (none
// replaced by a similar one or a default) and all of it fits; else false
// and an empty buffer.
bool OsToAnsiExact(const char16_t* text, char* buffer, uint32_t chars);

// Environment probes -----------------------------------------------------

// Restricts the library search order: SetDllDirectoryA("") and
// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), each where offered.
void HardenLibrarySearch();
// Membership of the built-in Administrators group in the effective token;
// false when not a member or on any failure. Kept alone in its own file so
// that a test build can substitute it at link time.
bool IsUserAdmin();
// Whether the process's token is elevated (a full administrator's, or any
// other full token User Account Control splits); true when it cannot tell.
bool OsRunsElevated();

struct OsVersionNumbers {
  uint32_t major, minor, build;
  uint16_t servicePackMajor;
  uint8_t productType;
  uint16_t suiteMask;
};
// GetVersionExW with an OSVERSIONINFOEXW; on failure the numbers are all zero.
int32_t OsReadVersionNumbers(OsVersionNumbers* numbers);

// The fixed file version of a program file, through "version.dll". Three
// answers: success; kOsErrorModNotFound when the library cannot be loaded,
// kOsErrorProcNotFound when it lacks a function; and
// kOsErrorResourceTypeNotFound when the file has no version resource, or
// no root block in it.
int32_t OsReadFileVersion(const char16_t* path, uint32_t* versionMS, uint32_t* versionLS);

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

const uint32_t kProblemNotPresent = 45;  // CM_PROB_PHANTOM
const uint32_t kDevNodeStarted = 0x8;    // DN_STARTED: its driver runs

// Device properties, by their configuration-manager numbers.
const uint32_t kDevPropDeviceDesc = 1;   // CM_DRP_DEVICEDESC
const uint32_t kDevPropHardwareId = 2;   // CM_DRP_HARDWAREID: a list, each ended, then an empty one
const uint32_t kDevPropClass = 8;        // CM_DRP_CLASS
const uint32_t kDevPropDriver = 10;      // CM_DRP_DRIVER: its driver key's name
const uint32_t kDevPropFriendlyName = 13;  // CM_DRP_FRIENDLYNAME

// The configuration manager's calls below answer with the Win32 code its
// CR_ result stands for, as CM_MapCrToWin32Err maps them
// (platform/cr_errors.h): among them kOsErrorNotFound for a node that is
// not there (CR_NO_SUCH_DEVNODE) or a property it lacks (CR_NO_SUCH_VALUE),
// kOsErrorInsufficientBuffer for a buffer too small (CR_BUFFER_SMALL).

// SetupDiGetClassDevsW of every device of every class, present or not
// (DIGCF_ALLCLASSES only); *set 0 on failure.
int32_t OsGetAllDevices(OsDeviceSet* set);
void OsDestroyDeviceSet(OsDeviceSet set);
// SetupDiEnumDeviceInfo; data->size must be 32 and the rest zero.
// kOsErrorNoMoreItems past the last member.
int32_t OsEnumDevice(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data);
// CM_Get_DevNode_Registry_PropertyW of the member's node into buffer of
// `bytes` bytes. The set and data let the Wine build read the same
// property through SetupAPI where the configuration manager has none.
int32_t OsGetDeviceProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                            void* buffer, uint32_t bytes);
// CM_Get_Device_IDW, flags 0.
int32_t OsGetDeviceId(OsDevNode node, char16_t* buffer, uint32_t units);
// CM_Get_DevNode_Status, flags 0. kOsErrorNotFound for a node that is not
// present. Outputs are written only on success.
int32_t OsGetDevNodeStatus(OsDevNode node, uint32_t* status, uint32_t* problem);
// CM_Locate_DevNodeW with CM_LOCATE_DEVNODE_NORMAL.
int32_t OsLocateDevNode(const char16_t* deviceId);
// QueryDosDeviceW: *stored the units stored; an error when the name has no
// target.
int32_t OsQueryDosDevice(const char16_t* name, char16_t* buffer, uint32_t units,
                         uint32_t* stored);
// SetupDiSetClassInstallParamsW with the remove parameters: DIF_REMOVE,
// DI_REMOVEDEVICE_GLOBAL, hardware profile 0.
int32_t OsSetRemoveParams(OsDeviceSet set, OsDeviceData* data);
// SetupDiCallClassInstaller(DIF_REMOVE).
int32_t OsCallRemoveInstaller(OsDeviceSet set, OsDeviceData* data);
// A device's own registry key, opened with the access given
// (SetupDiOpenDevRegKey, DICS_FLAG_GLOBAL): its hardware key, where
// PortName is, or its driver key, where a modem attached to a serial port
// names it (AttachedTo). The key is closed with OsRegCloseKey.
enum OsDeviceKeyKind { kOsHardwareKey = 1, kOsDriverKey = 2 };  // DIREG_DEV, DIREG_DRV
const int32_t kOsErrorKeyDoesNotExist = static_cast<int32_t>(0xE0000204u);  // the device has no such key
const int32_t kOsErrorNoSuchDevinst = static_cast<int32_t>(0xE000020Bu);
int32_t OsOpenDeviceKey(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        uint32_t access, OsKey* key);
// SetupDiSetDeviceRegistryPropertyW of SPDRP_FRIENDLYNAME.
int32_t OsSetDeviceFriendlyName(OsDeviceSet set, OsDeviceData* data, const char16_t* name);
// Restarts the device so that its driver takes its settings again
// (DIF_PROPERTYCHANGE with DICS_PROPCHANGE). On success *restartNeeded
// tells whether the system answers that the machine must restart first
// (DI_NEEDRESTART, DI_NEEDREBOOT). Kept with the removal's steps, so that
// a test build can substitute it.
int32_t OsRestartDevice(OsDeviceSet set, OsDeviceData* data, bool* restartNeeded);

// What a serial port is known by on every machine of one model, for the
// number plan. The first of the device's location paths
// (DEVPKEY_Device_LocationPaths), which names its socket: the system's
// error, ERROR_NOT_FOUND where it has none (Windows gives them to present
// devices only).
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
// GetPrivateProfileStructA: success only when the key holds exactly
// `size` bytes, two hexadecimal digits each, followed by their checksum.
int32_t OsProfileReadStruct(const char* section, const char* key, void* data, uint32_t size,
                            const char* file);
// WritePrivateProfileStringA and WritePrivateProfileStructA: create the
// file and the section when they are missing.
int32_t OsProfileWriteString(const char* section, const char* key, const char* value,
                             const char* file);
int32_t OsProfileWriteStruct(const char* section, const char* key, const void* data,
                             uint32_t size, const char* file);

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
// as itself, never followed; a directory is not opened. *file 0 when
// nothing was opened.
int32_t OsOpenFileToRewrite(const char* path, OsFile* file);
struct OsFileFacts {
  uint32_t attributes;
  uint32_t links;  // the names the file has (hard links)
  uint64_t size;
};
// GetFileInformationByHandle.
int32_t OsGetFileFacts(OsFile file, OsFileFacts* facts);
// The first `bytes` bytes of the file; kOsErrorHandleEof when the file
// ends before them.
int32_t OsReadFileStart(OsFile file, void* buffer, uint32_t bytes);
// The same from an offset on.
int32_t OsReadFileAt(OsFile file, uint64_t offset, void* buffer, uint32_t bytes);
// The file's whole content replaced: the bytes written from its start, and
// the file ended behind them.
int32_t OsReplaceFileContent(OsFile file, const void* data, uint32_t bytes);
void OsCloseFile(OsFile file);
// The same for a file named in full (CreateFileW): to be replaced, as
// OsOpenFileToRewrite opens one; or to be read, shared with readers only,
// so that nobody writes, renames or deletes it while it is read. The
// system's error, 0 for success.
int32_t OsOpenFileToReplace(const char16_t* path, OsFile* file);
int32_t OsOpenFileToRead(const char16_t* path, OsFile* file);

// The program's own folder ----------------------------------------------------

const int32_t kOsErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS
// FOLDERID_ProgramData (SHGetKnownFolderPath), never %ProgramData%, which
// the environment of whoever starts the program can point anywhere: the
// path and *length its units, or an empty buffer (a path that did not
// fit: kOsErrorInsufficientBuffer).
int32_t OsProgramDataFolder(char16_t* buffer, uint32_t units, uint32_t* length);
// CreateDirectoryW with the owner and access list of the security
// descriptor given in SDDL; kOsErrorAlreadyExists where anything is at the
// path already.
int32_t OsCreateFolder(const char16_t* path, const char16_t* sddl);
// A file or folder opened as itself, to be looked at (OsGetFileFacts,
// OsReadSecurity): a reparse point is opened as itself, never followed,
// and while it is open nobody can delete or rename it.
int32_t OsOpenToInspect(const char16_t* path, OsFile* file);
// As OsOpenFileToReplace; a file it creates gets the owner and access list
// of the SDDL given instead of those it would inherit.
int32_t OsOpenFileToKeep(const char16_t* path, const char16_t* sddl, OsFile* file);
// The owner and access list of an open file or folder, as SDDL
// (GetSecurityInfo, ConvertSecurityDescriptorToStringSecurityDescriptorW),
// terminated; kOsErrorInsufficientBuffer where it does not fit.
int32_t OsReadSecurity(OsFile file, char16_t* sddl, uint32_t units);
// DeleteFileW: a reparse point is deleted itself, never what it names.
int32_t OsDeleteFile(const char16_t* path);

// Event log and Task Scheduler ------------------------------------------------

const int32_t kOsErrorChannelNotFound = 15007;  // ERROR_EVT_CHANNEL_NOT_FOUND
// Whether the event channel is enabled (EvtOpenChannelConfig,
// EvtGetChannelConfigProperty(EvtChannelConfigEnabled) of wevtapi.dll,
// found by name): kOsErrorChannelNotFound where there is no such channel,
// kOsErrorModNotFound or kOsErrorProcNotFound where the system has no
// such library or function.
int32_t OsEventChannelEnabled(const char16_t* channel, bool* enabled);

// Tasks of Task Scheduler's root folder, by name, through ITaskService.
// Failures come back as the Win32 code an HRESULT carries (FILE_NOT_FOUND
// for a task that is not there), or as the HRESULT itself where it
// carries none.
struct OsTaskFacts {
  char16_t author[128];  // RegistrationInfo's author, cut to its room; empty: none
  bool lastResultKnown;
  int32_t lastResult;    // LastTaskResult: the last run's exit code, or a SCHED_S_ status
};
int32_t OsReadTask(const char16_t* name, OsTaskFacts* facts);
// ITaskFolder::RegisterTask of the XML definition, TASK_CREATE_OR_UPDATE,
// for SYSTEM (S-1-5-18, TASK_LOGON_SERVICE_ACCOUNT), with the security
// descriptor given in SDDL.
int32_t OsRegisterSystemTask(const char16_t* name, const char16_t* xml, const char16_t* sddl);
int32_t OsDeleteTask(const char16_t* name);
// A file named in full, to be appended to, as OsOpenFileToReplace opens
// one (created where missing, with the owner and access list of the SDDL
// given, a reparse point opened as itself, shared with readers only);
// kOsErrorPathNotFound where its folder is missing.
int32_t OsOpenFileToAppend(const char16_t* path, const char16_t* sddl, OsFile* file);
// A file opened by one process at a time, as a lock: created where
// missing with the owner and access list of the SDDL given, read and
// written by nobody, a reparse point opened as itself;
// kOsErrorSharingViolation while another holds it open.
int32_t OsOpenFileToLock(const char16_t* path, const char16_t* sddl, OsFile* file);
// The bytes written at the file's end.
int32_t OsAppendToFile(OsFile file, const void* data, uint32_t bytes);
// MoveFileExW, replacing a file of the new name: the name moves, and
// what it names, a link included, is never written through.
int32_t OsRenameFile(const char16_t* from, const char16_t* to);
