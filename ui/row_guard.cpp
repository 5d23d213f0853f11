#include "ui/row_guard.h"

// GUI thread only.
static int32_t rowWork = 0;
static int32_t heldBack = 0;

int32_t TryBeginRowWork() {
  if (rowWork != 0) return 0;
  rowWork = 1;
  return 1;
}

int32_t EndRowWork() {
  if (rowWork == 0) return 0;
  rowWork = 0;
  int32_t due = heldBack;
  heldBack = 0;
  return due;
}

int32_t RowsInUse() { return rowWork; }

static int32_t MayRunNow(int32_t what) {
  if (rowWork == 0) return 1;
  heldBack |= what;
  return 0;
}

int32_t RefreshMayRunNow() { return MayRunNow(kRefreshDue); }
int32_t CloseMayRunNow() { return MayRunNow(kCloseDue); }
