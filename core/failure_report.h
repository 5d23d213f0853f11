// How a failure of a change to the system reads, and the message box that
// shows it where a person is at the screen.
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/failure.h"

const uint32_t kFailureTextUnits = 600;

// The caption ("Varnick" or "Error") and text of the failure's box: the
// error's short name, "NAME removing" and the device's ID, or "Device not
// removed" (with what is missing when the user is no administrator).
void DescribeFailure(const Failure& failure, int32_t isAdministrator, const char16_t** caption,
                     char16_t* text, uint32_t units);
// The same as one line, for standard error: line breaks become blanks, and
// the device's ID stands behind where the box does not name it.
void DescribeFailureLine(const Failure& failure, int32_t isAdministrator, char16_t* line,
                         uint32_t units);
// No owner, the error icon, OK only; waits for the answer. None for a
// removal that never reached the class installer.
void ShowFailureBox(const Failure& failure);
// Why nothing was changed: "ComDB is longer than 4096 ports; nothing was
// changed" and the like; empty for kChangeAllowed.
const char16_t* RefusalText(ChangeRefusal refusal);
