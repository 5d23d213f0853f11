// The Windows entry point: the start-up in app_main.cpp reads what the
// system passes itself, so the shim only hands over.
#include <windows.h>

#include "app/app_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { EntryPoint(); }
