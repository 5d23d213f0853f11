// Whether the program runs under Wine, for the few places where Wine does
// not do what Windows does and the program works around it there only.
#pragma once

bool RunningOnWine();
// Whether a loaded module is one of Wine's own builtin libraries, which
// carry that mark in their DOS header (never true on Windows).
bool IsWineBuiltin(const void* module);
