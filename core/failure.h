// What went wrong when the program changed the system: the record core
// hands back instead of showing anything, so that the window and batch
// mode each report it their own way.
#pragma once

#include <stdint.h>

enum FailureKind {
  kNoFailure = 0,
  kDeviceIdUnreadable,  // before a removal, the device's ID could not be read
  kRemovalFailed,       // the class installer failed
  kDeviceStillThere,    // the installer said done, but the device is still there
  kComDbUnread,         // ComDB could not be read, at load or again before it was written
  kComDbUnwritten,      // ComDB could not be written
  kRemovalNotStarted,   // the device's data could not be had or readied
  kMoveFailed,          // a step of giving a device another number failed, and was undone
};

const uint32_t kDeviceIdUnits = 260;

struct Failure {
  FailureKind kind;
  uint32_t errorCode;                // the system's error code; 0 when it gave none
  char16_t deviceId[kDeviceIdUnits]; // the device concerned; empty for ComDB
};
