// A number plan's file on disk: read whole, or written whole.
#pragma once

#include <stdint.h>

#include "core/number_plan.h"

// Reads and parses the plan file. 1 with *plan holding its rules; else 0,
// and either *error says why the file is no plan, or (error->fault
// kPlanOk) *systemError why it could not be read.
int32_t LoadPlanFile(const char16_t* path, NumberPlan* plan, PlanError* error,
                     uint32_t* systemError);
// Writes the bytes as the file's whole content; the system's error, 0 for
// success. An elevated process writes only into a plain file with a
// single name, as it writes its settings: one that is a link or reparse
// point, a directory, or has a second name is left as it is
// (CANT_ACCESS_FILE), so that nobody can lead it to write a file of the
// system's.
int32_t SavePlanFile(const char16_t* path, const uint8_t* bytes, uint32_t size, bool elevated);

// Why a plan file was not read, as one line: DescribePlanError's for a file
// that is no plan, else "The plan cannot be read: FILE_NOT_FOUND".
void DescribePlanLoadFailure(const PlanError& error, uint32_t systemError, char16_t* text,
                             uint32_t units);
// "The plan could not be written to PATH: ACCESS_DENIED" (the path on one
// line).
void DescribePlanSaveFailure(const char16_t* path, int32_t status, char16_t* text, uint32_t units);
