// The search for the supported applications: appllist.ini into the table, the walk over the
// ticked drives, and the test start of each program found.
#include "application_search.h"

#include "file_names.h"
#include "records.h"
#include "search_state.h"
#include "search_texts.h"

#include "cp1251.h"

#include <toolkit.h>

#include <cstring>
#include <exception>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// The test start waits for input idle in slices so that Stop ends it early.
constexpr DWORD kIdleWait = 20000;
constexpr DWORD kIdleSlice = 100;

std::string CurrentDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(path.size()), path.data());
        if (n == 0)
            return std::string();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n);
    }
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (path.empty() || path.back() != '\\')
        path += '\\';
    path += name;
    return path;
}

bool Stopped() {
    return Search.StopSearch.load() != 0;
}

// Replaces the first "#n" of the text, if any.
void ReplaceFirst(std::string& text, const char* mark, const std::string& value) {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, std::strlen(mark), value);
}

void TestStartProgram(TSearchAppl& appl, int row, TSearchView& view) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(appl.Path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    DWORD idle = WAIT_TIMEOUT;
    for (DWORD waited = 0; waited < kIdleWait && idle == WAIT_TIMEOUT && !Stopped();
         waited += kIdleSlice)
        idle = WaitForInputIdle(process.hProcess, kIdleSlice);
    if (idle == 0 && !Stopped()) {
        Sleep(1000);
        Search.ClassBuffer[0] = '\0';
        EnumThreadWindows(process.dwThreadId, FindMainWindowProc, 1);
        if (Search.ClassBuffer[0] == '\0')
            appl.CLSName[0] = '\0';
        view.SetCell(1, row, FieldText(appl.CLSName));
    }
    // A started program is always ended, whatever the test found.
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    view.Repaint();
}

// The records' names, taken once per walk: a walk changes paths and classes, never names.
std::vector<std::string_view> RecordNames() {
    std::vector<std::string_view> names;
    names.reserve(Search.Table.size());
    for (const TSearchAppl& appl : Search.Table)
        names.push_back(FieldView(appl.Name));
    return names;
}

// A file of the walk against every record, in table order.
void MatchFile(const std::string& folder, std::string_view fileName,
               const std::vector<std::string_view>& names, TSearchView& view) {
    std::string found; // formed at the first match: most files match no record
    for (std::size_t i = 0; i < Search.Table.size(); ++i) {
        TSearchAppl& appl = Search.Table[i];
        if (names[i].empty() || !cp1251::EqualNoCase(names[i], fileName))
            continue;
        if (found.empty())
            found = JoinPath(folder, fileName);
        // A path longer than the field would name another file: such a find is not recorded.
        if (found.size() >= sizeof appl.Path)
            continue;
        const int row = static_cast<int>(i) + 1;
        if (appl.Path[0] != '\0') {
            std::string text = GetLangText("Labels", "lbl_searchprompt");
            if (!text.empty()) {
                ReplaceFirst(text, "#1", FieldText(appl.Section));
                ReplaceFirst(text, "#2", FieldText(appl.Path));
                ReplaceFirst(text, "#3", found);
            }
            if (!view.AskYesNo(FieldText(appl.Section), text))
                continue;
        }
        SetField(appl.Path, found);
        view.SetCell(2, row, found);
        if (Search.TestStart.load() != 0)
            TestStartProgram(appl, row, view);
    }
}

void ReadApplList(const TIniFile& list, const TStringList& sections) {
    Search.Table.assign(static_cast<std::size_t>(sections.Count()), TSearchAppl{});
    Search.ApplCount = sections.Count();
    for (int i = 0; i < sections.Count(); ++i) {
        TSearchAppl& appl = Search.Table[static_cast<std::size_t>(i)];
        const std::string& section = sections[i];
        SetField(appl.Section, section);
        // A program name longer than its field could only match the wrong file: never found.
        const std::string name = list.ReadString(section, "Name", "");
        if (name.size() < sizeof appl.Name)
            SetField(appl.Name, name);
        SetField(appl.CLSName, list.ReadString(section, "CLSName", ""));
        SetField(appl.Group, list.ReadString(section, "Group", ""));
        appl.GroupIndex = list.ReadInteger(section, "Group", 0);
    }
}

