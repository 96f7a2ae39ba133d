// Benchmarks of the tray program's road of a button press: decoding, the 100 ms tick with and
// without a code, with the caches warm and cold, and the eviction from a full command cache.
#include "command_executor.h"
#include "main_form.h"
#include "receiver_binding.h"
#include "runtime_state.h"
#include "tick_rig.h"

#include <toolkitsim/control.h>
#include <win32sim/machine.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A fresh simulated machine for each run of a benchmark (the simulator's log of synthesised keys
// only grows): drive C: on a temporary host folder, the program folder with its record files,
// the fake receiver library and the started main form.
class Machine {
public:
    Machine() {
        win32sim::ResetMachine();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "runtime-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            Fail("no temporary folder");
        hostRoot_ = pattern;
        win32sim::MapDrive('C', hostRoot_);
        win32sim::SetProgramPath(tick_rig::kProgramPath);
        toolkitsim::Reset();
        toolkitsim::SetScreen(1024, 768);
        ResetRuntimeState();
        tick_rig::RegisterFakeReceiver();
        if (!tick_rig::WriteProgramFiles(2))
            Fail("the program folder cannot be written");
        Application->CreateForm(FMain);
        if (!FMain)
            Fail("the main form did not start");
        FMain->tmrMainTimer(nullptr); // the first tick hides the form
    }
    ~Machine() {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        ResetRuntimeState();
        win32sim::ResetMachine();
        std::error_code ignored;
        std::filesystem::remove_all(hostRoot_, ignored);
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

private:
    [[noreturn]] static void Fail(const char* why) {
        std::fprintf(stderr, "runtime_bench: %s\n", why);
        std::exit(2);
    }
    std::string hostRoot_;
};

void ClearCaches() {
    Runtime.FuncCache.fill(TFuncCacheSlot{});
    Runtime.CmdCache.fill(TCmdCacheSlot{});
}

// The durations of the two buttons' codes, queued without work inside the timed loop.
tick_rig::PendingCode CodeOfButton(int button) {
    tick_rig::QueueCode(tick_rig::CodeOf(button));
    const tick_rig::PendingCode code = tick_rig::pending;
    tick_rig::pending = tick_rig::PendingCode{};
    return code;
}

// A press of one of the two buttons in turn: the same code on the next tick would be held back
// as a repeat.
class Presses {
public:
    Presses() : codes_{CodeOfButton(0), CodeOfButton(1)} {}
    void Press() {
        tick_rig::pending = codes_[next_];
        next_ ^= 1;
        FMain->tmrMainTimer(nullptr);
    }

private:
    tick_rig::PendingCode codes_[2];
    int next_ = 0;
};

bool CommandsCached() {
    return Runtime.FuncCache[0].CmdSlot >= 0 && Runtime.FuncCache[1].CmdSlot >= 0;
}

void BM_DecodeBiphase255(benchmark::State& state) {
    BYTE durations[255];
    for (int i = 0; i < 255; ++i)
        durations[i] = i % 3 == 2 ? 20 : 10;
    if (DecodeBiphase(durations, 255) == -1)
        state.SkipWithError("the durations do not decode");
    for (auto _ : state) {
        benchmark::DoNotOptimize(durations);
        benchmark::DoNotOptimize(DecodeBiphase(durations, 255));
    }
}
BENCHMARK(BM_DecodeBiphase255);

void BM_TickWithoutCode(benchmark::State& state) {
    const Machine machine;
    for (auto _ : state) {
        tick_rig::pending.length = 0;
        FMain->tmrMainTimer(nullptr);
    }
}
BENCHMARK(BM_TickWithoutCode);

void BM_TickCachedFiveStepCommand(benchmark::State& state) {
    const Machine machine;
    Presses presses;
    presses.Press();
    presses.Press();
    if (!CommandsCached())
        state.SkipWithError("the commands did not reach the caches");
    for (auto _ : state)
        presses.Press();
    if (Runtime.CmdCache[0].Hits < 2)
        state.SkipWithError("the cached command did not run");
}
BENCHMARK(BM_TickCachedFiveStepCommand);

void BM_TickCacheMissReadsFunctionAndCommandFiles(benchmark::State& state) {
    const Machine machine;
    Presses presses;
    for (auto _ : state) {
        state.PauseTiming();
        ClearCaches();
        state.ResumeTiming();
        presses.Press();
    }
    if (Runtime.FuncCache[0].CmdSlot != 0)
        state.SkipWithError("the command was not loaded");
}
BENCHMARK(BM_TickCacheMissReadsFunctionAndCommandFiles);

// Both caches full: 40 idle commands of five steps, the first 20 bound from the function cache.
void FillCaches() {
    ClearCaches();
    constexpr int kCommands = 40;
    for (int c = 0; c < kCommands; ++c) {
        const std::vector<TCmdStep> steps = tick_rig::KeyCommand(c);
        for (int k = 0; k < tick_rig::kStepsPerCommand; ++k) {
            TCmdCacheSlot& slot = Runtime.CmdCache[c * tick_rig::kStepsPerCommand + k];
            SetField(slot.ApplName, "System");
            slot.FuncSlot = -1;
            slot.Step = steps[k];
        }
        Runtime.CmdCache[c * tick_rig::kStepsPerCommand].Hits = 2 + c % 3;
    }
    for (int f = 0; f < static_cast<int>(Runtime.FuncCache.size()); ++f) {
        TFuncCacheSlot& slot = Runtime.FuncCache[f];
        SetField(slot.ApplName, "System");
        SetField(slot.Func.CmdName, "Keys " + std::to_string(f));
        slot.CmdSlot = f * tick_rig::kStepsPerCommand;
        slot.Active = -1;
        slot.Hits = 1;
        Runtime.CmdCache[f * tick_rig::kStepsPerCommand].FuncSlot = f;
    }
}

void BM_EvictCmdCacheFull(benchmark::State& state) {
    FillCaches();
    const auto full = Runtime.CmdCache;
    const auto functions = Runtime.FuncCache;
    for (auto _ : state) {
        state.PauseTiming();
        Runtime.CmdCache = full;
        Runtime.FuncCache = functions;
        state.ResumeTiming();
        benchmark::DoNotOptimize(EvictCmdCache(tick_rig::kStepsPerCommand, 200));
    }
    Runtime.CmdCache = full;
    Runtime.FuncCache = functions;
    if (EvictCmdCache(tick_rig::kStepsPerCommand, 200) != 200 - tick_rig::kStepsPerCommand)
        state.SkipWithError("not one command was evicted");
    ClearCaches();
}
BENCHMARK(BM_EvictCmdCacheFull);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
