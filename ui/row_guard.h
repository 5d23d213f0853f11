// The one guard of the port list's rows.
//
// Rows carry pointers to device records, and commands hold row indices and
// records while they work. Every message box runs its own message loop and
// has no owner, so the whole window stays live while one is up: the refresh
// timer may expire, the user may click a header, a button or a check box,
// or close the window. Work that holds rows therefore runs between
// TryBeginRowWork and EndRowWork; meanwhile
//  - a refresh or a close that comes due is held back and reported by the
//    EndRowWork that ends the outermost work, to be run once afterwards;
//  - any other row work (a sort, a check-box edit, a row command) is refused.
// Everything that rebuilds, reorders or edits rows asks here first.
#pragma once

#include <stdint.h>

const int32_t kRefreshDue = 1;
const int32_t kCloseDue = 2;

// 1 when the work may start (and has started); 0 when rows are in use.
int32_t TryBeginRowWork();
// Ends work begun by TryBeginRowWork. Returns what came due meanwhile
// (kRefreshDue, kCloseDue, both or neither); nothing while outer work runs.
int32_t EndRowWork();
int32_t RowsInUse();
// 1 when a refresh, or the close, may run now; otherwise it is remembered
// for EndRowWork.
int32_t RefreshMayRunNow();
int32_t CloseMayRunNow();
