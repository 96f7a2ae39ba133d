// A host program for the tests of programs that a simulated machine starts as host processes:
// it takes over the machine that started it and does the steps its simulated command line
// names, one after another: "busy <ms>" (Sleep), "idle <ms>" (its loop waits for input),
// "window <class> <caption>", "caption <text>" (of that window), "write <path>" (a file holding
// "done"), "signal <event name>", "abort", "exit <code>", "report <code> <host status>"
// (reports one exit code, then ends with another, as a sanitizer's finding at the end does),
// "ask <text>" (a Yes/No MessageBoxA captioned "Peer"; it ends with the answer as its exit
// code) and "tell <text>" (an OK box).
#include "win32sim/desktop.h"
#include "win32sim/processes.h"

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>

int main() {
    if (!win32sim::JoinStartingMachine())
        return 2;
    std::istringstream words(GetCommandLineA());
    std::string step;
    words >> step; // the program
    HWND window = nullptr;
    while (words >> step) {
        std::string a, b;
        if (step == "busy" && words >> a) {
            Sleep(static_cast<DWORD>(std::stoul(a)));
        } else if (step == "idle" && words >> a) {
            win32sim::WaitForInput(static_cast<DWORD>(std::stoul(a)));
        } else if (step == "window" && words >> a >> b) {
            win32sim::WindowSpec spec;
            spec.className = a;
            spec.caption = b;
            window = win32sim::CreateOwnWindow(
                spec, [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
        } else if (step == "caption" && words >> a) {
            win32sim::SetWindowCaption(window, a);
        } else if (step == "write" && words >> a) {
            const HANDLE file = CreateFileA(a.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, "done", 4, &written, nullptr);
            CloseHandle(file);
        } else if (step == "signal" && words >> a) {
            const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, a.c_str());
            SetEvent(event);
            CloseHandle(event);
        } else if (step == "ask" && words >> a) {
            const int answer = MessageBoxA(nullptr, a.c_str(), "Peer", MB_YESNO);
            win32sim::LeaveStartingMachine(static_cast<DWORD>(answer));
            return answer;
        } else if (step == "tell" && words >> a) {
            MessageBoxA(nullptr, a.c_str(), "Peer", MB_OK);
        } else if (step == "abort") {
            std::abort();
        } else if (step == "report" && words >> a >> b) {
            win32sim::LeaveStartingMachine(static_cast<DWORD>(std::stoul(a)));
            return std::stoi(b);
        } else if (step == "exit" && words >> a) {
            const auto code = static_cast<DWORD>(std::stoul(a));
            win32sim::LeaveStartingMachine(code);
            return static_cast<int>(code);
        }
    }
    win32sim::LeaveStartingMachine(0);
    return 0;
}
