#include "ui/refresh_gate.h"

// GUI thread only.
static int32_t modelUsers = 0;
static int32_t heldBack = 0;

void BeginModelUse() { modelUsers++; }

int32_t EndModelUse() {
  if (modelUsers > 0) modelUsers--;
  if (modelUsers > 0) return 0;
  int32_t due = heldBack;
  heldBack = 0;
  return due;
}

static int32_t MayRunNow(int32_t what) {
  if (modelUsers == 0) return 1;
  heldBack |= what;
  return 0;
}

int32_t RefreshMayRunNow() { return MayRunNow(kRefreshDue); }
int32_t CloseMayRunNow() { return MayRunNow(kCloseDue); }
