// The system's dialogs that choose a file to write or to read, owned by a
// window: a number plan's file, here.
#pragma once

#include <windows.h>

#include <stdint.h>

const uint32_t kChosenPathUnits = 1024;

// The Save dialog: path holds the name it starts with, and then the path
// chosen; an existing file is written only once the user has agreed. 0
// when cancelled.
int32_t ChooseFileToSave(HWND owner, const char16_t* title, char16_t* path, uint32_t units);
// The Open dialog: a file that exists. 0 when cancelled.
int32_t ChooseFileToOpen(HWND owner, const char16_t* title, char16_t* path, uint32_t units);
