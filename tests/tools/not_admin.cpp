// Linked into the restricted test build of Varnick in place of the real
// administrator test: the only difference from the shipped program.
#include "platform/os.h"

bool IsUserAdmin() { return false; }
