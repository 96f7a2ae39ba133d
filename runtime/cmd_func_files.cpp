// Command and function files: grid loaders and savers, pending files, copied defaults.
#include "cmd_func_files.h"

#include "code_appl_tables.h"
#include "file_names.h"
#include "keyword_lists.h"
#include "program_folder.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <unordered_map>

namespace {

// Width of the command name in a functions-list line, before "=" and two blanks.
constexpr std::size_t kListNameWidth = 25;

std::string CmdFileName(const char* kind, const std::string& appl, const char* ext) {
    return BinPath(std::string(kind) + appl + ext);
}

// Makes row ready for the next loaded line: the loaders fill row 1 first and add a row for
// every further line; a grid without data rows gets its first one.
void PrepareRow(TStringGrid& grid, int row) {
    if (row > 1)
        grid.SetRowCount(grid.RowCount() + 1);
    if (grid.RowCount() <= row)
        grid.SetRowCount(row + 1);
}

void PutSteps(TStringGrid& grid, int& row, const std::vector<TCmdStep>& steps) {
    for (const TCmdStep& s : steps) {
        PrepareRow(grid, row);
        grid.Cells(0, row) = FieldText(s.Name);
        grid.Cells(1, row) = ValueToKeyword(Runtime.CMDTYPE, CmdTypeCount, s.CmdType);
        grid.Cells(2, row) = FieldText(s.Param1);
        grid.Cells(3, row) = FieldText(s.Param2);
        grid.Cells(4, row) = FieldText(s.Param3);
        grid.Cells(5, row) = FieldText(s.Param4);
        ++row;
    }
}

// Names looked up without regard to case, each once however many there are: the grids and files
// hold thousands of commands and bindings.
class TNameIndex {
public:
    // The first data row of each name in column 0 of the grid, above endRow.
    static TNameIndex OfGrid(const TStringGrid& grid, int endRow) {
        TNameIndex index;
        for (int r = 1; r < endRow; ++r)
            index.Add(grid.Cells(0, r), r);
        return index;
    }
    // The first position of each name.
    static TNameIndex Of(const std::vector<std::string>& names) {
        TNameIndex index;
        for (std::size_t i = 0; i < names.size(); ++i)
            index.Add(names[i], static_cast<int>(i));
        return index;
    }
    // Keeps the first row of a name.
    void Add(const std::string& name, int row) { rows_.emplace(Folded(name), row); }
    // The row of the name; -1 when it is not there.
    int Find(const std::string& name) const {
        const auto it = rows_.find(Folded(name));
        return it == rows_.end() ? -1 : it->second;
    }
    bool Has(const std::string& name) const { return Find(name) >= 0; }

private:
    static std::string Folded(std::string name) {
        for (char& c : name)
            c = cp1251::ToLower(c);
        return name;
    }
    std::unordered_map<std::string, int> rows_;
};

// One past the last row of the block headed by row.
int BlockEnd(const TStringGrid& grid, int row) {
    int end = row + 1;
    while (end < grid.RowCount() && grid.Cells(0, end).empty())
        ++end;
    return end;
}

std::int16_t GridCmdType(const TStringGrid& grid, int row) {
    return KeywordToValue(Runtime.CMDTYPE, CmdTypeCount, grid.Cells(1, row));
}

// Compared field by field: joined into one text, a value moved from one parameter to the next
// would compare equal and the edit would be lost.
bool SameSteps(const std::vector<TCmdStep>& steps, const TStringGrid& grid, int first, int end) {
    if (static_cast<std::size_t>(end - first) != steps.size())
        return false;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const TCmdStep& s = steps[k];
        const int r = first + static_cast<int>(k);
        if (GridCmdType(grid, r) != s.CmdType || grid.Cells(2, r) != FieldText(s.Param1) ||
            grid.Cells(3, r) != FieldText(s.Param2) || grid.Cells(4, r) != FieldText(s.Param3) ||
            grid.Cells(5, r) != FieldText(s.Param4))
            return false;
    }
    return true;
}

void SetParam(char (&field)[25], const std::string& cell) {
    SetField(field, cell == "0" ? std::string() : cell);
}

