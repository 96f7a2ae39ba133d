// A benchmark of the settings dialog's OK over large tables: the codes, the applications and
// a changed function grid of one application saved as a pending file and committed, at sizes a
// tenth, a half and the whole of 1,000 codes, 200 applications and 2,000 bindings.
#include "code_appl_tables.h"
#include "cmd_func_files.h"
#include "config_form.h"
#include "dialogs.h"
#include "example_data.h"
#include "osd.h"
#include "runtime_state.h"

#include <toolkitsim/control.h>
#include <win32sim/machine.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr char kProgramPath[] = "C:\\Tavrin RC\\Tavrin RC.exe";
constexpr char kBound[] = "Appl0000";

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "config_ok_bench: %s\n", why.c_str());
    std::exit(2);
}

std::string Numbered(const char* prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%04d", prefix, i);
    return text;
}

// The record files of a program folder with that many codes, applications and bindings of the
// first application, in the example folder's readable form.
std::string Records(int codes, int appls, int bindings) {
    std::string source;
    for (int i = 0; i < codes; ++i)
        source += "code|" + Numbered("B", i) + "|" + std::to_string(0x10000 + i) + "\n";
    for (int i = 0; i < appls; ++i)
        source += "appl|" + Numbered("Appl", i) + "|" + Numbered("Class", i) + "|C:\\Apps\\" +
                  Numbered("Appl", i) + ".exe\n";
    for (int i = 0; i < bindings; ++i)
        source += std::string("func|") + kBound + "|" + Numbered("Cmd", i) + "|nohold|\"" +
                  Numbered("B", i % codes) + "\"+\"" + Numbered("B", (i / codes) % codes) + "\"\n";
    return source;
}

// A fresh simulated machine with the example folder's language and settings and the generated
// record files, its tables loaded as at start-up.
class Machine {
public:
    Machine(int codes, int appls, int bindings) {
        win32sim::ResetMachine();
        std::string pattern = (fs::temp_directory_path() / "config-ok-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            Fail("no temporary folder");
        root_ = pattern;
        const fs::path folder = root_ / "Tavrin RC";
        std::error_code error;
        fs::copy(EXAMPLE_FOLDER, folder, fs::copy_options::recursive, error);
        if (error)
            Fail("the example folder cannot be copied: " + error.message());
        for (const auto& entry : fs::directory_iterator(folder / "Bin"))
            fs::remove(entry.path());
        std::map<std::string, std::string> files;
        std::string why;
        if (!simulator::BuildExampleRecords(Records(codes, appls, bindings), files, &why))
            Fail("the records cannot be built: " + why);
        for (const auto& [name, bytes] : files)
            std::ofstream(folder / "Bin" / name, std::ios::binary) << bytes;
        win32sim::MapDrive('C', root_.string());
        win32sim::SetProgramPath(kProgramPath);
        toolkitsim::Reset();
        toolkitsim::SetScreen(1024, 768);
        ResetRuntimeState();
        RegisterDialogs();
        if (LoadCodeTable(false) != 0 || LoadApplTable(false) != 0)
            Fail("the tables cannot be loaded");
        if (Runtime.CodeCount != codes)
            Fail("the code table holds " + std::to_string(Runtime.CodeCount) + " codes");
    }
    ~Machine() {
        toolkitsim::Reset();
        ResetRuntimeState();
        win32sim::ResetMachine();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

private:
    fs::path root_;
};

// The window manager's ticks until it has closed the dialog OK let go of.
void TickUntilClosed() {
    if (FConfig == nullptr || !FConfig->Modal())
        return;
    OsdTick(nullptr);
    toolkitsim::At(100, TickUntilClosed);
}

void BM_ConfigOk(benchmark::State& state) {
    const int codes = static_cast<int>(state.range(0));
    const int appls = static_cast<int>(state.range(1));
    const int bindings = static_cast<int>(state.range(2));
    Machine machine(codes, appls, bindings);
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The dialog opens as from the tray menu; the function grid holds the application's
        // bindings with a change, as after the user chose it and edited a cell.
        toolkitsim::OnModal([&](TCustomForm&) {
            if (LoadFuncGrid(kBound, false, FConfig->stgFunc, nullptr) != 0)
                Fail("the function grid cannot be loaded");
            rows = FConfig->stgFunc->RowCount() - 1;
            FConfig->CurrentAppl = kBound;
            FConfig->stgFunc->Tag = 1;
            state.ResumeTiming();
            toolkitsim::Click(*FConfig->btnOk);
            state.PauseTiming();
            toolkitsim::At(0, TickUntilClosed);
        });
        Runtime.ConfigMode = 1;
        ShowForm(KindConfig);
        toolkitsim::RunFor(0);
        if (FConfig != nullptr)
            Fail("the dialog did not close after OK");
        state.ResumeTiming();
    }
    if (rows != bindings)
        Fail("the function grid held " + std::to_string(rows) + " rows");
    if (Runtime.CodeCount != codes)
        Fail("OK left " + std::to_string(Runtime.CodeCount) + " codes");
    state.SetComplexityN(bindings);
    state.counters["rows"] = benchmark::Counter(static_cast<double>(codes + appls + bindings) *
                                                    static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ConfigOk)
    ->ArgNames({"codes", "appls", "bindings"})
    ->Args({100, 20, 200})
    ->Args({500, 100, 1000})
    ->Args({1000, 200, 2000})
    ->Args({2000, 400, 4000})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
