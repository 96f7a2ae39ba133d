// Naming a received button, growing the button combination, finding the application in front
// and running the bound function.
#include "button_dispatch.h"

#include "application_windows.h"
#include "command_executor.h"
#include "function_lookup.h"
#include "language.h"
#include "osd.h"
#include "runtime_state.h"

#include <toolkit.h>

#include <cstring>

namespace {

// The class of the window in front is read with room for 48 characters only.
constexpr int kForegroundClassRoom = 49;
constexpr std::int16_t kMaxButtons = 3;

// The first application entry of the class; -1 when none. A class that could not be read
// names no application.
std::int32_t ApplOfClass(const char* className) {
    const TRuntimeState& rt = Runtime;
    if (className[0] == 0)
        return -1;
    for (std::int32_t i = 0; i < rt.ApplCount && i < static_cast<std::int32_t>(rt.ApplTable.size());
         ++i)
        if (AnsiSameText(FieldView(rt.ApplTable[i].ClassName), className))
            return i;
    return -1;
}

void ReadClass(HWND window, int room) {
    char* buffer = Runtime.ClassBuffer;
    if (GetClassNameA(window, buffer, room) <= 0)
        buffer[0] = 0;
    buffer[sizeof Runtime.ClassBuffer - 1] = 0;
}

void ResetCombination() {
    TRuntimeState& rt = Runtime;
    rt.ComboAppl.clear();
    rt.ButtonCombination[0] = 0;
    rt.ComboPrevCode = 0;
    rt.ComboCount = 0;
}

// The binding for the combination: the chosen application first, then every running one, then
// "System".
std::int16_t FindForCombination() {
    TRuntimeState& rt = Runtime;
    const std::string_view combination = FieldView(rt.ButtonCombination);
    if (!rt.ComboAppl.empty()) {
        const std::int16_t slot = FindButtonFunc(rt.ComboAppl, combination);
        if (slot != -1)
            return slot;
    }
    for (std::int32_t i = 1; i < rt.ApplCount && i < static_cast<std::int32_t>(rt.ApplTable.size());
         ++i) {
        if (rt.ApplTable[i].Wnd == 0)
            continue;
        const std::int16_t slot = FindButtonFunc(FieldView(rt.ApplTable[i].Name), combination);
        if (slot != -1)
            return slot;
    }
    return FindButtonFunc(SystemApplName, combination);
}

} // namespace

void ProcessButtonCode(std::int64_t code) {
    TRuntimeState& rt = Runtime;
    if (rt.ComboPrevCode > 0 && code == rt.ComboPrevCode)
        return;
    rt.ButtonName[0] = 0;
    bool named = false;
    for (std::int32_t i = 0; i < rt.CodeCount && i < static_cast<std::int32_t>(rt.CodeTable.size());
         ++i)
        if (rt.CodeTable[i].Code == code) {
            SetField(rt.ButtonName, FieldView(rt.CodeTable[i].Name));
            named = true;
            break;
        }
    if (!named)
        return;

    rt.ComboCountdown = rt.ComboTimeout;
    rt.ComboPrevCode = code;
    // Built in place: the button road allocates nothing. An expression longer than the buffer is
    // cut; it can match no binding either way.
    char combination[sizeof rt.ButtonCombination + sizeof rt.ButtonName + 3];
    const std::string_view before = FieldView(rt.ButtonCombination);
    const std::string_view name = FieldView(rt.ButtonName);
    std::size_t n = before.size();
    std::memcpy(combination, before.data(), n);
    if (n != 0)
        combination[n++] = '+';
    combination[n++] = '"';
    std::memcpy(combination + n, name.data(), name.size());
    n += name.size();
    combination[n++] = '"';
    SetField(rt.ButtonCombination, std::string_view(combination, n));
    ++rt.ComboCount;

    if (rt.ComboAppl.empty() || rt.ComboAppl == SystemApplName)
        rt.ComboAppl = GetForegroundApplication();

    rt.ComboFuncSlot = FindForCombination();
    if (rt.ComboFuncSlot == -1) {
        if (rt.RcMode != 0) {
            OsdShowText(rt.ButtonCombination, "keylist");
            if (rt.ComboCount < kMaxButtons)
                return;
        } else {
            OsdShowText(GetLangText("Msg", "msg_remotehold"), "rchold");
        }
        ResetCombination();
        return;
    }

    if (rt.showcmdtext)
        OsdShowText(FieldText(rt.FuncCache[rt.ComboFuncSlot].Func.CmdName), "keylist");
    ExecuteFunction(rt.ComboFuncSlot);
    rt.ComboFuncSlot = -1;
    ResetCombination();
    rt.NumberBuffer = -1.0f;
    rt.TextBuffer[0] = 0;
}

std::string_view GetForegroundApplication() {
    TRuntimeState& rt = Runtime;
    rt.FoundAppl[0] = 0;
    // With no window in front nothing is matched here: the enumeration decides.
    if (HWND w = GetForegroundWindow()) {
        ReadClass(w, kForegroundClassRoom);
        const std::int32_t i = ApplOfClass(rt.ClassBuffer);
        if (i >= 0)
            SetField(rt.FoundAppl, FieldView(rt.ApplTable[i].Name));
    }
    for (TApplEntry& e : rt.ApplTable)
        e.Wnd = 0;
    EnumWindows(EnumWindowsProc, 1);
    return FieldView(rt.FoundAppl);
}

BOOL CALLBACK EnumWindowsProc(HWND window, LPARAM param) {
    TRuntimeState& rt = Runtime;
    ReadClass(window, sizeof rt.ClassBuffer);
    const std::int32_t i = ApplOfClass(rt.ClassBuffer);
    if (i >= 0) {
        if (rt.FoundAppl[0] == 0)
            SetField(rt.FoundAppl, FieldView(rt.ApplTable[i].Name));
        rt.ApplTable[i].Wnd = WndValue(window);
    }
    return param != 0;
}
