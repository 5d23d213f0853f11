// Where the arguments begin in a command line. Nothing but the text itself:
// varnick.com, which has no runtime, skips its own program name by the
// same rules as the program it starts.
#pragma once

// The argument text inside commandLine, or a constant empty text; never null.
const char16_t* SkipProgramNameIn(const char16_t* commandLine);
