// The record files through their loaders and savers: any bytes as the code, application, command
// and function files of one application, loaded into the tables and grids, edited, saved as user
// and pending files, committed, and read again.
#include "fuzz_input.h"
#include "fuzz_machine.h"

#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "record_file.h"
#include "records.h"
#include "runtime_state.h"

#include <toolkit.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace fuzz_support;

namespace {

// The files an input may fill, in input order; the application's name comes from the input.
const char* const kFiles[] = {"defcode.bin", "usercode.bin", "defappl.bin", "userappl.bin",
                              "defcmd",      "usercmd",      "deffunc",     "userfunc"};
constexpr std::size_t kApplFilesFrom = 4;

// Edits a grid's cells from the input: each edit a row, a column and a text.
void EditGrid(FuzzInput& in, TStringGrid& grid) {
    const int edits = in.Byte() % 8;
    for (int i = 0; i < edits; ++i) {
        const int row = in.Byte() % (grid.RowCount() + 2);
        const int col = in.Byte() % grid.ColCount();
        if (row >= grid.RowCount())
            grid.SetRowCount(row + 1);
        grid.Cells(col, row) = in.Text();
    }
}

// Every command of the command file read through ReadCommand.
void ReadCommands(const std::string& path) {
    TRecordReader<TCmdStep> file(path);
    std::vector<TCmdStep> steps;
    while (ReadCommand(file, steps)) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    FreshRuntime();

    // Names with folder separators or wildcards would only reach other files of the drive.
    std::string appl = in.Text().substr(0, 24);
    for (char& c : appl)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '\0')
            c = '_';
    if (appl.empty())
        appl = "System";
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
        const std::string name = kFiles[i] + (i >= kApplFilesFrom ? appl + ".bin" : std::string());
        const std::string bytes = in.Text();
        if (!bytes.empty())
            PutFile(BinPath(name), bytes);
    }
    const std::uint8_t flags = in.Byte();

    if (LoadCodeTable(flags & 1) == ResultOk && (flags & 2)) {
        if (!Runtime.CodeTable.empty() && in.Flag())
            Runtime.CodeTable.erase(Runtime.CodeTable.begin());
        Runtime.CodeCount = static_cast<std::int32_t>(Runtime.CodeTable.size());
        SaveCodeTable();
        LoadCodeTable(false);
    }
    if (LoadApplTable(flags & 4) == ResultOk && (flags & 8)) {
        if (Runtime.ApplTable.size() > 1 && in.Flag())
            Runtime.ApplTable.pop_back();
        Runtime.ApplCount = static_cast<std::int32_t>(Runtime.ApplTable.size());
        SaveApplTable();
        LoadApplTable(false);
    }

    TStringGrid cmdGrid(nullptr);
    cmdGrid.SetColCount(6);
    LoadCmdGrid(appl, flags & 16, cmdGrid);
    EditGrid(in, cmdGrid);
    SaveCmdGrid(appl, flags & 32, cmdGrid);

    TStringGrid funcGrid(nullptr);
    funcGrid.SetColCount(3);
    TStringList functions;
    LoadFuncGrid(appl, flags & 16, &funcGrid, &functions);
    EditGrid(in, funcGrid);
    SaveFuncGrid(appl, flags & 32, funcGrid);

    CommitTempFiles(flags & 64);
    LoadCmdGrid(appl, false, cmdGrid);
    LoadFuncGrid(appl, false, nullptr, &functions);
    ReadCommands(BinPath("defcmd" + appl + ".bin"));
    ReadCommands(BinPath("usercmd" + appl + ".bin"));

    EndRuntime();
    return 0;
}
