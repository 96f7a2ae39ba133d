// Slots of the function cache and the command cache.
#pragma once

#include "records.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// A binding found recently; the used slots are always a prefix of FuncCache.
struct TFuncCacheSlot {
    char ApplName[28];    // empty: the slot is free
    std::int32_t CmdSlot; // CmdCache slot of the command's first step; -1 none
    std::int32_t Active;  // -1 idle; otherwise the steps done of the suspended run
    std::int32_t Hits;
    TFuncEntry Func;
};

// One step of a command held in CmdCache; a command fills StepCount consecutive slots.
struct TCmdCacheSlot {
    char ApplName[28];     // empty: the slot is free
    std::int32_t Hits;     // kept on the first step's slot
    std::int32_t FuncSlot; // FuncCache slot pointing here; -1 none
    TCmdStep Step;
};

#pragma pack(pop)

static_assert(sizeof(TFuncCacheSlot) == 144);
static_assert(offsetof(TFuncCacheSlot, ApplName) == 0);
static_assert(offsetof(TFuncCacheSlot, CmdSlot) == 28);
static_assert(offsetof(TFuncCacheSlot, Active) == 32);
static_assert(offsetof(TFuncCacheSlot, Hits) == 36);
static_assert(offsetof(TFuncCacheSlot, Func) == 40);

static_assert(sizeof(TCmdCacheSlot) == 168);
static_assert(offsetof(TCmdCacheSlot, ApplName) == 0);
static_assert(offsetof(TCmdCacheSlot, Hits) == 28);
static_assert(offsetof(TCmdCacheSlot, FuncSlot) == 32);
static_assert(offsetof(TCmdCacheSlot, Step) == 36);
