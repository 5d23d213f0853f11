// Whether the program runs under Wine, for the few places where Wine does
// not do what Windows does and the program works around it there only.
#pragma once

bool RunningOnWine();
