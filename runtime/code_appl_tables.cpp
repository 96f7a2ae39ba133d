// The code table and the application table: default file, user differences and their merge.
#include "code_appl_tables.h"

#include "file_names.h"
#include "record_file.h"
#include "runtime_state.h"

#include <cp1251.h>
#include <toolkit.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Entries of the table that the settings dialog left, in case a count and the vector disagree.
template <class T>
std::size_t UsedEntries(const std::vector<T>& table, std::int32_t count) {
    return count < 0 ? 0 : std::min(table.size(), static_cast<std::size_t>(count));
}

// Index of the first name equal to name without regard to case; -1 when none is.
std::ptrdiff_t FindName(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (cp1251::EqualNoCase(names[i], name))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::string CodeLine(const std::string& name, std::int64_t code) {
    return name + "=" + IntToStr(code);
}

void FreeCodeTable() {
    std::vector<TCodeEntry>().swap(Runtime.CodeTable);
    Runtime.CodeCount = 0;
}

void FreeApplTable() {
    std::vector<TApplEntry>().swap(Runtime.ApplTable);
    Runtime.ApplCount = 0;
}

TApplEntry SystemEntry() {
    TApplEntry e{};
    SetField(e.Name, SystemApplName);
    return e;
}

// A count that no table of this program can hold.
void CheckTableSize(std::uint64_t n) {
    if (n > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::bad_alloc();
}

} // namespace

int LoadCodeTable(bool defaultOnly) {
    TStringList& work = Runtime.WorkList;
    try {
        // The merge keeps names and codes beside WorkList's lines so that a name holding "="
        // survives it; the lines stay as the other users of WorkList know them.
        work.Clear();
        std::vector<std::string> names;
        std::vector<std::int64_t> codes;
        TCodeEntry e;
        {
            TRecordReader<TCodeEntry> def(BinPath("defcode.bin"));
            while (def.Read(e)) {
                names.push_back(FieldText(e.Name));
                codes.push_back(e.Code);
                work.Add(CodeLine(names.back(), e.Code));
            }
        }
        if (!defaultOnly) {
            TRecordReader<TCodeEntry> user(BinPath("usercode.bin"));
            while (user.Read(e)) {
                const std::string name = FieldText(e.Name);
                const std::ptrdiff_t i = FindName(names, name);
                if (i < 0) {
                    names.push_back(name);
                    codes.push_back(e.Code);
                    work.Add(CodeLine(name, e.Code));
                } else if (e.Code == -1) {
                    names.erase(names.begin() + i);
                    codes.erase(codes.begin() + i);
                    work.Delete(static_cast<int>(i));
                } else {
                    codes[i] = e.Code;
                    work[static_cast<int>(i)] = CodeLine(names[i], e.Code);
                }
            }
        }
        FreeCodeTable();
        if (names.empty())
            return ResultNoData;
        CheckTableSize(names.size());
        std::vector<TCodeEntry> table(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            SetField(table[i].Name, names[i]);
            table[i].Code = codes[i];
        }
        Runtime.CodeTable = std::move(table);
        Runtime.CodeCount = static_cast<std::int32_t>(Runtime.CodeTable.size());
        return ResultOk;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    } catch (const EOutOfMemory&) {
    }
    FreeCodeTable();
    return ResultNoMemory;
}

int LoadApplTable(bool defaultOnly) {
    try {
        std::optional<TRecordReader<TApplEntry>> user;
        if (!defaultOnly)
            user.emplace(BinPath("userappl.bin"));
        TRecordReader<TApplEntry> def(BinPath("defappl.bin"));

        const std::uint64_t records = def.Count() + (user ? user->Count() : 0);
        CheckTableSize(records + 1);
        std::vector<TApplEntry> work;
        work.reserve(static_cast<std::size_t>(records + 1));
        work.push_back(SystemEntry());
        std::int32_t count = 1;
        std::uint64_t wholeRecords = 0;

        TApplEntry e;
        // A handle stored in a file belongs to a window of an earlier run. A name that cannot
        // be part of a file name would lead the application's command files out of Bin.
        if (user) {
            while (user->Read(e)) {
                ++wholeRecords;
                if (cp1251::EqualNoCase(FieldText(e.Name), SystemApplName) ||
                    !IsFileNamePart(FieldView(e.Name)))
                    continue;
                e.Wnd = 0;
                work.push_back(e);
                if (e.Path[0] != 0)
                    ++count;
            }
        }
        while (def.Read(e)) {
            ++wholeRecords;
            const std::string name = FieldText(e.Name);
            if (!IsFileNamePart(name))
                continue;
            bool known = false;
            for (const TApplEntry& w : work)
                if (cp1251::EqualNoCase(FieldText(w.Name), name)) {
                    known = true;
                    break;
                }
            if (known)
                continue;
            e.Wnd = 0;
            work.push_back(e);
            if (e.Path[0] != 0)
                ++count;
        }

        FreeApplTable();
        std::vector<TApplEntry> table;
        table.reserve(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < work.size(); ++i)
            if (i == 0 || work[i].Path[0] != 0)
                table.push_back(work[i]);
        Runtime.ApplTable = std::move(table);
        Runtime.ApplCount = count;
        return wholeRecords == 0 ? ResultNoData : ResultOk;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    FreeApplTable();
    return ResultNoMemory;
}

int SaveCodeTable() {
    // Everything is worked out before the file is touched, so a failure keeps the old file.
    std::vector<std::string> defaultNames;
    std::vector<TCodeEntry> out;
    try {
        const std::size_t used = UsedEntries(Runtime.CodeTable, Runtime.CodeCount);
        // Names compare as they would be stored, so a name that fills its whole field still
        // matches the default it was loaded from.
        std::vector<std::string> tableNames;
        tableNames.reserve(used);
        for (std::size_t i = 0; i < used; ++i) {
            TCodeEntry t = Runtime.CodeTable[i];
            TerminateFields(t);
            tableNames.push_back(FieldText(t.Name));
        }

        TRecordReader<TCodeEntry> def(BinPath("defcode.bin"));
        TCodeEntry d;
        while (def.Read(d)) {
            defaultNames.push_back(FieldText(d.Name));
            const std::ptrdiff_t i = FindName(tableNames, defaultNames.back());
            if (i < 0) {
                d.Code = -1;
                out.push_back(d);
            } else if (Runtime.CodeTable[i].Code != d.Code) {
                d.Code = Runtime.CodeTable[i].Code;
                out.push_back(d);
            }
        }
        for (std::size_t i = 0; i < used; ++i) {
            if (FindName(defaultNames, tableNames[i]) >= 0)
                continue;
            TCodeEntry r{};
            SetField(r.Name, tableNames[i]);
            r.Code = Runtime.CodeTable[i].Code;
            out.push_back(r);
        }
    } catch (const std::bad_alloc&) {
        return ResultNoCreate;
    } catch (const std::length_error&) {
        return ResultNoCreate;
    }

    TRecordFileWriter writer(BinPath("usercode.bin"));
    if (!writer.IsOpen())
        return ResultNoCreate;
    try {
        Runtime.WorkList.Clear();
        for (const std::string& name : defaultNames)
            Runtime.WorkList.Add(name);
    } catch (const std::bad_alloc&) {
        // Only the scratch list is short; the file is still written in full.
    }
    if (!WriteRecords(writer, out) || !writer.Close())
        return ResultNoCreate;
    return ResultOk;
}

int SaveApplTable() {
    // Everything is worked out before the file is touched, so that running out of memory
    // leaves the user's earlier file as it was.
    std::vector<TApplEntry> out;
    std::vector<std::size_t> newEntries;
    try {
        const std::size_t used = UsedEntries(Runtime.ApplTable, Runtime.ApplCount);
        // Texts compare as they would be stored: a text filling its whole field is cut.
        std::vector<TApplEntry> stored(Runtime.ApplTable.begin(),
                                       Runtime.ApplTable.begin() +
                                           static_cast<std::ptrdiff_t>(used));
        std::vector<std::string> tableNames;
        tableNames.reserve(used);
        for (TApplEntry& t : stored) {
            TerminateFields(t);
            tableNames.push_back(FieldText(t.Name));
        }

        TRecordReader<TApplEntry> def(BinPath("defappl.bin"));
        CheckTableSize(def.Count());
        std::vector<std::string> defaultNames;
        defaultNames.reserve(static_cast<std::size_t>(def.Count()));
        TApplEntry d;
        while (def.Read(d)) {
            defaultNames.push_back(FieldText(d.Name));
            bool changed = false;
            const std::ptrdiff_t i = FindName(tableNames, defaultNames.back());
            if (i < 0) {
                SetField(d.ClassName, "");
                SetField(d.Path, "");
                changed = true;
            } else {
                const TApplEntry& t = stored[static_cast<std::size_t>(i)];
                const std::string className = FieldText(t.ClassName);
                const std::string path = FieldText(t.Path);
                if (!cp1251::EqualNoCase(className, FieldText(d.ClassName)) ||
                    !cp1251::EqualNoCase(path, FieldText(d.Path))) {
                    SetField(d.ClassName, className);
                    SetField(d.Path, path);
                    changed = true;
                }
            }
            if (changed) {
                d.Wnd = 0;
                out.push_back(d);
            }
        }
        for (std::size_t i = 0; i < used; ++i) {
            if (cp1251::EqualNoCase(tableNames[i], SystemApplName) ||
                FindName(defaultNames, tableNames[i]) >= 0)
                continue;
            TApplEntry r = stored[i];
            r.Wnd = 0;
            out.push_back(r);
            newEntries.push_back(i);
        }
    } catch (const std::bad_alloc&) {
        return ResultNoMemory;
    } catch (const std::length_error&) {
        return ResultNoMemory;
    }

    TRecordFileWriter writer(BinPath("userappl.bin"));
    if (!writer.IsOpen())
        return ResultNoCreate;
    for (std::size_t i : newEntries)
        Runtime.ApplTable[i].Wnd = 0;
    if (!WriteRecords(writer, out) || !writer.Close())
        return ResultNoCreate;
    return ResultOk;
}

const char* ResultMessageKey(TResultCaller caller, int result) {
    switch (caller) {
    case TResultCaller::StartupCodeTable:
        return result == ResultNoData      ? "err_nocodefile"
               : result == ResultEmptyFile ? "err_emptycodefile"
               : result == ResultNoMemory  ? "err_nomemory"
                                           : "";
    case TResultCaller::RestoreDefaultCodes:
        return result == ResultNoData || result == ResultNoMemory ? "err_nocodefile" : "";
    case TResultCaller::StartupApplTable:
        return result == ResultNoData      ? "err_noapplfile"
               : result == ResultEmptyFile ? "err_emptyapplfile"
               : result == ResultNoMemory  ? "err_nomemory"
                                           : "";
    case TResultCaller::RestoreDefaultAppls:
        return result == ResultNoData || result == ResultNoMemory ? "err_noapplfile" : "";
    case TResultCaller::SaveCodes:
        return result == ResultNoCreate ? "err_codewrite" : "";
    case TResultCaller::SaveAppls:
        return result == ResultNoCreate || result == ResultNoMemory ? "err_applwrite" : "";
    case TResultCaller::CommandsPage:
        return result == ResultNoData      ? "err_nocmdfile"
               : result == ResultEmptyFile ? "err_emptycmdfile"
                                           : "";
    case TResultCaller::FunctionsPage:
        return result == ResultNoData      ? "err_nofuncfile"
               : result == ResultEmptyFile ? "err_emptyfuncfile"
                                           : "";
    case TResultCaller::FunctionsList:
    case TResultCaller::SaveCommandsOrFuncs:
        break;
    }
    return "";
}
