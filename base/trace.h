// The trace hook: callers mark events with a level (1 or 3); there is no log,
// so it produces no output anywhere.
#pragma once

void Trace(int level, const char* format, ...);
