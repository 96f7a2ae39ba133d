// The fixture's Windows side: a fresh folder under the user's temporary folder, and popup windows
// made as the toolkit's Windows presentation makes them.
#include "conformance_fixture.h"

#include <map>
#include <set>

namespace conformance::side {
namespace {

std::map<HWND, MessageProc>& Procs() {
    static std::map<HWND, MessageProc> procs;
    return procs;
}

LRESULT CALLBACK FixtureWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) {
        const auto it = Procs().find(hwnd);
        if (it != Procs().end() && it->second != nullptr)
            return it->second(hwnd, message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterOnce(const std::string& className) {
    static std::set<std::string> registered;
    if (!registered.insert(className).second)
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FixtureWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className.c_str();
    EXPECT_NE(RegisterClassA(&wc), 0) << className << " error " << GetLastError();
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

void BeginTest() {}

void EndTest() {
    // Thread messages outlive the windows; the next test starts with an empty queue.
    MSG msg;
    while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        ;
}

std::string MakeScratchFolder() {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp)
        return {};
    static unsigned serial = 0;
    const std::string folder = std::string(temp) + "conformance-" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++serial) + "\\";
    return MakeFolder(folder) ? folder : std::string();
}

void RemoveScratchFolder(const std::string& folder) {
    if (!folder.empty())
        RemoveTree(folder);
}

bool MakeFolder(const std::string& windowsPath) {
    return CreateDirectoryA(windowsPath.c_str(), nullptr) != 0;
}

HWND MakeWindow(const WindowOptions& options) {
    RegisterOnce(options.className);
    const RECT& b = options.bounds;
    const HWND hwnd = CreateWindowExA(0, options.className.c_str(), options.caption.c_str(),
                                      WS_POPUP, b.left, b.top, b.right - b.left, b.bottom - b.top,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr)
        return nullptr;
    Procs()[hwnd] = options.proc;
    if (options.visible)
        ShowWindow(hwnd, SW_SHOWNA);
    return hwnd;
}

void DestroyWindowMade(HWND window) {
    DestroyWindow(window);
    Procs().erase(window);
}

} // namespace conformance::side
