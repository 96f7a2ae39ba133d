// Running a bound command step by step, with the command cache, suspension and resumption.
#pragma once

#include <cstdint>

// slot: a FuncCache slot to run afresh, or -1 to resume the suspended function (the variable
// then receives PendingFunc).
void ExecuteFunction(std::int16_t& slot);

// Frees at least needed slots behind firstFree by evicting idle, little-used commands and
// packing the table; the first free slot afterwards, or -1 when not enough could be freed.
std::int32_t EvictCmdCache(std::int32_t needed, std::int32_t firstFree);
