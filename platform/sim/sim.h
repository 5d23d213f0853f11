// Control of the simulated platform, for native tests: an in-memory
// registry whose values may have any type and length and whose calls can be
// made to fail, recorded message boxes, and configurable start-up facts.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/os.h"

struct SimMessageBox {
  OsWindow owner;
  std::u16string caption;
  std::u16string text;
  uint32_t flags;
};

enum SimRegCall { kSimRegOpen, kSimRegCreate, kSimRegQuerySize, kSimRegQueryData, kSimRegSet, kSimRegEnum };

// Back to a clean machine: empty registry, administrator, Windows 10.
void SimReset();

// Registry contents. Paths are below HKEY_LOCAL_MACHINE.
void SimRegSetValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                    const std::vector<uint8_t>& data);
void SimRegSetString(const std::u16string& path, const std::u16string& name,
                     const std::u16string& text);
void SimRegCreateKey(const std::u16string& path);
void SimRegDeleteKey(const std::u16string& path);
void SimRegDeleteValue(const std::u16string& path, const std::u16string& name);
bool SimRegHasValue(const std::u16string& path, const std::u16string& name);
std::vector<uint8_t> SimRegValue(const std::u16string& path, const std::u16string& name,
                                 uint32_t* type = nullptr);
// Makes the next `times` calls of one kind fail with the given status;
// with a value name, only the queries and sets of that value.
void SimRegFail(SimRegCall call, int32_t status, int times = 1,
                const std::u16string& valueName = u"");
// Runs before every data read (with a value name, of that value only), so
// a test can change a value between the size query and the read, or
// between a program's reads.
void SimRegBeforeDataRead(std::function<void()> hook, const std::u16string& valueName = u"");
int SimRegWriteCount();     // successful value sets since the reset
// Answers each wait for a value change of a key: the hook's result is the
// wait's status, unless the wait's stop event is set (before the wait, or
// by the hook). Without a hook a wait reports a change at once.
void SimRegOnWaitForChange(std::function<int32_t()> hook);
int SimOpenEventCount();    // events not closed
int SimRegOpenKeyCount();   // keys open right now

// The COM port database routines of msports.dll, over the simulated
// registry's ComDB as Windows implements them (so the registry's failures
// reach them): ComDBOpen creates a missing value of 32 bytes, a claim of a
// reserved number answers kOsErrorSharingViolation, a number beyond the
// value or over 4,096 is refused with 87 (ERROR_INVALID_PARAMETER).
enum SimPortDatabaseCall { kSimPortDbOpen, kSimPortDbClaim, kSimPortDbRelease, kSimPortDbResize };
// Available after a reset; unavailable, the library is taken as missing.
void SimSetPortDatabaseAvailable(bool available);
// The next `times` calls of one kind (with a port, of that port only)
// answer status and change nothing.
void SimPortDatabaseFail(SimPortDatabaseCall call, int32_t status, int times = 1,
                         uint32_t port = 0);
// The calls made since the reset: "open", "claim 5", "release 3", "close".
const std::vector<std::string>& SimPortDatabaseCalls();
int SimPortDatabasesOpen();  // opened and not closed

// Message boxes shown since the reset; each is answered with OK.
const std::vector<SimMessageBox>& SimMessageBoxes();
// What was written to standard output or error since the reset.
const std::u16string& SimOutput(int32_t stream);
void SimClearOutput();
// Session 0, or a window station nobody sees: no window can be seen.
void SimSetUserCanSeeWindows(bool can);
// Every later write to the stream fails, as to a full disk or a closed pipe.
void SimFailOutput(int32_t stream);
// Neither stream redirected, and no console to join.
void SimSetOutputLeadsSomewhere(bool leads);
// The user interrupts (Ctrl+C) as the class installer's removal of that
// many devices is done.
void SimInterruptAfterRemovals(int removals);

