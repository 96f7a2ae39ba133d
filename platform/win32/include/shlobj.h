// The host's stand-in for the shell objects header: the block that WM_DROPFILES hands over.
#pragma once

#include <windows.h>

// The header of the drop block; the names follow at pFiles.
typedef struct _DROPFILES {
    DWORD pFiles;
    POINT pt;
    BOOL fNC;
    BOOL fWide;
} DROPFILES, *LPDROPFILES;
