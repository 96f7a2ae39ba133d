// Time: the tick count, the local time of day and sleeping (kernel32).
#pragma once

#include "win32/types.h"

DWORD WINAPI GetTickCount(void);
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
void WINAPI Sleep(DWORD dwMilliseconds);
