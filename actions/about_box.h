// The About box: the program's name, platform and version, and a link to
// its web page.
#pragma once

#include <windows.h>

// Modal, owned by the given window.
void ShowAboutBox(HWND owner);
// The link's underlined font is created once for the process; the main
// window's shutdown deletes it.
void DeleteAboutLinkFont();