// The block as one command; a StepCount cannot count more steps than an int16 holds.
void AppendBlock(std::vector<TCmdStep>& out, const std::string& name, const TStringGrid& grid,
                 int first, int end) {
    const int n = std::min(end - first, static_cast<int>(std::numeric_limits<std::int16_t>::max()));
    for (int k = 1; k <= n; ++k) {
        const int r = first + k - 1;
        TCmdStep s{};
        SetField(s.Name, k == 1 ? name : std::string());
        s.Step = static_cast<std::int16_t>(k);
        s.StepCount = static_cast<std::int16_t>(n);
        s.CmdType = GridCmdType(grid, r);
        SetParam(s.Param1, grid.Cells(2, r));
        SetParam(s.Param2, grid.Cells(3, r));
        SetParam(s.Param3, grid.Cells(4, r));
        SetParam(s.Param4, grid.Cells(5, r));
        out.push_back(s);
    }
}

std::string FunctionsListLine(const std::string& name, const std::string& keys) {
    std::string line = name.substr(0, kListNameWidth);
    line.resize(kListNameWidth, ' ');
    return line + "=  " + keys;
}

// A pending file whose save failed goes: OK would otherwise commit the older edits it holds in
// place of those that could not be saved.
int SaveResult(int result, const std::string& path, bool pending) {
    if (result != ResultOk && pending) {
        // A read-only pending file would still be committed: it is the dialog's own file.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    return result;
}

// Writes the user file anew, hands WorkList its working names and writes the records; the
// earlier file stays as it was unless every record was written.
template <class T>
int WriteUserFile(const std::string& path, const std::vector<std::string>& names,
                  const std::vector<T>& records) {
    TRecordFileWriter writer(path);
    if (!writer.IsOpen())
        return ResultNoCreate;
    try {
        Runtime.WorkList.Clear();
        for (const std::string& n : names)
            Runtime.WorkList.Add(n);
    } catch (const std::bad_alloc&) {
        // Only the scratch list is short; the file is still written in full.
    }
    if (!WriteRecords(writer, records) || !writer.Close())
        return ResultNoCreate;
    return ResultOk;
}

// Copies a file over another as the savers write: a missing or unreadable source, or any
// failure, leaves the target as it was.
void CopyInOneStep(const std::string& source, const std::string& target) {
    const HANDLE h = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::string bytes;
    char chunk[16 * 1024];
    DWORD got = 0;
    bool read = true;
    try {
        while ((read = ReadFile(h, chunk, sizeof chunk, &got, nullptr) != 0) && got > 0)
            bytes.append(chunk, got);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    CloseHandle(h);
    if (read)
        SaveFileSafely(target, bytes);
}

} // namespace

bool ReadCommand(TRecordReader<TCmdStep>& file, std::vector<TCmdStep>& steps) {
    steps.clear();
    TCmdStep s;
    if (!file.Read(s))
        return false;
    steps.push_back(s);
    const std::size_t limit = s.StepCount > 1 ? static_cast<std::size_t>(s.StepCount) : 1;
    while (steps.size() < limit && steps.back().StepCount > 0 &&
           steps.back().Step < steps.back().StepCount && file.Read(s)) {
        // Only a command's first step carries a name: this one begins the next command.
        if (s.Name[0] != 0) {
            file.Seek(file.Position() - 1);
            break;
        }
        steps.push_back(s);
    }
    return true;
}

int LoadCmdGrid(const std::string& appl, bool defaultOnly, TStringGrid& grid) {
    TStringList& work = Runtime.WorkList;
    work.Clear();
    if (!IsFileNamePart(appl))
        return ResultNoData;
    bool opened = false;
    std::vector<TCmdStep> steps;

    // Each user command is found again by the record it starts at, which is where the sum of
    // the step counts before it points in a well-formed file, and still a command start in one
    // whose counts lie.
    struct TUserCommand {
        std::string name;
        std::int16_t stepCount;
        std::uint64_t first;
    };
    std::vector<TUserCommand> userCommands;
    std::optional<TRecordReader<TCmdStep>> user;
    if (!defaultOnly) {
        user.emplace(CmdFileName("usercmd", appl, ".bin"));
        if (user->IsOpen()) {
            opened = true;
            for (;;) {
                const std::uint64_t first = user->Position();
                if (!ReadCommand(*user, steps))
                    break;
                userCommands.push_back({FieldText(steps[0].Name), steps[0].StepCount, first});
                work.Add(userCommands.back().name + "=" + IntToStr(steps[0].StepCount));
            }
        }
    }
    auto putUserCommand = [&](const TUserCommand& c, int& row) {
        if (user->Seek(c.first) && ReadCommand(*user, steps))
            PutSteps(grid, row, steps);
    };

    int row = 1;
    TRecordReader<TCmdStep> def(CmdFileName("defcmd", appl, ".bin"));
    if (def.IsOpen()) {
        opened = true;
        TNameIndex users;
        for (std::size_t i = 0; i < userCommands.size(); ++i)
            users.Add(userCommands[i].name, static_cast<int>(i));
        while (ReadCommand(def, steps)) {
            const int i = users.Find(FieldText(steps[0].Name));
            const TUserCommand* mine = i < 0 ? nullptr : &userCommands[i];
            if (!mine)
                PutSteps(grid, row, steps);
            else if (mine->stepCount != 0)
                putUserCommand(*mine, row);
        }
    }
    TNameIndex shown = TNameIndex::OfGrid(grid, row);
    for (const TUserCommand& c : userCommands) {
        if (c.stepCount == 0 || shown.Has(c.name))
            continue;
        shown.Add(c.name, row);
        putUserCommand(c, row);
    }
    return opened ? ResultOk : ResultNoData;
}

int LoadFuncGrid(const std::string& appl, bool defaultOnly, TStringGrid* grid, TStringList* list) {
    Runtime.WorkList.Clear();
    if (!IsFileNamePart(appl))
        return ResultNoData;
    int row = 1;
    bool opened = false;
    auto show = [&](const TFuncEntry& f) {
        const std::string keys = FieldText(f.Keys);
        if (keys.empty())
            return;
        const std::string name = FieldText(f.CmdName);
        if (grid) {
            PrepareRow(*grid, row);
            grid->Cells(0, row) = name;
            grid->Cells(1, row) = ValueToKeyword(Runtime.RCMODE, RcModeCount, f.RcMode);
            grid->Cells(2, row) = keys;
            ++row;
        }
        if (list)
            list->Add(FunctionsListLine(name, keys));
    };

    std::vector<TFuncEntry> userRecords;
    std::vector<std::string> userNames;
    if (!defaultOnly) {
        TRecordReader<TFuncEntry> user(CmdFileName("userfunc", appl, ".bin"));
        opened = user.IsOpen();
        TFuncEntry f;
        while (user.Read(f)) {
            userRecords.push_back(f);
            userNames.push_back(FieldText(f.CmdName));
        }
    }
    for (const TFuncEntry& f : userRecords)
        show(f);
    const TNameIndex mine = TNameIndex::Of(userNames);

    TRecordReader<TFuncEntry> def(CmdFileName("deffunc", appl, ".bin"));
    if (def.IsOpen())
        opened = true;
    TFuncEntry f;
    while (def.Read(f))
        if (!mine.Has(FieldText(f.CmdName)))
            show(f);
    return opened ? ResultOk : ResultNoData;
}

int SaveCmdGrid(const std::string& appl, bool pending, const TStringGrid& grid) {
    if (!IsFileNamePart(appl))
        return ResultNoCreate;
    // Worked out before the file is created, so that a failure keeps the earlier file.
    std::vector<std::string> defaultNames;
    std::vector<TCmdStep> out;
    const std::string path = CmdFileName("usercmd", appl, pending ? ".tmp" : ".bin");
    try {
        const TNameIndex rows = TNameIndex::OfGrid(grid, grid.RowCount());
        TRecordReader<TCmdStep> def(CmdFileName("defcmd", appl, ".bin"));
        std::vector<TCmdStep> steps;
        while (ReadCommand(def, steps)) {
            const std::string name = FieldText(steps[0].Name);
            defaultNames.push_back(name);
            const int r = rows.Find(name);
            if (r < 0) {
                TCmdStep marker = steps.back();
                SetField(marker.Name, name);
                marker.StepCount = 0;
                out.push_back(marker);
                continue;
            }
            const int end = BlockEnd(grid, r);
            if (!SameSteps(steps, grid, r, end))
                AppendBlock(out, name, grid, r, end);
        }
        const TNameIndex defaults = TNameIndex::Of(defaultNames);
        for (int r = 1; r < grid.RowCount(); ++r) {
            const std::string& name = grid.Cells(0, r);
            if (!name.empty() && !defaults.Has(name))
                AppendBlock(out, name, grid, r, BlockEnd(grid, r));
        }
    } catch (const std::bad_alloc&) {
        return SaveResult(ResultNoCreate, path, pending);
    } catch (const std::length_error&) {
        return SaveResult(ResultNoCreate, path, pending);
    }
    return SaveResult(WriteUserFile(path, defaultNames, out), path, pending);
}

int SaveFuncGrid(const std::string& appl, bool pending, const TStringGrid& grid) {
    if (!IsFileNamePart(appl))
        return ResultNoCreate;
    std::vector<std::string> defaultNames;
    std::vector<TFuncEntry> out;
    const std::string path = CmdFileName("userfunc", appl, pending ? ".tmp" : ".bin");
    try {
        const TNameIndex rows = TNameIndex::OfGrid(grid, grid.RowCount());
        TRecordReader<TFuncEntry> def(CmdFileName("deffunc", appl, ".bin"));
        TFuncEntry d;
        while (def.Read(d)) {
            defaultNames.push_back(FieldText(d.CmdName));
            const int r = rows.Find(defaultNames.back());
            if (r < 0) {
                SetField(d.Keys, "");
                out.push_back(d);
                continue;
            }
            const std::int16_t mode = KeywordToValue(Runtime.RCMODE, RcModeCount, grid.Cells(1, r));
            const std::string& keys = grid.Cells(2, r);
            if (mode != d.RcMode || keys != FieldText(d.Keys)) {
                d.RcMode = mode;
                SetField(d.Keys, keys);
                out.push_back(d);
            }
        }
        const TNameIndex defaults = TNameIndex::Of(defaultNames);
        for (int r = 1; r < grid.RowCount(); ++r) {
            const std::string& name = grid.Cells(0, r);
            if (name.empty() || defaults.Has(name))
                continue;
            TFuncEntry f{};
            SetField(f.CmdName, name);
            f.RcMode = KeywordToValue(Runtime.RCMODE, RcModeCount, grid.Cells(1, r));
            SetField(f.Keys, grid.Cells(2, r));
            out.push_back(f);
        }
    } catch (const std::bad_alloc&) {
        return SaveResult(ResultNoCreate, path, pending);
    } catch (const std::length_error&) {
        return SaveResult(ResultNoCreate, path, pending);
    }
    return SaveResult(WriteUserFile(path, defaultNames, out), path, pending);
}

int CommitTempFiles(bool commit, std::vector<std::string>* failed) {
    // Without the program folder "Bin" would be a folder of the current directory, and files
    // that belong to nobody here would be deleted.
    const std::string folder = ProgramFolder();
    if (folder.empty())
        return ResultOk;
    std::string saved(MAX_PATH, '\0');
    DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(saved.size()), saved.data());
    if (n >= saved.size()) {
        saved.assign(n, '\0');
        n = GetCurrentDirectoryA(static_cast<DWORD>(saved.size()), saved.data());
    }
    if (n == 0 || n >= saved.size())
        return ResultOk;
    saved.resize(n);
    // Only inside Bin: a folder that cannot be made current must not stand in for it.
    if (!SetCurrentDirectoryA((folder + "Bin").c_str()))
        return ResultOk;

    int result = ResultOk;
    try {
        std::vector<std::string> temps;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA("*.*", &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                // A folder named *.tmp is not a pending file; renaming it would replace a file.
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                const std::string name = FieldText(found.cFileName);
                if (cp1251::EqualNoCase(ExtractFileExt(name), ".tmp"))
                    temps.push_back(name);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        for (const std::string& temp : temps) {
            if (!commit) {
                DeleteFileA(temp.c_str());
                continue;
            }
            // One step: a failure between deleting the user file and renaming the pending one
            // would lose both.
            const std::string target = temp.substr(0, temp.size() - 3) + "bin";
            if (ReplaceInOneStep(temp, target))
                continue;
            // The dialog that wrote it is closing: left behind, a later OK would commit these
            // older edits unasked.
            DeleteFileA(temp.c_str());
            result = ResultNoCreate;
            if (failed)
                failed->push_back(target);
        }
    } catch (const std::bad_alloc&) {
    }
    SetCurrentDirectoryA(saved.c_str());
    return result;
}

void CopyDefaultsForClass(const std::string& newAppl, const std::string& className) {
    // A class that was never learnt would match every section without a class and overwrite
    // the new application's user files with unrelated defaults.
    if (className.empty() || !IsFileNamePart(newAppl))
        return;
    TIniFile ini(ProgramFolder() + "appllist.ini");
    TStringList& sections = Runtime.WorkList;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string section = sections[i];
        // A section whose name leads out of Bin is no application of the list.
        if (!IsFileNamePart(section) ||
            !cp1251::EqualNoCase(ini.ReadString(section, "CLSName", ""), className) ||
            cp1251::EqualNoCase(section, newAppl))
            continue;
        CopyInOneStep(CmdFileName("defcmd", section, ".bin"),
                      CmdFileName("usercmd", newAppl, ".bin"));
        CopyInOneStep(CmdFileName("deffunc", section, ".bin"),
                      CmdFileName("userfunc", newAppl, ".bin"));
        return;
    }
}
