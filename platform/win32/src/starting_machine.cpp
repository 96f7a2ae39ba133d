// A host program on the machine of the process that started it: taking the machine over, and
// following that process's clock while reporting this program's windows.
#include "hex_word.h"
#include "host_process.h"
#include "sim_state.h"
#include "win32sim/desktop.h"
#include "win32sim/machine.h"
#include "win32sim/message_boxes.h"
#include "win32sim/objects.h"
#include "win32sim/processes.h"
#include "win32sim/system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

using namespace win32sim::detail;

std::mutex linkLock;
std::unique_ptr<LineLink> starter;

// The starting process is gone: nothing can move this clock any more.
[[noreturn]] void Orphaned() {
    std::fputs("simulated machine: the starting process is gone\n", stderr);
    std::_Exit(1);
}

void SendWindows() {
    for (const auto& w : win32sim::Windows()) {
        if (!w.own)
            continue;
        char head[160];
        std::snprintf(head, sizeof head, "window %llx %d %ld %ld %ld %ld ",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(w.handle)),
                      w.visible ? 1 : 0, static_cast<long>(w.bounds.left),
                      static_cast<long>(w.bounds.top), static_cast<long>(w.bounds.right),
                      static_cast<long>(w.bounds.bottom));
        if (!starter->Send(head + hexword::Encode(w.className) + " " + hexword::Encode(w.caption)))
            Orphaned();
    }
}

void Follow(std::uint64_t target, bool waitingForInput) {
    std::lock_guard lock(linkLock);
    SendWindows();
    if (!starter->Send("wait " + std::to_string(target) + (waitingForInput ? " 1" : " 0")))
        Orphaned();
    const auto line = starter->Receive();
    if (!line)
        Orphaned();
    const auto w = SplitWords(*line);
    if (w.size() != 2 || w[0] != "go")
        Orphaned();
    MoveClockTo(std::strtoull(w[1].c_str(), nullptr, 10));
}

// One line of the machine's hand-over; false for a line it cannot read.
bool Apply(const std::vector<std::string>& w) {
    std::string text;
    if (w.size() == 3 && w[0] == "drive" && w[1].size() == 1 && hexword::Decode(w[2], text)) {
        win32sim::MapDrive(w[1][0], text);
    } else if (w.size() == 2 && w[0] == "path" && hexword::Decode(w[1], text)) {
        win32sim::SetProgramPath(text);
    } else if (w.size() == 2 && w[0] == "line" && hexword::Decode(w[1], text)) {
        win32sim::SetCommandLine(text);
    } else if (w.size() == 2 && w[0] == "dir" && hexword::Decode(w[1], text)) {
        SetCurrentDirectoryA(text.c_str());
    } else if (w.size() == 2 && w[0] == "clock") {
        MoveClockTo(std::strtoull(w[1].c_str(), nullptr, 10));
    } else if (w.size() == 8 && w[0] == "time") {
        SYSTEMTIME t{};
        WORD* fields[] = {&t.wYear,   &t.wMonth,  &t.wDay,         &t.wHour,
                          &t.wMinute, &t.wSecond, &t.wMilliseconds};
        for (std::size_t i = 0; i < 7; ++i)
            *fields[i] = static_cast<WORD>(std::atoi(w[i + 1].c_str()));
        win32sim::SetLocalTime(t);
    } else if (w.size() == 2 && w[0] == "objects" && hexword::Decode(w[1], text)) {
        win32sim::SetObjectNamespace(text);
    } else if (w.size() == 3 && w[0] == "screen") {
        win32sim::SetScreenSize(std::atoi(w[1].c_str()), std::atoi(w[2].c_str()));
    } else {
        return false;
    }
    return true;
}

} // namespace

namespace win32sim {

bool JoinStartingMachine() {
    const char* mark = std::getenv(kLinkVariable);
    if (mark == nullptr || std::strcmp(mark, "1") != 0)
        return false;
    // The link moves off the standard input, so that programs this one starts never inherit it.
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd < 0)
        return false;
    const int none = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (none >= 0) {
        ::dup2(none, STDIN_FILENO);
        ::close(none);
    }
    ::unsetenv(kLinkVariable);
    starter = std::make_unique<LineLink>(fd);
    ResetMachine();
    for (;;) {
        const auto line = starter->Receive();
        if (!line)
            Orphaned();
        if (*line == "start")
            break;
        if (!Apply(SplitWords(*line))) {
            std::fprintf(stderr, "simulated machine: cannot take over \"%s\"\n", line->c_str());
            return false;
        }
    }
    FollowClock(&Follow);
    // Nobody sees this program's boxes here: the starting machine answers them.
    win32sim::SetUnansweredMessageBoxHandler([](const win32sim::MessageBoxShown& shown) {
        win32sim::HostedBox box;
        box.kind = 2; // a message box
        box.caption = shown.caption;
        box.text = shown.text;
        box.choice = (shown.type & 0xF) != MB_OK;
        box.buttons = static_cast<int>(shown.type);
        box.answer = IDOK;
        return win32sim::ShowOnStartingMachine(box);
    });
    return true;
}

int ShowOnStartingMachine(const HostedBox& box) {
    std::lock_guard lock(linkLock);
    if (!starter)
        return box.choice ? 0 : box.answer;
    if (!starter->Send("box " + std::to_string(GetTickCount()) + " " + std::to_string(box.kind) +
                       (box.choice ? " 1 " : " 0 ") + std::to_string(box.buttons) + " " +
                       std::to_string(box.answer) + " " + hexword::Encode(box.caption) + " " +
                       hexword::Encode(box.text)))
        Orphaned();
    const auto line = starter->Receive();
    if (!line)
        Orphaned();
    const auto w = SplitWords(*line);
    if (w.size() != 2 || w[0] != "answer")
        Orphaned();
    return std::atoi(w[1].c_str());
}

void LeaveStartingMachine(DWORD exitCode) {
    std::lock_guard lock(linkLock);
    if (starter)
        starter->Send("exit " + std::to_string(exitCode));
}

} // namespace win32sim
