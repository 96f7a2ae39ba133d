// Finding the binding of a button expression for an application, and the function cache.
#include "function_lookup.h"

#include "record_file.h"
#include "records.h"
#include "runtime_state.h"

#include <toolkit.h>

#include <cstring>

namespace {

constexpr int kFuncSlots = 20;

bool Matches(const TFuncEntry& f, std::string_view expression) {
    return f.Keys[0] != 0 && AnsiSameText(FieldView(f.Keys), expression) &&
           RcModeMatches(f.RcMode, Runtime.RcMode);
}

// Pass 1 over the user file notes every command it names, so that pass 2 over the default
// file skips all of that command's bindings.
bool SearchFile(const std::string& path, bool userPass, std::string_view expression,
                TFuncEntry& found) {
    TRecordReader<TFuncEntry> file(path);
    if (!file.IsOpen())
        return false;
    TFuncEntry f;
    while (file.Read(f)) {
        const std::string name = FieldText(f.CmdName);
        if (!userPass && Runtime.WorkList.IndexOf(name) >= 0)
            continue;
        if (Matches(f, expression)) {
            found = f;
            return true;
        }
        if (userPass)
            Runtime.WorkList.Add(name);
    }
    return false;
}

} // namespace

bool RcModeMatches(std::int16_t bindingMode, std::int16_t currentMode) {
    if (bindingMode == currentMode)
        return true;
    return bindingMode == RcModeNoHold && currentMode >= 1 && currentMode <= 3;
}

std::int16_t FindButtonFunc(std::string_view applName, std::string_view expression) {
    TRuntimeState& rt = Runtime;
    for (int i = 0; i < kFuncSlots; ++i) {
        TFuncCacheSlot& slot = rt.FuncCache[i];
        if (slot.ApplName[0] == 0)
            break;
        if (FieldView(slot.ApplName) == applName && Matches(slot.Func, expression)) {
            ++slot.Hits;
            return static_cast<std::int16_t>(i);
        }
    }

    rt.WorkList.Clear();
    TFuncEntry found{};
    if (!SearchFile(BinPath(std::string("userfunc").append(applName).append(".bin")), true,
                    expression, found) &&
        !SearchFile(BinPath(std::string("deffunc").append(applName).append(".bin")), false,
                    expression, found))
        return -1;

    std::int32_t index = -1;
    for (int i = 0; i < kFuncSlots && index < 0; ++i)
        if (rt.FuncCache[i].ApplName[0] == 0)
            index = i;
    if (index < 0)
        index = PickCacheSlot();
    if (index < 0)
        return -1;
    TFuncCacheSlot& slot = rt.FuncCache[index];
    SetField(slot.ApplName, applName);
    slot.Hits = 1;
    slot.CmdSlot = -1;
    slot.Active = -1;
    slot.Func = found;
    return static_cast<std::int16_t>(index);
}

std::int32_t PickCacheSlot() {
    TRuntimeState& rt = Runtime;
    std::int32_t chosen = -1;
    for (int i = 0; i < kFuncSlots; ++i) {
        const TFuncCacheSlot& slot = rt.FuncCache[i];
        if (slot.Active != -1)
            continue;
        if (slot.Hits <= 1) {
            chosen = i;
            break;
        }
        if (chosen < 0 || slot.Hits < rt.FuncCache[chosen].Hits)
            chosen = i;
    }
    if (chosen < 0)
        return -1;
    const std::int32_t cmd = rt.FuncCache[chosen].CmdSlot;
    if (cmd >= 0 && cmd < static_cast<std::int32_t>(rt.CmdCache.size()))
        rt.CmdCache[cmd].FuncSlot = -1;
    return chosen;
}