// Heap: allocation failures before success, and corruption.
void SimHeapFailAllocations(int times);
void SimHeapCorrupt(bool corrupt);
int SimHeapBlocksInUse();  // allocated since the reset and not freed
const std::vector<uint32_t>& SimSleeps();
const std::vector<std::pair<uint32_t, uint32_t>>& SimBeeps();

// Device tree. Devices are numbered from 0 in the order they are added;
// each node handle is its number + 1. A device's PortName is stored in the
// simulated registry under its Device Parameters key.
struct SimDevice {
  std::u16string classGuid;  // empty: the property is missing
  std::u16string deviceId;
  bool hasPortName = true;
  std::u16string portName;
  std::u16string friendlyName, description, className;  // empty: missing
  bool present = true;
  uint32_t status = 0x0180200A;
  uint32_t problem = 0;
  std::u16string kernelName;  // the DOS name's target while present
  // Removal: the parameter step refused, the device ID unreadable before
  // removal, the class installer failing with this error, the node still
  // locatable after a removal the installer reported as done.
  bool refuseRemoveParams = false;
  bool idUnreadable = false;
  int idReads = -1;  // reads of the device ID that succeed before it fails; -1 all
  uint32_t installerError = 0;
  bool stillLocatable = false;
  // A move to another number: the PortName write, the friendly name's and
  // the restart failing with these errors; a restart that asks for the
  // machine's first.
  int32_t portNameWriteStatus = 0;
  uint32_t friendlyNameError = 0;
  uint32_t restartError = 0;
  bool restartNeeded = false;
  // A modem attached to a serial port names it in its driver key; empty:
  // the device has no driver key. Opening that key for writing fails with
  // driverKeyWriteStatus when it is set.
  std::u16string attachedTo;
  int32_t driverKeyWriteStatus = 0;
  int32_t driverKeyReadStatus = 0;  // opening it at all fails so
  // Its driver names the port in SERIALCOMM (kernelName, while present),
  // as the serial driver does: a restart takes the name away and writes
  // the one PortName holds then, unless its driver leaves the old one
  // behind, as some vendors' do.
  bool namesLive = false;
  bool leavesLiveName = false;
  // What a number plan knows it by: its place in the device tree (the
  // index of its parent, -1 for none), its first location path (empty:
  // none, which the system gives a device that is not present anyway) and
  // its hardware IDs.
  int parent = -1;
  std::u16string locationPath;
  std::vector<std::u16string> hardwareIds;
};

extern const char16_t kSimPortsClass[];
extern const char16_t kSimModemClass[];

int SimAddDevice(const SimDevice& device);
// A present Ports device with a friendly name, for the common case.
int SimAddPort(const std::u16string& portName, bool present = true);
bool SimDeviceRemoved(int index);
// A device as the system holds it now (its PortName, friendly name).
const SimDevice& SimDeviceAt(int index);
// AttachedTo in the device's driver key now; "-" when there is none.
std::u16string SimAttachedTo(int index);
// A name a running driver gave a port (HARDWARE\DEVICEMAP\SERIALCOMM):
// the kernel name, and the port name as data.
void SimAddLiveName(const std::u16string& kernelName, const std::u16string& portName);
// The port name a live name gives now; "-" when there is no such value.
std::u16string SimLiveName(const std::u16string& kernelName);
// The instance IDs of the devices restarted, in turn.
const std::vector<std::u16string>& SimRestarts();
// Runs while a device restarts, as the rest of the system goes on meanwhile.
void SimDuringRestart(std::function<void()> hook);
// The n-th restart from now on (from 1) fails with ACCESS_DENIED.
void SimFailRestart(int n);
int SimRemovalCount();              // installer calls that removed a device
int SimOpenDeviceSets();            // device-information sets not destroyed
void SimFailDeviceSet(bool fail);   // SetupDiGetClassDevsW fails
// SetupDiEnumDeviceInfo of the member at that index answers status.
void SimFailDeviceEnum(uint32_t memberIndex, int32_t status);
// A removal takes the device out of every open set, so that later members
// move down an index: should a system's sets ever do so, a member index
// would name another device.
void SimRemovalShiftsSets(bool shift);
// The class installer empties the device data it was handed after a removal.
void SimInstallerEmptiesData(bool empties);

