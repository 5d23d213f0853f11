// The About box: the program's name, platform and version, and a link to
// its web page.
#pragma once

#include <windows.h>

#include <stdint.h>

// What the box takes from the window that opens it.
struct AboutBoxOwner {
  HWND window;            // the owner: the box is centred on it
  HICON largeIcon;        // the program's large window icon
  int32_t largeIconSize;  // its edge in pixels
  // The program's cursor routine, which shows a system cursor over its
  // windows: the hand over the link.
  void (*setCursor)(HWND window, LPCWSTR cursorId, int32_t nudge);
};

// Modal, owned by the given window.
void ShowAboutBox(const AboutBoxOwner& owner);
// The link's underlined font is created once for the process; the main
// window's shutdown deletes it.
void DeleteAboutLinkFont();
