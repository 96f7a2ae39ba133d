// Window messages: sent and posted messages, the per-thread posted queues and the drop protocol.
#include "desktop_state.h"

#include <shlobj.h>

#include "cp1251.h"

#include <cstring>

using namespace win32sim::detail;

namespace {

// The 8-bit form of a UTF-16 character, '?' where the code page has none.
char FromUtf16(char16_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    for (std::size_t i = 0; i < cp1251::kHighToUnicode.size(); ++i)
        if (cp1251::kHighToUnicode[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

// Reads the block of a WM_DROPFILES message as the receiving window would.
win32sim::DropRecord ParseDrop(HWND window, HANDLE memory) {
    win32sim::DropRecord drop;
    drop.window = window;
    const auto block = GlobalBlock(memory);
    drop.blockSize = block.size;
    if (block.data == nullptr || block.size < sizeof(DROPFILES))
        return drop;
    DROPFILES header;
    std::memcpy(&header, block.data, sizeof header);
    drop.pFiles = header.pFiles;
    drop.pt = header.pt;
    drop.fNC = header.fNC;
    drop.fWide = header.fWide;
    const std::size_t unit = header.fWide ? 2 : 1;
    std::size_t at = header.pFiles;
    std::string name;
    while (at + unit <= block.size) {
        char16_t c;
        if (header.fWide) {
            std::uint16_t raw;
            std::memcpy(&raw, block.data + at, 2);
            c = raw;
        } else {
            c = block.data[at];
        }
        at += unit;
        if (c != 0) {
            name += header.fWide ? FromUtf16(c) : static_cast<char>(c);
            continue;
        }
        if (name.empty()) {
            drop.wellFormed = true;
            break;
        }
        drop.files.push_back(std::move(name));
        name.clear();
    }
    return drop;
}

void Log(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, bool posted) {
    TheDesktop().messages.push_back({window, msg, wParam, lParam, posted});
}

// A foreign window handles what it receives: a drop is read and its memory released.
void ForeignReceives(HWND window, UINT msg, WPARAM wParam) {
    if (msg != WM_DROPFILES)
        return;
    const HANDLE memory = reinterpret_cast<HANDLE>(wParam);
    TheDesktop().drops.push_back(ParseDrop(window, memory));
    if (GlobalBlock(memory).data != nullptr)
        GlobalFree(memory);
}

} // namespace

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    win32sim::WindowProc proc;
    {
        std::lock_guard lock(DesktopMutex());
        auto& d = TheDesktop();
        const auto result = [&] {
            const auto it = d.results.find({hWnd, Msg});
            return it == d.results.end() ? LRESULT{0} : it->second;
        };
        if (hWnd == HWND_BROADCAST) {
            Log(hWnd, Msg, wParam, lParam, false);
            return result();
        }
        const auto* w = FindDesktopWindow(hWnd);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (!w->own) {
            Log(hWnd, Msg, wParam, lParam, false);
            ForeignReceives(hWnd, Msg, wParam);
            return result();
        }
        proc = w->proc;
    }
    return proc ? proc(hWnd, Msg, wParam, lParam) : 0;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(DesktopMutex());
    auto& d = TheDesktop();
    MSG msg{hWnd, Msg, wParam, lParam, GetTickCount(), d.cursor};
    if (hWnd == nullptr) {
        // A thread message, for the calling thread's own loop.
        d.queues[GetCurrentThreadId()].push_back(msg);
        return TRUE;
    }
    if (hWnd == HWND_BROADCAST) {
        Log(hWnd, Msg, wParam, lParam, true);
        return TRUE;
    }
    const auto* w = FindDesktopWindow(hWnd);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->own) {
        d.queues[w->threadId].push_back(msg);
        return TRUE;
    }
    Log(hWnd, Msg, wParam, lParam, true);
    ForeignReceives(hWnd, Msg, wParam);
    return TRUE;
}

// The oldest posted message of the calling thread that passes the filters: a window (with its
// thread messages left out), or (HWND)-1 for thread messages only, and a range of messages
// (0, 0: all).
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    std::lock_guard lock(DesktopMutex());
    auto& queues = TheDesktop().queues;
    const auto queue = queues.find(GetCurrentThreadId());
    if (queue == queues.end())
        return FALSE;
    const bool anyMessage = wMsgFilterMin == 0 && wMsgFilterMax == 0;
    const HWND threadOnly = reinterpret_cast<HWND>(-1);
    for (auto it = queue->second.begin(); it != queue->second.end(); ++it) {
        if (hWnd == threadOnly ? it->hwnd != nullptr : hWnd != nullptr && it->hwnd != hWnd)
            continue;
        if (!anyMessage && (it->message < wMsgFilterMin || it->message > wMsgFilterMax))
            continue;
        *lpMsg = *it;
        if ((wRemoveMsg & PM_REMOVE) != 0)
            queue->second.erase(it);
        return TRUE;
    }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    return lpMsg == nullptr ? 0 : win32sim::DispatchPostedMessage(*lpMsg);
}

namespace win32sim {

std::vector<MessageRecord> MessageLog() {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().messages;
}

void SetMessageResult(HWND window, UINT message, LRESULT result) {
    std::lock_guard lock(DesktopMutex());
    TheDesktop().results[{window, message}] = result;
}

std::vector<DropRecord> Drops() {
    std::lock_guard lock(DesktopMutex());
    return TheDesktop().drops;
}

bool PeekPostedMessage(MSG& msg) {
    std::lock_guard lock(DesktopMutex());
    auto& queues = TheDesktop().queues;
    const auto it = queues.find(GetCurrentThreadId());
    if (it == queues.end() || it->second.empty())
        return false;
    msg = it->second.front();
    it->second.pop_front();
    return true;
}

LRESULT DispatchPostedMessage(const MSG& msg) {
    WindowProc proc;
    {
        std::lock_guard lock(DesktopMutex());
        const auto* w = FindDesktopWindow(msg.hwnd);
        if (w == nullptr || !w->own)
            return 0;
        proc = w->proc;
    }
    return proc ? proc(msg.hwnd, msg.message, msg.wParam, msg.lParam) : 0;
}

} // namespace win32sim
