// Copying one text to the clipboard.
#pragma once

#include <stdint.h>

#include <windows.h>

// Puts the zero-terminated text on the clipboard as Unicode text, opened
// for the owner window; 1 when it is there. Another program may hold the
// clipboard: opening it is retried for about a second before the copy
// gives up, leaving the clipboard as it was.
int32_t TextBufferToClipboard(HWND owner, const char16_t* text);
