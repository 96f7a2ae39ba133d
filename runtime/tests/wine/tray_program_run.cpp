// Program folders, processes and windows of the end-to-end runs.
#include "tray_program_run.h"

#include "records.h"

#include <cstdio>
#include <cstring>

namespace {

bool CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string source = from + "\\" + name, target = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = CopyTree(source, target) && ok;
        else
            ok = CopyFileA(source.c_str(), target.c_str(), FALSE) && ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string WithoutTrailingSeparator(const std::string& path) {
    return path.empty() || path.back() != '\\' ? path : path.substr(0, path.size() - 1);
}

} // namespace

// ---- TProgramFolder ----

TProgramFolder::TProgramFolder(TReceiver receiver) {
    static int made = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "tavrin_e2e_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++made) + "\\";
    RemoveTree(WithoutTrailingSeparator(path_));
    made_ = CopyTree(WinePath(EXAMPLE_DATA_DIR), WithoutTrailingSeparator(path_)) &&
            CopyFileA(WinePath(TAVRIN_RC_EXE).c_str(), ProgramPath().c_str(), FALSE);
    const std::string library = path_ + "VarnUSB.dll";
    if (receiver == TReceiver::Test)
        made_ = CopyFileA(WinePath(TEST_RECEIVER_DLL).c_str(), library.c_str(), FALSE) && made_;
    else if (receiver == TReceiver::MissingExport)
        made_ =
            CopyFileA(WinePath(TEST_RECEIVER_DLL_MISSING_EXPORT).c_str(), library.c_str(), FALSE) &&
            made_;
    // The search for applications has run: no question at start.
    SetConfig("Tuning", "passed", "1");
}

TProgramFolder::~TProgramFolder() {
    RemoveTree(WithoutTrailingSeparator(path_));
}

void TProgramFolder::SetConfig(const char* section, const char* key,
                               const std::string& value) const {
    WritePrivateProfileStringA(section, key, value.c_str(), (path_ + "config.ini").c_str());
}

std::string TProgramFolder::LanguageText(const char* section, const char* key) const {
    char text[1024] = {};
    GetPrivateProfileStringA(section, key, "", text, sizeof text,
                             (path_ + "LANG\\Rus.ini").c_str());
    return text;
}

std::int64_t TProgramFolder::ButtonCode(const std::string& button) const {
    FILE* file = std::fopen((path_ + "Bin\\defcode.bin").c_str(), "rb");
    if (file == nullptr)
        return -1;
    std::int64_t code = -1;
    TCodeEntry entry;
    while (std::fread(&entry, sizeof entry, 1, file) == 1) {
        TerminateFields(entry);
        if (FieldView(entry.Name) == button) {
            code = entry.Code;
            break;
        }
    }
    std::fclose(file);
    return code;
}

// ---- TReceiverFeed ----

TReceiverFeed::TReceiverFeed() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                  sizeof(test_receiver::TFeed), test_receiver::kFeedName);
    if (mapping_ == nullptr)
        return;
    feed_ = static_cast<test_receiver::TFeed*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(test_receiver::TFeed)));
    if (feed_)
        std::memset(static_cast<void*>(feed_), 0, sizeof *feed_);
}

TReceiverFeed::~TReceiverFeed() {
    if (feed_)
        UnmapViewOfFile(feed_);
    if (mapping_)
        CloseHandle(mapping_);
}

void TReceiverFeed::Press(std::int64_t code) {
    feed_->Codes[feed_->Fed % test_receiver::kQueueLength] = code;
    InterlockedIncrement(&feed_->Fed);
}

bool TReceiverFeed::WaitHandedOut(DWORD timeoutMs) const {
    return WaitFor([this] { return feed_->HandedOut == feed_->Fed; }, timeoutMs);
}

// ---- TTrayProgram ----

TTrayProgram::TTrayProgram(const TProgramFolder& folder) {
    const std::string program = folder.ProgramPath();
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.Path().c_str(), &startup, &info))
        return;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
}

TTrayProgram::~TTrayProgram() {
    if (process_ == nullptr)
        return;
    if (Running()) {
        // The main form's close ends the program as its tray menu's exit does.
        if (HWND main = FindWindowOfClass("TFMain"))
            PostMessageA(main, WM_CLOSE, 0, 0);
        if (!WaitExit(3000)) {
            TerminateProcess(process_, 255);
            WaitForSingleObject(process_, 5000);
        }
    }
    CloseHandle(process_);
}

bool TTrayProgram::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> TTrayProgram::WaitExit(DWORD timeoutMs) const {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

std::vector<HWND> TTrayProgram::Windows() const {
    struct TSearch {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid_, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->pid)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND TTrayProgram::FindWindowOfClass(const char* className) const {
    for (HWND window : Windows())
        if (WindowClass(window) == className)
            return window;
    return nullptr;
}

std::vector<HWND> TTrayProgram::VisibleWindows() const {
    std::vector<HWND> visible;
    for (HWND window : Windows())
        if (IsWindowVisible(window))
            visible.push_back(window);
    return visible;
}

// ---- windows ----

std::string WindowClass(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return "";
    text[sizeof text - 1] = 0;
    return text;
}

std::vector<std::string> ChildTexts(HWND window, const char* className) {
    struct TSearch {
        const char* className;
        std::vector<std::string> texts;
    } search{className, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(param);
            if (_stricmp(WindowClass(child).c_str(), s->className) == 0)
                s->texts.push_back(WindowText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.texts;
}
