// Events, mutexes, waiting and interlocked operations (kernel32).
#pragma once

#include "win32/types.h"

#define INFINITE 0xFFFFFFFF

#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

#ifndef ERROR_NOT_OWNER
#define ERROR_NOT_OWNER 288L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName);
BOOL WINAPI ReleaseMutex(HANDLE hMutex);

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

#include "interlocked.h"
