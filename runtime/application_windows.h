// Other applications' windows and processes: learning a window class, activating or starting
// an application, dropping files on its window, and running the search program.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <cstdint>
#include <string>

// The Wnd field of an application entry holds a window handle as a 32-bit number.
HWND WndHandle(std::int32_t wnd);
std::int32_t WndValue(HWND window);

// Starts the program and gives the class of its first visible window (else of the window under
// the cursor); the program is ended again. "" when it did not start.
std::string LearnWindowClass(const std::string& commandLine);
// Callback of EnumThreadWindows: learns a class (EnumApplIndex -1) or finds the window of the
// application EnumApplIndex.
BOOL CALLBACK EnumThreadWindowsProc(HWND window, LPARAM param);
// Brings the application's window to the front, or starts it and finds its window; drops the
// files on it when given. True when it has a window (and the files were dropped).
bool ActivateApplication(std::int32_t index, const TStringList* files);
// Starts the search program ("auto" when unattended) and waits until its window is gone; true
// when it started and became ready for input.
bool RunSearchProgram(std::uint8_t unattended);
// Posts WM_DROPFILES with the names to the window; true when posted.
bool DropFilesToWindow(HWND window, const TStringList& files);
