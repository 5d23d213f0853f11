#include "app/trace.h"

void Trace(int, const char*, ...) {}
