// Naming a received button, growing the button combination, finding the application in front
// and running the bound function.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

// Handles one accepted code (from the 100 ms tick or a replayed button sequence).
void ProcessButtonCode(std::int64_t code);
// The application whose main window is in front, else the frontmost known application's; ""
// when none. Refreshes the Wnd of every application entry. The text lives in the run-time state
// until the next call.
std::string_view GetForegroundApplication();
// Callback of EnumWindows for GetForegroundApplication.
BOOL CALLBACK EnumWindowsProc(HWND window, LPARAM param);
