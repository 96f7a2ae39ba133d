// The host's stand-in for the kernel's driver header: the kernel subset WDM drivers use.
#pragma once

#include "kernel/types.h"
#include "kernel/status.h"
#include "kernel/sync.h"
#include "kernel/memory.h"
#include "kernel/power.h"
#include "kernel/io.h"
