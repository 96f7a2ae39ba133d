// Finding the binding of a button expression for an application, and the function cache.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The RC-mode keyword "nohold": matches every mode but hold.
constexpr std::int16_t RcModeNoHold = 4;

// A binding of bindingMode applies in the current mode.
bool RcModeMatches(std::int16_t bindingMode, std::int16_t currentMode);

// The FuncCache slot holding the binding of expression for the application in the current RC
// mode, looked up in the cache, then in the user and the default function file; -1 when none.
std::int16_t FindButtonFunc(std::string_view applName, std::string_view expression);

// The slot to reuse when all are used: idle slots only, the least used first; -1 when no slot
// is idle.
std::int32_t PickCacheSlot();
