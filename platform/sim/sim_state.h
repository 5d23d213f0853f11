// The state behind the simulated platform, shared by its files.
#pragma once

#include <map>
#include <set>

#include "platform/sim/sim.h"

struct SimValue {
  uint32_t type;
  std::vector<uint8_t> data;
  std::u16string name;  // as it was set: enumeration gives it so
};

struct SimHandle {
  std::u16string path;  // folded to lower case, below HKEY_LOCAL_MACHINE
  uint32_t access;
};

struct SimFailure {
  int32_t status;
  int times;
  std::u16string value;  // folded; empty: any
};

struct SimPortDatabaseFailure {
  int32_t status;
  int times;
  uint32_t port;  // 0: any
};

struct SimDeviceState {
  SimDevice device;
  bool removed = false;
};

struct SimState {
  std::map<std::u16string, std::map<std::u16string, SimValue>> keys;
  std::map<OsKey, SimHandle> handles;
  OsKey nextHandle = 0x1000;
  std::map<int, SimFailure> failures;
  std::function<void()> beforeDataRead;
  std::u16string beforeDataReadValue;  // folded; empty: any
  std::function<int32_t()> onWaitForChange;
  std::map<OsEvent, bool> events;  // set or not
  int writeCount = 0;
  uint32_t lastError = 0;

  bool portDatabaseAvailable = true;
  std::map<int, SimPortDatabaseFailure> portDatabaseFailures;
  std::vector<std::string> portDatabaseCalls;
  int portDatabasesOpen = 0;

  std::vector<SimMessageBox> messageBoxes;
  std::u16string output[2];  // standard output, standard error
  bool userCanSeeWindows = true;
  bool outputFails[2] = {false, false};
  bool outputLeadsSomewhere = true;
  bool joinedConsole = false;
  bool interrupted = false;
  int interruptAfterRemovals = -1;
  int heapFailures = 0;
  bool heapCorrupt = false;
  int heapBlocks = 0;
  std::vector<uint32_t> sleeps;
  std::vector<std::pair<uint32_t, uint32_t>> beeps;

  std::vector<SimDeviceState> devices;
  std::map<OsDeviceSet, std::vector<int>> deviceSets;
  OsDeviceSet nextDeviceSet = 0x5000;
  bool failDeviceSet = false;
  uint32_t enumFailIndex = UINT32_MAX;
  int32_t enumFailStatus = 0;
  bool removalShiftsSets = false;
  bool installerEmptiesData = false;
  int removalCount = 0;
  std::vector<std::u16string> restarts;
  std::function<void()> duringRestart;
  int failRestart = 0;

  // file -> section -> key -> value, names folded to lower case
  std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> profiles;
  int profileWrites = 0;
  int profileWriteFailures = 0;

  std::map<std::string, SimFile> files;  // paths folded to lower case
  std::map<OsFile, std::string> openFiles;
  OsFile nextFile = 0x9000;
  int fileWrites = 0;
  int fileReadFailures = 0;
  int fileAppendFailures = 0;
  int32_t fileAppendStatus = 0;

  std::set<std::string> filesHeldElsewhere;  // folded: opened by another process

  std::map<std::u16string, SimTask> tasks;  // names folded
  int32_t taskFailure = 0;
  std::map<std::u16string, SimChannelState> channels = {
      {u"Microsoft-Windows-Kernel-PnP/Configuration", kSimChannelEnabled}};
  bool eventLogLibrary = true;

  bool isAdmin = true;
  bool elevated = true;
  OsVersionNumbers version = {10, 0, 19045, 0, 1, 0x100};
  int32_t fileVersionStatus = kOsErrorSuccess;
  uint32_t fileVersionMS = 0x00010000, fileVersionLS = 0x00050000;
  std::u16string commandLine = u"varnick.exe";
  std::u16string modulePath = u"C:\\Tools\\varnick.exe";
  uint32_t startupFlags = 0;
  uint16_t startupShowWindow = 0;
  OsUtcTime now = {2026, 12, 10, 16, 50, 29, 123};
  uint32_t processId = 4242;
  bool runsAsSystem = false;
};

extern SimState sim;
