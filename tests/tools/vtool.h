// Shared parts of the test tree's vtool.exe.
#pragma once

#include <windows.h>

#include <string>

void PrintUtf8(const std::wstring& text);
// True for Varnick's main window: a dialog holding the port list.
bool IsMainWindow(HWND window);
// The window commands (window, list, point, hpoint, rects, menu, devchange,
// post); -1 when argv names none of them.
int WindowCommand(int argc, wchar_t** argv);
// The commands on clipboard, About box, menus and other windows
// (vtool_actions.cpp); -1 when argv names none of them.
int ActionCommand(int argc, wchar_t** argv);
