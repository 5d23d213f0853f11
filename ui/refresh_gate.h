// Keeps a refresh or the shutdown from releasing the models under a running
// command.
//
// A command that holds device records, or shows a message box from inside a
// list notification, runs between BeginModelUse and EndModelUse. A message
// box runs its own message loop, so the refresh timer may expire, or the
// window be closed, meanwhile; either is held back and run once the
// outermost use ends.
#pragma once

#include <stdint.h>

const int32_t kRefreshDue = 1;
const int32_t kCloseDue = 2;

void BeginModelUse();
// What came due during the use and should run now: kRefreshDue, kCloseDue,
// both or neither. Nothing while an outer use is still running.
int32_t EndModelUse();
// 1 when it may run now; otherwise it is remembered for EndModelUse.
int32_t RefreshMayRunNow();
int32_t CloseMayRunNow();
