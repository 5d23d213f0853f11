#include "ui/failure_box.h"

#include "core/failure_report.h"
#include "platform/os.h"

void ShowFailureBox(const Failure& failure, bool administrator) {
  // A removal that never reached the installer has always failed silently.
  if (failure.kind == kNoFailure || failure.kind == kRemovalNotStarted) return;
  const char16_t* caption;
  char16_t text[kFailureTextUnits];
  DescribeFailure(failure, administrator, &caption, text, kFailureTextUnits);
  OsMessageBox(0, text, caption, kOsMbOk | kOsMbIconError);
}
