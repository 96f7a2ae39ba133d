// Running a bound command step by step, with the command cache, suspension and resumption.
#include "command_executor.h"

#include "cmd_func_files.h"
#include "command_steps.h"
#include "record_file.h"
#include "records.h"
#include "runtime_state.h"

#include <toolkit.h>

#include <exception>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kCmdSlots = 200;
constexpr std::int32_t kFuncSlots = 20;
constexpr std::int32_t kGiveUpThreshold = 1000;

bool IsFree(const TCmdCacheSlot& s) {
    return s.ApplName[0] == 0;
}

// Every function slot that points at the command starting at index: the back-link names only
// the last one linked, but two bindings of one command share its steps.
bool CommandIsIdle(std::int32_t index) {
    const TRuntimeState& rt = Runtime;
    const std::int32_t link = rt.CmdCache[index].FuncSlot;
    if (link >= 0 && link < kFuncSlots && rt.FuncCache[link].Active != -1)
        return false;
    for (const TFuncCacheSlot& f : rt.FuncCache)
        if (f.ApplName[0] != 0 && f.CmdSlot == index && f.Active != -1)
            return false;
    return true;
}

void RelinkFunctions(std::int32_t from, std::int32_t to) {
    TRuntimeState& rt = Runtime;
    const std::int32_t link = rt.CmdCache[from].FuncSlot;
    if (link >= 0 && link < kFuncSlots)
        rt.FuncCache[link].CmdSlot = to;
    for (TFuncCacheSlot& f : rt.FuncCache)
        if (f.ApplName[0] != 0 && f.CmdSlot == from)
            f.CmdSlot = to;
}

// Reads the file's commands up to the one named name; true with its steps when it is there
// whole. Every other command's name goes to WorkList on the user pass; on the default pass the
// commands named in WorkList are passed over.
bool FindCommand(const std::string& path, bool userPass, const std::string& name,
                 std::vector<TCmdStep>& steps, bool& found) {
    TRecordReader<TCmdStep> file(path);
    if (!file.IsOpen())
        return false;
    while (ReadCommand(file, steps)) {
        const TCmdStep& first = steps.front();
        const std::string stepName = FieldText(first.Name);
        if (!userPass && Runtime.WorkList.IndexOf(stepName) >= 0)
            continue;
        if (first.StepCount != 0 && AnsiSameText(stepName, name)) {
            found = true;
            return true;
        }
        if (userPass)
            Runtime.WorkList.Add(stepName);
    }
    return false;
}

// A command cut short by the end of its file (or by the next command) is not taken: running
// part of it could leave out a closing key release or condition.
bool IsWhole(const std::vector<TCmdStep>& steps) {
    return steps.front().StepCount >= 1 &&
           static_cast<std::size_t>(steps.front().StepCount) == steps.size();
}

// Loads the command of the function slot into CmdCache at loadPos (making room when needed);
// its first slot, or -1.
std::int32_t LoadCommand(std::int16_t slot, std::int32_t loadPos) {
    TRuntimeState& rt = Runtime;
    TFuncCacheSlot& func = rt.FuncCache[slot];
    const std::string appl = FieldText(func.ApplName);
    const std::string name = FieldText(func.Func.CmdName);

    rt.WorkList.Clear();
    std::vector<TCmdStep> steps;
    bool found = false;
    if (!FindCommand(BinPath("usercmd" + appl + ".bin"), true, name, steps, found))
        FindCommand(BinPath("defcmd" + appl + ".bin"), false, name, steps, found);
    if (!found || !IsWhole(steps))
        return -1;

    const auto count = static_cast<std::int32_t>(steps.size());
    if (count > kCmdSlots - loadPos) {
        loadPos = EvictCmdCache(count, loadPos);
        if (loadPos < 0)
            return -1;
    }
    for (std::int32_t k = 0; k < count; ++k) {
        TCmdCacheSlot& c = rt.CmdCache[loadPos + k];
        SetField(c.ApplName, appl);
        c.Hits = 0;
        c.FuncSlot = slot;
        c.Step = steps[k];
    }
    return loadPos;
}

} // namespace