// Profile files, by the names the program uses (iniPath is
// C:\Tools\varnick.ini here). Values are kept as text.
void SimProfileSet(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);
bool SimProfileGet(const std::string& file, const std::string& section, const std::string& key,
                   std::string* value);
void SimProfileClear();
int SimProfileWriteCount();        // successful writes since the reset
void SimProfileFailWrites(int times);  // the next writes fail

// Files rewritten in place (the settings file of an elevated run), by
// path, case ignored. Opening a directory fails, as it does without backup
// semantics; a reparse point is opened as itself.
struct SimFile {
  std::string content;
  uint32_t attributes = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
  uint32_t links = 1;
  // Its owner and access list: by default those of a file an administrator
  // made on drive C, which Users may read.
  std::u16string sddl = u"O:BAD:(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
};
// A folder is a SimFile with the directory attribute. FOLDERID_ProgramData
// is C:\ProgramData.
SimFile SimFolder(const std::u16string& sddl);
void SimFileSet(const std::string& path, const SimFile& file);
bool SimFileGet(const std::string& path, SimFile* file);
int SimFileWriteCount();          // content replacements since the reset
int SimOpenFileCount();           // files not closed
void SimFileFailReads(int times); // the next reads fail
// The next `times` appends answer status and write nothing.
void SimFileFailAppends(int32_t status, int times = 1);
// A folder made as the program makes its own under ProgramData (owned by
// the Administrators, SYSTEM and they alone admitted), or none at the
// path. After a reset there is none: a file appended where no folder is
// answers kOsErrorPathNotFound.
void SimSetFolder(const std::string& path, bool exists);

// A file another process holds open, unshared: opening it as a lock
// answers kOsErrorSharingViolation.
void SimHoldFileElsewhere(const std::string& path, bool held);

// Task Scheduler's root folder, by name (case ignored). A task the program
// registers keeps its definition, its security and its author, read from
// the definition; one a test sets stands for one registered otherwise.
struct SimTask {
  std::u16string xml, author, sddl;
  bool lastResultKnown = true;
  int32_t lastResult = 0x41303;  // SCHED_S_TASK_HAS_NOT_RUN
};
void SimTaskSet(const std::u16string& name, const SimTask& task);
bool SimTaskGet(const std::u16string& name, SimTask* task);
int SimTaskCount();
// Every later call to Task Scheduler fails with this status (0: none does).
void SimTaskFail(int32_t status);
// The event channels there are, by name: after a reset
// Microsoft-Windows-Kernel-PnP/Configuration alone, enabled.
enum SimChannelState { kSimChannelEnabled, kSimChannelDisabled, kSimChannelMissing };
void SimSetChannel(const std::u16string& channel, SimChannelState state);
// wevtapi.dll missing: no channel can be asked about.
void SimSetEventLogLibrary(bool present);

// Start-up facts. Without administrator rights the process is not elevated
// either; SimSetElevated after it sets that alone.
void SimSetAdmin(bool isAdmin);
void SimSetElevated(bool elevated);
void SimSetVersion(const OsVersionNumbers& numbers);
// What OsReadFileVersion answers, and the version it reads on success.
void SimSetFileVersion(int32_t status, uint32_t versionMS, uint32_t versionLS);
void SimSetCommandLine(const std::u16string& commandLine);
void SimSetModulePath(const std::u16string& path);  // the program's own
void SimSetStartupInfo(uint32_t flags, uint16_t showWindow);
// Now, in UTC: 2026-12-10 16:50:29.123 after a reset, as the clock stands
// still here; process 4242, not the system's account.
void SimSetUtcTime(const OsUtcTime& time);
void SimSetProcessId(uint32_t id);
void SimSetRunsAsSystem(bool system);
