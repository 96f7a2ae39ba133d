// Step types that start programs, show lists and input, and drive timer, volume and system.
#include "application_windows.h"
#include "cmd_func_files.h"
#include "command_steps.h"
#include "favourites.h"
#include "keyword_lists.h"
#include "language.h"
#include "osd.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <toolkit.h>
#include <windows.h>

#include <optional>

namespace {

constexpr auto kShutdownWarning = cp1251::Literal("Выключение компьютера!!!");
constexpr BYTE kUpArrow = 0x26;
constexpr std::int64_t kVolumeUnit = 655; // one hundredth of a channel's full range
constexpr std::int64_t kChannelMax = 0xFFFF;
const HWAVEOUT kWaveOutDevice0 = nullptr;

// One press and one release of the Up-arrow key, so that the chooser marks its first line.
void PressUp() {
    keybd_event(kUpArrow, 0, 0, 0);
    keybd_event(kUpArrow, 0, KEYEVENTF_KEYUP, 0);
}

std::string FavoriteGroup(std::int32_t row) {
    return FieldText(Runtime.FAVORITE[row].Keyword);
}

bool IsFavoriteRow(std::int32_t row) {
    return row >= 0 && row < FavoriteCount;
}

std::int32_t ApplIndexByName(const std::string& name) {
    const TRuntimeState& rt = Runtime;
    for (std::int32_t i = 0; i < rt.ApplCount && i < static_cast<std::int32_t>(rt.ApplTable.size());
         ++i)
        if (AnsiSameText(FieldText(rt.ApplTable[i].Name), name))
            return i;
    return -1;
}

std::int16_t ShowPendingList() {
    Runtime.PendingList = 1;
    OsdShowList(Runtime.WorkList);
    return StepSuspend;
}

void EnableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
}

} // namespace

std::int16_t StepRunAppl(const std::string& P1) {
    TRuntimeState& rt = Runtime;
    std::int32_t g = IntValue(P1);
    bool ok = false;
    if (g == -1 && rt.ListKind == -1) {
        const std::int32_t j = ApplIndexByName(rt.TextBuffer);
        if (j >= 0 && ActivateApplication(j, nullptr)) {
            ok = true;
            OsdShowText(FieldText(rt.ApplTable[j].Name), "runappl");
        }
        return ok ? StepNext : StepStop;
    }
    std::optional<TStringList> files;
    if (g == -1) {
        files.emplace();
        if (!LoadPlaylist(rt.ListKind != 0, rt.TextBuffer, *files))
            return StepStop;
        g = rt.ListKind;
        rt.NumberBuffer = -1.0f;
    }
    if (!IsFavoriteRow(g))
        return StepStop;
    LoadFavorites(FavoriteGroup(g), rt.WorkList);
    if (rt.WorkList.Count() == 0)
        return StepStop;
    // The list is read from a copy: activating a program may use the scratch list.
    TStringList favourites;
    favourites.Assign(rt.WorkList);
    std::int32_t k = rt.NumberBuffer < 0.0f ? 0 : Truncate(rt.NumberBuffer);
    for (; k < favourites.Count() && !ok; ++k) {
        for (std::int32_t j = 0;
             j < rt.ApplCount && j < static_cast<std::int32_t>(rt.ApplTable.size()); ++j) {
            if (!AnsiSameText(FieldText(rt.ApplTable[j].Name), favourites[k]))
                continue;
            if (ActivateApplication(j, files ? &*files : nullptr)) {
                ok = true;
                OsdShowText(favourites[k], "runappl");
                break;
            }
        }
    }
    return ok ? StepNext : StepStop;
}

std::int16_t StepTime() {
    OsdShowClock(true);
    return StepNext;
}

std::int16_t StepMode(const std::string& P1) {
    Runtime.RcMode = static_cast<std::int16_t>(IntValue(P1));
    if (Runtime.RcMode == 0)
        OsdShowText(GetLangText("Msg", "msg_remotehold"), "rchold");
    return StepNext;
}

std::int16_t StepSystemShutdown() {
    TRuntimeState& rt = Runtime;
    if (rt.NumberBuffer == 0.0f) {
        OsdShowText(std::string(kShutdownWarning.view()), "warning");
        EnableShutdownPrivilege();
        ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0);
        return StepNext;
    }
    if (rt.NumberBuffer == -1.0f) {
        rt.WorkList.Clear();
        rt.WorkList.Add(GetLangText("ConfirmOff", "Yes"));
        rt.WorkList.Add(GetLangText("ConfirmOff", "No"));
        ShowPendingList();
        PressUp();
        return StepSuspend;
    }
    return StepNext;
}

