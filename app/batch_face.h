// Batch mode's face of the operations: what its parts (the repairs, the
// moves, the listing) share. Each part tells what happens in lines on
// standard output and standard error, and in the boxes a person at the
// screen knows where one can be seen, and notes the code it ends with;
// the run ends with the gravest of them (GraverExitCode).
#pragma once

#include <stdint.h>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "core/failure.h"
#include "core/number_plan.h"
#include "core/port_devices.h"
#include "core/port_move.h"
#include "core/port_reservations.h"

struct BatchRun {
  BatchSwitches switches;
  bool boxesShown;     // failures also in a box: /q not given, and someone can see one
  bool administrator;  // the process may change the system
  ExitCode code;       // the gravest code noted so far
};

void NoteCode(BatchRun* run, ExitCode code);
// A line on standard error, and the box where one is shown.
void Tell(const BatchRun& run, const char16_t* caption, const char16_t* text);
// A failure as one line on standard error, naming the device where the
// failure does not, and in its box where one is shown.
void TellFailure(const BatchRun& run, Failure failure, const PortDevice* device);
// "freed COM5", "would free COM5".
void ReportLine(const char16_t* verb, int32_t port);
// A move made, by /m, a plan or an undo, as the operations' callbacks tell
// it (context: the BatchRun): its line, a restart of Windows or an old
// number left reserved, and its code.
void ReportRunMove(void* context, const PortDevice* device, int32_t from, int32_t to,
                   const MoveResult& result);
// A move of a plan or an undo refused or failed when it came to it.
void ReportRunMoveFailed(void* context, const PortDevice* device, int32_t to,
                         const MoveResult& result);
// A switch that goes with /n and /q alone (/autoapply, /undo), with the
// first other switch given beside it refused (6) with "Error: /c cannot be
// given with /undo"; true when it was.
bool RefuseSwitchBeside(BatchRun* run, const char16_t* alone);
// "Error: Admin privileges are required" (1) where the process may not
// change the system; true when it was refused.
bool RefuseNotAdministrator(BatchRun* run);

// The parts. The repairs (/c, /r) first, then the moves (/m), each in the
// order given, then the plan (/apply), then the export (/export); or the
// listing (/l) and the export.
void RunBatchRepairs(BatchRun* run, PortReservations* reservations, PortDeviceList* devices);
void RunBatchMoves(BatchRun* run, PortReservations* reservations, PortDeviceList* devices);
void RunBatchPlan(BatchRun* run, PortReservations* reservations, PortDeviceList* devices);
void RunBatchExport(BatchRun* run, PortDeviceList* devices);
// /autoapply in all its forms: a run of its own, with /n and /q alone.
void RunBatchAutoApply(BatchRun* run);
// /undo: the last run the journal recorded that is not undone, undone.
void RunBatchUndo(BatchRun* run, PortReservations* reservations, PortDeviceList* devices);
// The plan in the file, read (12 noted where it is none) and its rules
// kept in *plan (ReleaseNumberPlan).
bool LoadBatchPlan(BatchRun* run, const char16_t* path, NumberPlan* plan);
// The plan in the file checked as /n /apply checks it, on the models of
// this moment, telling nothing but why it cannot be applied (12, 13 or 3
// noted): whether it can.
bool CheckBatchPlan(BatchRun* run, const char16_t* path);
void WriteBatchListing(BatchRun* run, const PortReservations* reservations,
                       PortDeviceList* devices);
