// The real Orlimax.exe under Wine: the help box and its exit code, and the window the tray
// program waits for, by class and caption.
#include "cp1251.h"
#include "wine_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr auto kTitle = cp1251::Literal("Поиск файлов");
constexpr auto kCaption = cp1251::Literal("Поиск приложений");

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string WindowClass(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

class SearchProgram {
public:
    SearchProgram(const std::string& program, const std::string& arguments) {
        std::string commandLine = "\"" + program + "\"" + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
    ~SearchProgram() {
        if (process_ == nullptr)
            return;
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 255);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
    bool Started() const { return process_ != nullptr; }

    // The program's top-level window of that class, waited for up to 30 s.
    // Waits until the window is shown: a box exists for a moment before its caption and texts.
    HWND WaitWindow(const char* className) const {
        for (int i = 0; i < 300; ++i) {
            if (HWND found = FindWindowOfClass(className); found && IsWindowVisible(found))
                return found;
            if (WaitForSingleObject(process_, 100) != WAIT_TIMEOUT)
                return FindWindowOfClass(className);
        }
        return nullptr;
    }
    HWND FindWindowOfClass(const char* className) const {
        struct TSearch {
            DWORD pid;
            const char* className;
            HWND found;
        } search{pid_, className, nullptr};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto& s = *reinterpret_cast<TSearch*>(param);
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                if (pid == s.pid && WindowClass(window) == s.className) {
                    s.found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // The exit code, or -1 when the program has not ended within the time.
    long WaitExit(DWORD timeoutMs) const {
        if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<long>(code);
    }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// The texts of a box's static children.
std::vector<std::string> StaticTexts(HWND box) {
    std::vector<std::string> texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM param) -> BOOL {
            if (WindowClass(child) == "Static")
                reinterpret_cast<std::vector<std::string>*>(param)->push_back(WindowText(child));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// A program folder of its own: the program and a language file that names its window.
class ProgramFolder {
public:
    ProgramFolder() {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        path_ = std::string(base) + "orlimax-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
        CreateDirectoryA((path_ + "Lang").c_str(), nullptr);
        made_ = CopyFileA(wine_test::WinePath(ORLIMAX_EXE).c_str(), Program().c_str(), FALSE) != 0;
        const std::string lang = std::string("[Forms]\r\nFSetup=") + kCaption.c_str() + "\r\n";
        HANDLE file = CreateFileA((path_ + "Lang\\Rus.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, lang.data(), static_cast<DWORD>(lang.size()), &written, nullptr);
        CloseHandle(file);
    }
    ~ProgramFolder() {
        DeleteFileA((path_ + "Lang\\Rus.ini").c_str());
        RemoveDirectoryA((path_ + "Lang").c_str());
        DeleteFileA((path_ + "config.ini").c_str());
        DeleteFileA(Program().c_str());
        RemoveDirectoryA(path_.c_str());
    }
    std::string Program() const { return path_ + "Orlimax.exe"; }
    bool Made() const { return made_; }

private:
    std::string path_;
    bool made_ = false;
};

TEST(SearchProgramWine, HelpShowsItsBoxAndEndsWithCodeZero) {
    const ProgramFolder folder;
    ASSERT_TRUE(folder.Made());
    const SearchProgram program(folder.Program(), " help");
    ASSERT_TRUE(program.Started());
    const HWND box = program.WaitWindow("#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), kTitle.c_str());
    bool helpShown = false;
    for (const std::string& text : StaticTexts(box))
        helpShown = helpShown || text.find("appllist.ini") != std::string::npos;
    EXPECT_TRUE(helpShown);
    EXPECT_EQ(program.FindWindowOfClass("TFSetup"), nullptr) << "no window for help";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitExit(30000), 0);
}

TEST(SearchProgramWine, WindowHasTheClassAndCaptionTheTrayProgramWaitsFor) {
    const ProgramFolder folder;
    ASSERT_TRUE(folder.Made());
    const SearchProgram program(folder.Program(), "");
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitWindow("TFSetup");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), kCaption.c_str());
    EXPECT_EQ(FindWindowA("TFSetup", kCaption.c_str()), window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitExit(30000), 0);
}

} // namespace
