// How a failure of a change to the system reads, and why nothing was
// changed: the texts each face shows its own way.
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/failure.h"

const uint32_t kFailureTextUnits = 600;

struct PortDevice;

// The failure names the device it was about, where it names none yet and a
// device is given.
void NameFailureDevice(Failure* failure, const PortDevice* device);

// The caption ("Varnick" or "Error") and text of the failure's box: the
// error's short name, "NAME removing" and the device's ID, or "Device not
// removed" (with what is missing when the user is no administrator).
void DescribeFailure(const Failure& failure, int32_t isAdministrator, const char16_t** caption,
                     char16_t* text, uint32_t units);
// The same as one line, for standard error: line breaks become blanks, and
// the device's ID stands behind where the box does not name it.
void DescribeFailureLine(const Failure& failure, int32_t isAdministrator, char16_t* line,
                         uint32_t units);
// Why nothing was changed: "Admin privileges are required", "ComDB is
// longer than 4096 ports; nothing was changed" and the like; empty for
// kChangeAllowed.
const char16_t* RefusalText(ChangeRefusal refusal);