std::int16_t StepTimer() {
    TRuntimeState& rt = Runtime;
    if (rt.NumberBuffer > 0.0f) {
        rt.SleepTimer = Truncate(rt.NumberBuffer);
    } else {
        rt.SleepTimer = -1;
        rt.TimerDisplay = 0;
    }
    return StepSuspend;
}

std::int16_t StepShowTimer() {
    Runtime.TimerDisplay = Runtime.TimerDisplay ? 0 : 1;
    return StepNext;
}

std::int16_t StepShowFavorites(const std::string& P1) {
    const std::int32_t row = IntValue(P1);
    if (IsFavoriteRow(row))
        LoadFavorites(FavoriteGroup(row), Runtime.WorkList);
    return ShowPendingList();
}

std::int16_t StepShowFunction(std::int32_t applIndex) {
    TRuntimeState& rt = Runtime;
    std::string appl = SystemApplName;
    if (applIndex >= 0 && applIndex < rt.ApplCount &&
        applIndex < static_cast<std::int32_t>(rt.ApplTable.size()))
        appl = FieldText(rt.ApplTable[applIndex].Name);
    LoadFuncGrid(appl, false, nullptr, &rt.WorkList);
    OsdShowList(rt.WorkList);
    rt.PendingList = 1;
    rt.ReplayRequest = 1;
    return StepSuspend;
}

std::int16_t StepShowRuning() {
    TRuntimeState& rt = Runtime;
    for (std::int32_t i = 0; i < rt.ApplCount && i < static_cast<std::int32_t>(rt.ApplTable.size());
         ++i)
        if (rt.ApplTable[i].Wnd != 0)
            rt.WorkList.Add(FieldText(rt.ApplTable[i].Name));
    return ShowPendingList();
}

std::int16_t StepShowTimerMode() {
    TRuntimeState& rt = Runtime;
    if (!rt.KeywordsLoaded)
        LoadKeywordLists();
    rt.WorkList.Clear();
    for (const TKeyword& k : rt.TIMERMODE)
        rt.WorkList.Add(FieldText(k.Text));
    ShowPendingList();
    PressUp();
    return StepSuspend;
}

std::int16_t StepInputNumber(const std::string& P1) {
    Runtime.PendingInput = 1;
    OsdShowInput(static_cast<std::int16_t>(IntValue(P1)));
    return StepSuspend;
}

std::int16_t StepSetVolume(const std::string& P1, const std::string& P2) {
    TRuntimeState& rt = Runtime;
    if (rt.VolumeKind != 2 && rt.VolumeKind != 3)
        return StepNext;
    const bool mute = AnsiSameText(P1, "Mute");
    DWORD v = 0;
    if (rt.VolumeMuted)
        v = rt.VolumeBeforeMute;
    else
        waveOutGetVolume(kWaveOutDevice0, &v);

    std::int64_t left = 0;
    std::int64_t right = 0;
    if (mute && !rt.VolumeMuted) {
        rt.VolumeBeforeMute = v;
        v = 0;
        rt.VolumeMuted = 1;
    } else {
        if (rt.VolumeMuted) {
            OsdShowText(GetLangText("Msg", "msg_unmute"), "Vol");
            rt.VolumeMuted = 0;
        }
        const std::int64_t step = static_cast<std::int64_t>(IntValue(P2)) * kVolumeUnit;
        left = v & 0xFFFF;
        right = rt.VolumeKind == 2 ? 0 : (v >> 16) & 0xFFFF;
        auto change = [&](std::int64_t channel) {
            const std::int64_t c = AnsiSameText(P1, "Volume +") ? channel + step : channel - step;
            return c < 0 ? 0 : (c > kChannelMax ? kChannelMax : c);
        };
        left = change(left);
        if (rt.VolumeKind != 2)
            right = change(right);
        v = static_cast<DWORD>(right * 65536 + left);
        if (!mute)
            rt.RepeatCountdown = 0;
    }
    waveOutSetVolume(kWaveOutDevice0, v);
    if (rt.VolumeMuted)
        OsdShowText(GetLangText("Msg", "msg_mute"), "Mute");
    else
        OsdShowBar(GetLangText("Msg", "msg_volume"),
                   static_cast<std::int32_t>((left > right ? left : right) / kVolumeUnit), "Vol");
    return StepNext;
}

std::int16_t StepShowPlaylist(const std::string& P1) {
    TRuntimeState& rt = Runtime;
    rt.ListKind = static_cast<std::int16_t>(IntValue(P1));
    LoadPlaylistIndex(rt.ListKind, rt.WorkList);
    OsdShowList(rt.WorkList);
    rt.PendingList = 1;
    return StepSuspend;
}
