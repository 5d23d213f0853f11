// Text for a file or a pipe in a code page, as varnick.exe and varnick.com
// write it. Binds nothing but the kernel's library: varnick.com, which has
// no C runtime, uses it as it stands.
#pragma once

#include <windows.h>

// The bytes of text in the code page, as WideCharToMultiByte counts and
// writes them (size 0: only counted); 0 when it cannot be encoded.
int EncodeInCodePage(UINT page, const wchar_t* text, int units, char* bytes, int size);
