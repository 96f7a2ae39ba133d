// What an end-to-end run of the real tray program under Wine needs: a fresh program folder, the
// program's process and its windows, and the receiver feed of the test receiver library.
#pragma once

#include "test_receiver_feed.h"
#include "wine_path.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using wine_test::WinePath;

// Polls the condition until it holds or the time is up; true when it held.
template <class Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The receiver library a program folder holds as VarnUSB.dll.
enum class TReceiver {
    None,
    Test,          // the test receiver library
    MissingExport, // the same without DoEEPROMWrite
};

// A program folder in the temporary folder: the 64-bit tray program, the example data and the
// receiver library. Removed with everything in it.
class TProgramFolder {
public:
    explicit TProgramFolder(TReceiver receiver);
    ~TProgramFolder();
    TProgramFolder(const TProgramFolder&) = delete;
    TProgramFolder& operator=(const TProgramFolder&) = delete;

    // True when every file was copied.
    bool Made() const { return made_; }
    // With its trailing backslash.
    const std::string& Path() const { return path_; }
    std::string ProgramPath() const { return path_ + "Tavrin RC.exe"; }
    // A value of config.ini.
    void SetConfig(const char* section, const char* key, const std::string& value) const;
    // The text of a key of the language file LANG\Rus.ini ("" when missing).
    std::string LanguageText(const char* section, const char* key) const;
    // The code of a button in Bin\defcode.bin, or -1.
    std::int64_t ButtonCode(const std::string& button) const;

private:
    std::string path_;
    bool made_ = false;
};

// The feed of codes into the test receiver library; made before the program starts.
class TReceiverFeed {
public:
    TReceiverFeed();
    ~TReceiverFeed();
    TReceiverFeed(const TReceiverFeed&) = delete;
    TReceiverFeed& operator=(const TReceiverFeed&) = delete;

    void Press(std::int64_t code);
    // True when every fed code was handed out within the time.
    bool WaitHandedOut(DWORD timeoutMs) const;
    const test_receiver::TFeed& State() const { return *feed_; }

private:
    HANDLE mapping_ = nullptr;
    test_receiver::TFeed* feed_ = nullptr;
};

// One started tray program; ended (closed, else terminated) when the object goes.
class TTrayProgram {
public:
    explicit TTrayProgram(const TProgramFolder& folder);
    ~TTrayProgram();
    TTrayProgram(const TTrayProgram&) = delete;
    TTrayProgram& operator=(const TTrayProgram&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Pid() const { return pid_; }
    bool Running() const;
    // The exit code once the process ended within the time.
    std::optional<DWORD> WaitExit(DWORD timeoutMs) const;
    // The process's top-level windows, visible or not.
    std::vector<HWND> Windows() const;
    // Its first top-level window of the class, or none.
    HWND FindWindowOfClass(const char* className) const;
    // Its top-level windows that are visible.
    std::vector<HWND> VisibleWindows() const;

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

std::string WindowClass(HWND window);
// The window's text, asked from its own process.
std::string WindowText(HWND window);
// The texts of the window's child controls of the class, in their order.
std::vector<std::string> ChildTexts(HWND window, const char* className);
