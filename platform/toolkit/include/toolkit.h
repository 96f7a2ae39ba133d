// Umbrella header of the GUI toolkit and its runtime library.
#pragma once

#include "toolkit/exceptions.h"
#include "toolkit/sysutils.h"
#include "toolkit/classes.h"
#include "toolkit/menus.h"
#include "toolkit/grids.h"
#include "toolkit/inifiles.h"
