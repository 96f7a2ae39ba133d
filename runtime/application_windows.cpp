// Other applications' windows and processes: learning a window class, activating or starting
// an application, dropping files on its window, and running the search program.
#include "application_windows.h"

#include "program_folder.h"
#include "runtime_state.h"

#include <cp1251.h>

#include <cstring>
#include <exception>
#include <new>
#include <vector>

namespace {

constexpr DWORD kIdleTimeout = 20000;
constexpr DWORD kLearnPause = 10000;
constexpr DWORD kActivatePause = 2000;
constexpr DWORD kSearchPause = 2000;
constexpr DWORD kSearchPoll = 1000;

constexpr char kSearchClass[] = "TFSetup";
constexpr auto kSearchCaption = cp1251::Literal("Поиск приложений");

// The header of the block WM_DROPFILES hands over, as the shell lays it out.
struct TDropHeader {
    DWORD pFiles;
    LONG x;
    LONG y;
    BOOL fNC;
    BOOL fWide;
};
static_assert(sizeof(TDropHeader) == 20);

// Starts the whole command line with no inheritance, no environment, no directory.
bool StartProgram(const std::string& commandLine, PROCESS_INFORMATION& pi) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    std::memset(&pi, 0, sizeof pi);
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi) != FALSE;
}

void CloseProcessHandles(PROCESS_INFORMATION& pi) {
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    pi.hProcess = nullptr;
    pi.hThread = nullptr;
}

void ReadClassName(HWND window) {
    char* buffer = Runtime.ClassBuffer;
    if (GetClassNameA(window, buffer, sizeof Runtime.ClassBuffer) <= 0)
        buffer[0] = 0;
    buffer[sizeof Runtime.ClassBuffer - 1] = 0;
}

bool ValidIndex(std::int32_t index) {
    return index >= 0 && index < Runtime.ApplCount &&
           index < static_cast<std::int32_t>(Runtime.ApplTable.size());
}

} // namespace

HWND WndHandle(std::int32_t wnd) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(wnd));
}

std::int32_t WndValue(HWND window) {
    return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window));
}

std::string LearnWindowClass(const std::string& commandLine) {
    TRuntimeState& rt = Runtime;
    std::memset(rt.ClassBuffer, 0, sizeof rt.ClassBuffer);
    PROCESS_INFORMATION pi;
    try {
        if (!StartProgram(commandLine, pi))
            return std::string();
        if (WaitForInputIdle(pi.hProcess, kIdleTimeout) == 0) {
            Sleep(kLearnPause);
            rt.EnumApplIndex = -1;
            EnumThreadWindows(pi.dwThreadId, EnumThreadWindowsProc, 1);
        }
        if (rt.ClassBuffer[0] == 0) {
            POINT pt{};
            GetCursorPos(&pt);
            if (HWND w = WindowFromPoint(pt))
                ReadClassName(w);
        }
        TerminateProcess(pi.hProcess, 0);
        CloseProcessHandles(pi);
    } catch (const std::exception&) {
        CloseProcessHandles(pi);
        return std::string();
    }
    return rt.ClassBuffer;
}

BOOL CALLBACK EnumThreadWindowsProc(HWND window, LPARAM param) {
    TRuntimeState& rt = Runtime;
    if (window == nullptr)
        return param != 0;
    ReadClassName(window);
    if (rt.EnumApplIndex == -1) {
        if (std::strchr(rt.ClassBuffer, '#') != nullptr)
            rt.ClassBuffer[0] = 0;
        if (IsWindowVisible(window))
            return FALSE;
        rt.ClassBuffer[0] = 0;
        return TRUE;
    }
    if (!ValidIndex(rt.EnumApplIndex))
        return FALSE;
    TApplEntry& entry = rt.ApplTable[rt.EnumApplIndex];
    if (AnsiSameText(rt.ClassBuffer, FieldText(entry.ClassName))) {
        entry.Wnd = WndValue(window);
        return FALSE;
    }
    return TRUE;
}

bool ActivateApplication(std::int32_t index, const TStringList* files) {
    TRuntimeState& rt = Runtime;
    if (!ValidIndex(index))
        return false;
    PROCESS_INFORMATION pi{};
    try {
        bool found = false;
        if (rt.ApplTable[index].Wnd != 0) {
            const HWND w = FindWindowA(rt.ApplTable[index].ClassName, nullptr);
            rt.ApplTable[index].Wnd = WndValue(w);
            if (w != nullptr) {
                SetForegroundWindow(w);
                found = true;
            }
        }
        if (!found && StartProgram(FieldText(rt.ApplTable[index].Path), pi)) {
            if (WaitForInputIdle(pi.hProcess, kIdleTimeout) == 0) {
                Sleep(kActivatePause);
                rt.EnumApplIndex = index;
                rt.ApplTable[index].Wnd = 0;
                EnumThreadWindows(pi.dwThreadId, EnumThreadWindowsProc, 1);
            }
            CloseProcessHandles(pi);
        }
    } catch (const std::exception&) {
        CloseProcessHandles(pi);
        rt.EnumApplIndex = -1;
        return false;
    }
    rt.EnumApplIndex = -1;
    if (rt.ApplTable[index].Wnd == 0)
        return false;
    if (files)
        return DropFilesToWindow(WndHandle(rt.ApplTable[index].Wnd), *files);
    return true;
}

bool RunSearchProgram(std::uint8_t unattended) {
    std::string commandLine = "\"";
    commandLine.append(ProgramFolder()).append("Orlimax.exe\"");
    if (unattended)
        commandLine += " auto";
    PROCESS_INFORMATION pi;
    if (!StartProgram(commandLine, pi))
        return false;
    bool result = false;
    if (WaitForInputIdle(pi.hProcess, kIdleTimeout) == 0) {
        Sleep(kSearchPause);
        result = true;
        while (FindWindowA(kSearchClass, kSearchCaption.c_str()) != nullptr)
            Sleep(kSearchPoll);
    }
    CloseProcessHandles(pi);
    return result;
}

bool DropFilesToWindow(HWND window, const TStringList& files) {
    std::size_t total = 0;
    const auto count = static_cast<std::size_t>(files.Count());
    for (const std::string& name : files)
        total += name.size();
    if (total == 0)
        return false;
    const std::size_t size = 2 * (total + count) + 2;

    std::vector<char> list;
    try {
        list.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const bool wide = !Runtime.NoLayeredWindows;
    std::size_t at = 0;
    for (const std::string& name : files) {
        if (!wide) {
            std::memcpy(list.data() + at, name.data(), name.size());
            at += name.size() + 1;
            continue;
        }
        // Each byte of the code page is one UTF-16 character, so the area always has room, and
        // names of any length are converted whole.
        if (!name.empty()) {
            const int room = static_cast<int>((size - at) / 2);
            const int made =
                MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                    reinterpret_cast<LPWSTR>(list.data() + at), room);
            if (made <= 0)
                return false;
            at += static_cast<std::size_t>(made) * 2;
        }
        at += 2;
    }

    const HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, sizeof(TDropHeader) + size);
    if (block == nullptr)
        return false;
    auto* memory = static_cast<char*>(GlobalLock(block));
    if (memory == nullptr) {
        GlobalFree(block);
        return false;
    }
    const TDropHeader header{sizeof(TDropHeader), 1, 1, FALSE, wide ? TRUE : FALSE};
    std::memcpy(memory, &header, sizeof header);
    std::memcpy(memory + sizeof header, list.data(), size);
    GlobalUnlock(block);
    if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) {
        // Nobody took the block: it is still ours to free.
        GlobalFree(block);
        return false;
    }
    return true;
}