void ExecuteFunction(std::int16_t& slot) {
    TRuntimeState& rt = Runtime;
    const bool resume = slot == -1;
    if (resume) {
        slot = rt.PendingFunc;
        if (slot < 0 || slot >= kFuncSlots || rt.FuncCache[slot].Active == -1)
            return;
        // The settings dialog empties the caches on commit: the waiting command has gone.
        if (rt.FuncCache[slot].ApplName[0] == 0 || rt.FuncCache[slot].CmdSlot < 0) {
            rt.PendingFunc = -1;
            return;
        }
    } else if (slot < 0 || slot >= kFuncSlots || rt.FuncCache[slot].ApplName[0] == 0) {
        return;
    }
    TFuncCacheSlot& func = rt.FuncCache[slot];

    if (func.CmdSlot < 0 || func.CmdSlot >= kCmdSlots) {
        func.CmdSlot = -1;
        std::int32_t loadPos = 0;
        const std::string_view appl = FieldView(func.ApplName);
        const std::string_view name = FieldView(func.Func.CmdName);
        for (; loadPos < kCmdSlots; ++loadPos) {
            TCmdCacheSlot& c = rt.CmdCache[loadPos];
            if (IsFree(c))
                break;
            if (c.Step.Name[0] != 0 && AnsiSameText(FieldView(c.ApplName), appl) &&
                AnsiSameText(FieldView(c.Step.Name), name)) {
                func.CmdSlot = loadPos;
                c.FuncSlot = slot;
                break;
            }
        }
        if (func.CmdSlot < 0)
            func.CmdSlot = LoadCommand(slot, loadPos);
        if (func.CmdSlot < 0)
            return;
    }

    const std::int32_t first = func.CmdSlot;
    std::int32_t end = first + rt.CmdCache[first].Step.StepCount;
    if (end > kCmdSlots)
        end = kCmdSlots;
    std::int32_t s = first;
    if (resume && func.Active != -1) {
        s = first + func.Active;
        func.Active = -1;
        rt.PendingFunc = -1;
    } else {
        ++rt.CmdCache[first].Hits;
    }

    rt.StepApplIndex = -1;
    const std::string_view appl = FieldView(func.ApplName);
    for (std::int32_t i = 0; i < rt.ApplCount && i < static_cast<std::int32_t>(rt.ApplTable.size());
         ++i)
        if (AnsiSameText(FieldView(rt.ApplTable[i].Name), appl)) {
            rt.StepApplIndex = i;
            break;
        }

    try {
        while (s < end) {
            const TCmdStep& step = rt.CmdCache[s].Step;
            const std::int16_t r = ExecuteCommand(rt.StepApplIndex, step.CmdType,
                                                  FieldText(step.Param1), FieldText(step.Param2),
                                                  FieldText(step.Param3), FieldText(step.Param4));
            const bool last = s == end - 1;
            if (r == StepSuspend) {
                if (!last) {
                    rt.PendingFunc = slot;
                    rt.FuncCache[slot].Active = s - first + 1;
                }
                return;
            }
            if (r == StepStop)
                return;
            s += r == StepSkip ? 2 : 1;
        }
    } catch (const std::exception&) {
        // A failing step ends its command silently.
    }
}

std::int32_t EvictCmdCache(std::int32_t needed, std::int32_t firstFree) {
    TRuntimeState& rt = Runtime;
    std::int32_t deficit = needed - (kCmdSlots - firstFree);
    for (std::int32_t threshold = 1; deficit > 0 && threshold < kGiveUpThreshold; ++threshold) {
        for (std::int32_t i = 0; i < kCmdSlots; ++i) {
            const TCmdCacheSlot& c = rt.CmdCache[i];
            if (IsFree(c) || c.Step.Name[0] == 0 || c.Hits > threshold || !CommandIsIdle(i))
                continue;
            RelinkFunctions(i, -1);
            std::int32_t count = c.Step.StepCount < 1 ? 1 : c.Step.StepCount;
            if (count > kCmdSlots - i)
                count = kCmdSlots - i;
            deficit -= count;
            for (std::int32_t k = 0; k < count; ++k)
                rt.CmdCache[i + k] = TCmdCacheSlot{};
            break;
        }
    }

    for (std::int32_t i = 0; i < kCmdSlots - 1; ++i) {
        if (!IsFree(rt.CmdCache[i]))
            continue;
        std::int32_t j = i + 1;
        while (j < kCmdSlots && IsFree(rt.CmdCache[j]))
            ++j;
        if (j == kCmdSlots)
            break;
        if (rt.CmdCache[j].Step.Name[0] != 0)
            RelinkFunctions(j, i);
        rt.CmdCache[i] = rt.CmdCache[j];
        rt.CmdCache[j] = TCmdCacheSlot{};
    }
    if (deficit > 0)
        return -1;
    std::int32_t firstFreeAfter = 0;
    while (firstFreeAfter < kCmdSlots && !IsFree(rt.CmdCache[firstFreeAfter]))
        ++firstFreeAfter;
    return firstFreeAfter;
}
