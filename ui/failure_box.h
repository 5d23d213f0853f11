// The message box that shows a failure of a change to the system where a
// person is at the screen: the window's, and batch mode's where one is seen.
#pragma once

#include "core/failure.h"

// No owner, the error icon, OK only; waits for the answer. None for a
// removal that never reached the class installer. administrator: whether
// the process has the rights it would need (the box says so when not).
void ShowFailureBox(const Failure& failure, bool administrator);