void ShowCounts(TSearchView& view) {
    view.SetStatus(0, GetLangText("Labels", "lbl_disks") + std::to_string(Search.DriveCount));
    view.SetStatus(1, GetLangText("Labels", "lbl_dirs") + std::to_string(Search.DirCount));
    view.SetStatus(2, GetLangText("Labels", "lbl_files") + std::to_string(Search.FileCount));
}

} // namespace

void FillDriveList(TStringList& list) {
    const DWORD drives = GetLogicalDrives();
    for (int index = 2; index < 26; ++index)
        if ((drives & (DWORD{1} << index)) != 0)
            list.Add(std::string(1, static_cast<char>('A' + index)) + ":\\");
}

void PrepareDriveTable(const TCheckListBox& drives) {
    if (!Search.FirstSearch)
        Search.Drives = Search.PristineDrives;
    Search.FirstSearch = false;
    for (int index = 2; index < 26; ++index) {
        const int item =
            drives.Items.IndexOf(std::string(1, static_cast<char>('A' + index)) + ":\\");
        if (item < 0 || !drives.Checked(item))
            Search.Drives[static_cast<std::size_t>(index)].clear();
    }
}

void SearchApplications(const std::string& applListPath, TSearchView& view) {
    Search.DirCount = 0;
    Search.FileCount = 0;
    Search.DriveCount = 0;
    const DWORD attributes = GetFileAttributesA(applListPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        try {
            const TIniFile list(applListPath);
            TStringList sections;
            list.ReadSections(sections);
            // A section name becomes the application's name and with it part of its file
            // names: one that cannot be is no application of the list.
            for (int i = sections.Count() - 1; i >= 0; --i)
                if (!IsFileNamePart(sections[i]))
                    sections.Delete(i);
            if (sections.Count() > 0) {
                ReadApplList(list, sections);
                view.SetRowCount(Search.ApplCount + 1);
                for (std::size_t i = 0; i < Search.Table.size(); ++i) {
                    const int row = static_cast<int>(i) + 1;
                    view.SetCell(0, row, FieldText(Search.Table[i].Section));
                    view.SetCell(1, row,
                                 Search.TestStart.load() != 0 ? std::string()
                                                              : FieldText(Search.Table[i].CLSName));
                    view.SetCell(2, row, std::string());
                }
                const std::string remembered = CurrentDirectory();
                for (int index = 2; index < 26; ++index) {
                    if (!Search.Drives[static_cast<std::size_t>(index)].empty()) {
                        const std::string root =
                            std::string(1, static_cast<char>('A' + index)) + ":\\";
                        // The drives counted are those whose root could be entered.
                        if (SetCurrentDirectoryA(root.c_str())) {
                            ++Search.DriveCount;
                            ScanDirectory(view);
                        }
                    }
                    if (Stopped())
                        break;
                }
                SetCurrentDirectoryA(remembered.c_str());
            }
        } catch (const std::exception&) {
            // An unreadable list searches nothing; the counts so far are shown.
        }
    }
    ShowCounts(view);
}

namespace {

// The walk of the current directory `folder` (as GetCurrentDirectoryA gives it).
void ScanFolder(const std::string& folder, const std::vector<std::string_view>& names,
                TSearchView& view) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA(JoinPath(folder, "*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (std::strcmp(entry.cFileName, ".") == 0 || std::strcmp(entry.cFileName, "..") == 0)
            continue;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            const std::string path = JoinPath(folder, entry.cFileName);
            view.ShowFolder(path);
            ++Search.DirCount;
            // A folder that cannot be entered is counted but not searched.
            if (SetCurrentDirectoryA(path.c_str()) && CurrentDirectory() == path)
                ScanFolder(path, names, view);
            SetCurrentDirectoryA(folder.c_str());
        } else {
            ++Search.FileCount;
            MatchFile(folder, entry.cFileName, names, view);
        }
    } while (!Stopped() && FindNextFileA(search, &entry));
    FindClose(search);
}

} // namespace

void ScanDirectory(TSearchView& view) {
    ScanFolder(CurrentDirectory(), RecordNames(), view);
}

BOOL CALLBACK FindMainWindowProc(HWND window, LPARAM parameter) {
    char* buffer = Search.ClassBuffer;
    if (GetClassNameA(window, buffer, 99) <= 0)
        buffer[0] = '\0';
    if (std::strchr(buffer, '#') != nullptr)
        buffer[0] = '\0';
    if (IsWindowVisible(window))
        return FALSE;
    buffer[0] = '\0';
    return parameter != 0;
}
