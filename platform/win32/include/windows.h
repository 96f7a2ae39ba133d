// The host's stand-in for the Windows umbrella header: the user-mode subset the system uses.
#pragma once

#include "win32/types.h"
#include "win32/errors.h"
#include "win32/handles.h"
#include "win32/files.h"
#include "win32/devices.h"
#include "win32/synch.h"
#include "win32/profile.h"
#include "win32/clock.h"
#include "win32/locale.h"
#include "win32/modules.h"
#include "win32/gdi32.h"
#include "win32/user32.h"
#include "win32/shell32.h"
#include "win32/processes.h"
#include "win32/system.h"
#include "win32/winmm.h"
