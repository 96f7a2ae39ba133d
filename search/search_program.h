// The search program's entry.
#pragma once

#include <windows.h>

// Help and usage: the box, exit code 0, no window; otherwise the search window until it closes.
extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
