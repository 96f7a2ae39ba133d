// Closing kernel object handles.
#pragma once

#include "win32/types.h"

BOOL WINAPI CloseHandle(HANDLE hObject);
