// A program folder whose buttons run five-key commands of "System", and a fake receiver library
// that hands out one code per read: shared by the tick tests and the benchmark.
#pragma once

#include "records.h"

#include <win32sim/machine.h>
#include <win32sim/modules.h>

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace tick_rig {

constexpr const char* kProgramPath = "C:\\Tavrin RC\\Tavrin RC.exe";
constexpr std::int64_t kFirstCode = 0x1230;
constexpr int kStepsPerCommand = 5;

// The code of button i.
constexpr std::int64_t CodeOf(int button) {
    return kFirstCode + button;
}

// The durations the library hands out on its next read; none when length is 0. Fixed storage,
// so that reading a code allocates nothing.
struct PendingCode {
    BYTE durations[255] = {};
    INT length = 0;
};
inline PendingCode pending;

// Queues the bi-phase durations of a code (short 10, long 20): a repeated bit is two shorts, a
// changed bit one long; the leading 1 is implied.
inline void QueueCode(std::int64_t code) {
    const auto bits = static_cast<std::uint64_t>(code);
    int top = 63;
    while (top > 0 && !(bits >> top & 1))
        --top;
    INT n = 0;
    std::uint64_t bit = 1;
    for (int i = top - 1; i >= 0; --i) {
        const std::uint64_t b = bits >> i & 1;
        if (b == bit) {
            pending.durations[n++] = 10;
            pending.durations[n++] = 10;
        } else {
            pending.durations[n++] = 20;
            bit = b;
        }
    }
    pending.length = n;
}

inline INT WINAPI FakeGetInfraCode(BYTE* buffer, INT size, INT* len) {
    *len = 0;
    if (pending.length > 0 && pending.length <= size) {
        for (INT i = 0; i < pending.length; ++i)
            buffer[i] = pending.durations[i];
        *len = pending.length;
    }
    pending.length = 0;
    return 0;
}
inline INT WINAPI FakeEEPROMRead(BYTE, BYTE*) {
    return 0;
}
inline INT WINAPI FakeEEPROMWrite(BYTE, BYTE) {
    return 0;
}
inline INT WINAPI FakeSetDataPortDirection(BYTE) {
    return 0;
}
inline INT WINAPI FakeSetOutDataPort(BYTE) {
    return 0;
}

template <class F>
FARPROC Export(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

inline void RegisterFakeReceiver() {
    pending = PendingCode{};
    win32sim::ModuleSpec spec;
    spec.fileName = "VarnUSB.dll";
    spec.exports = {{"DoGetInfraCode", 0, Export(&FakeGetInfraCode)},
                    {"DoEEPROMRead", 0, Export(&FakeEEPROMRead)},
                    {"DoEEPROMWrite", 0, Export(&FakeEEPROMWrite)},
                    {"DoSetDataPortDirection", 0, Export(&FakeSetDataPortDirection)},
                    {"DoSetOutDataPort", 0, Export(&FakeSetOutDataPort)}};
    win32sim::RegisterModule(spec);
}

// Writes a file of the simulated machine, creating its folders; false when it cannot.
inline bool WriteFile(const std::string& windowsPath, const std::string& bytes) {
    const std::filesystem::path host = win32sim::HostPath(windowsPath);
    if (host.empty())
        return false;
    std::error_code ignored;
    std::filesystem::create_directories(host.parent_path(), ignored);
    std::ofstream out(host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

template <class T>
void Append(std::string& bytes, const T& record) {
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// Names longer than a short string keeps in place, so that a copy of one on the button road
// shows as an allocation.
inline std::string ButtonName(int button) {
    return "Channel button number " + std::to_string(button);
}
inline std::string CommandName(int button) {
    return "Keys command number " + std::to_string(button);
}

// The command bound to button i: five key events (a key down and up, twice, and one more down).
inline std::vector<TCmdStep> KeyCommand(int button) {
    std::vector<TCmdStep> steps;
    for (int k = 0; k < kStepsPerCommand; ++k) {
        TCmdStep s{};
        if (k == 0)
            SetField(s.Name, CommandName(button));
        s.Step = static_cast<std::int16_t>(k + 1);
        s.StepCount = kStepsPerCommand;
        s.CmdType = 7; // keybd
        SetField(s.Param1, std::to_string('A' + k / 2));
        SetField(s.Param2, k % 2 ? std::to_string(KEYEVENTF_KEYUP) : "0");
        steps.push_back(s);
    }
    return steps;
}

// The configuration, the code and application tables, and the default function and command
// files of "System" with one key command per button, written into the program folder.
inline bool WriteProgramFiles(int buttons) {
    const std::string folder = "C:\\Tavrin RC\\";
    std::string codes, appls, funcs, cmds;
    TApplEntry system{};
    SetField(system.Name, "System");
    Append(appls, system);
    for (int i = 0; i < buttons; ++i) {
        TCodeEntry c{};
        SetField(c.Name, ButtonName(i));
        c.Code = CodeOf(i);
        Append(codes, c);
        TFuncEntry f{};
        SetField(f.CmdName, CommandName(i));
        f.RcMode = 4; // every mode but hold
        SetField(f.Keys, "\"" + ButtonName(i) + "\"");
        Append(funcs, f);
        for (const TCmdStep& s : KeyCommand(i))
            Append(cmds, s);
    }
    // The command's name is not shown on every press: its picture is read from disk each time.
    return WriteFile(folder + "config.ini",
                     "[Tuning]\r\npassed=1\r\n[Interface]\r\nshowcmdtext=0\r\n") &&
           WriteFile(folder + "Bin\\defcode.bin", codes) &&
           WriteFile(folder + "Bin\\defappl.bin", appls) &&
           WriteFile(folder + "Bin\\deffuncSystem.bin", funcs) &&
           WriteFile(folder + "Bin\\defcmdSystem.bin", cmds);
}

} // namespace tick_rig
