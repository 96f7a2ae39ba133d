// Opening documents, and the handle of a drop (shell32).
#pragma once

#include "win32/gdi32.h"
#include "win32/types.h"
#include "win32/user32.h"

// Errors ShellExecuteA reports as its result (a result above 32 is success).
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

typedef struct HDROP__* HDROP;

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd);
