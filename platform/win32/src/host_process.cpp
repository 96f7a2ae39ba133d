// A simulated process run by a host program of its own: starting it with the link on its
// standard input, handing it the machine, and stepping it on this process's clock.
#include "host_process.h"

#include "file_system.h"
#include "hex_word.h"
#include "sim_state.h"
#include "win32sim/desktop.h"
#include "win32sim/objects.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace win32sim::detail {

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find(' ', at);
        const std::size_t stop = end == std::string::npos ? line.size() : end;
        if (stop > at)
            words.push_back(line.substr(at, stop - at));
        at = stop + 1;
    }
    return words;
}

LineLink::~LineLink() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool LineLink::Send(const std::string& line) {
    const std::string out = line + "\n";
    std::size_t sent = 0;
    while (sent < out.size()) {
        // A socket, so that writing to a program that has gone fails instead of signalling.
        const ssize_t n = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> LineLink::Receive() {
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::unique_ptr<HostProcess> HostProcess::Spawn(const std::vector<std::string>& program) {
    if (program.empty())
        return nullptr;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    std::vector<char*> argv;
    for (const std::string& a : program)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string mark = std::string(kLinkVariable) + "=1";
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, kLinkVariable, sizeof kLinkVariable - 1) != 0)
            envp.push_back(*e);
    envp.push_back(const_cast<char*>(mark.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The program's end of the link is its standard input; its output stays this process's.
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (rc != 0) {
        ::close(ends[0]);
        return nullptr;
    }
    return std::unique_ptr<HostProcess>(new HostProcess(pid, ends[0]));
}

HostProcess::~HostProcess() {
    Kill();
}

void HostProcess::Begin(const std::string& programPath, const std::string& commandLine) {
    path_ = programPath;
    std::vector<std::string> lines;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (const std::string root = DriveRoot(letter); !root.empty())
            lines.push_back(std::string("drive ") + letter + " " + hexword::Encode(root));
    lines.push_back("path " + hexword::Encode(programPath));
    lines.push_back("line " + hexword::Encode(commandLine));
    lines.push_back("dir " + hexword::Encode(CurrentDirectory()));
    reportedAt_ = VirtualTicks();
    lines.push_back("clock " + std::to_string(reportedAt_));
    SYSTEMTIME t{};
    GetLocalTime(&t);
    char time[96];
    std::snprintf(time, sizeof time, "time %u %u %u %u %u %u %u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    lines.push_back(time);
    lines.push_back("objects " + hexword::Encode(ObjectNamespace()));
    lines.push_back("screen " + std::to_string(ScreenWidth()) + " " +
                    std::to_string(ScreenHeight()));
    lines.push_back("start");
    for (const std::string& line : lines) {
        if (!link_.Send(line)) {
            Ended(std::nullopt);
            return;
        }
    }
    ReadReport();
}

bool HostProcess::RunUntil(std::uint64_t now) {
    bool reported = false;
    while (running_ && waitingUntil_ <= now) {
        reportedAt_ = waitingUntil_;
        if (!link_.Send("go " + std::to_string(waitingUntil_))) {
            Ended(std::nullopt);
            return true;
        }
        ReadReport();
        reported = true;
    }
    return reported;
}

void HostProcess::ReadReport() {
    std::vector<HostedWindow> windows;
    while (running_) {
        const auto line = link_.Receive();
        if (!line) {
            Ended(std::nullopt);
            return;
        }
        const auto w = SplitWords(*line);
        if (w.size() == 9 && w[0] == "window") {
            HostedWindow h;
            h.id = std::strtoull(w[1].c_str(), nullptr, 16);
            h.visible = w[2] == "1";
            h.bounds = {std::atoi(w[3].c_str()), std::atoi(w[4].c_str()), std::atoi(w[5].c_str()),
                        std::atoi(w[6].c_str())};
            if (hexword::Decode(w[7], h.className) && hexword::Decode(w[8], h.caption))
                windows.push_back(std::move(h));
        } else if (w.size() == 3 && w[0] == "wait") {
            waitingUntil_ = std::strtoull(w[1].c_str(), nullptr, 10);
            if (w[2] == "1")
                everIdle_ = true;
            windows_ = std::move(windows);
            return;
        } else if (w.size() == 8 && w[0] == "box") {
            if (!AnswerBox(w)) {
                Ended(std::nullopt);
                return;
            }
        } else if (w.size() == 2 && w[0] == "exit") {
            Ended(static_cast<DWORD>(std::strtoul(w[1].c_str(), nullptr, 10)));
            return;
        }
    }
}

bool HostProcess::AnswerBox(const std::vector<std::string>& w) {
    HostedBox box;
    box.program = path_;
    box.time = static_cast<DWORD>(std::strtoul(w[1].c_str(), nullptr, 10));
    box.kind = std::atoi(w[2].c_str());
    box.choice = w[3] == "1";
    box.buttons = std::atoi(w[4].c_str());
    box.answer = std::atoi(w[5].c_str());
    if (!hexword::Decode(w[6], box.caption) || !hexword::Decode(w[7], box.text))
        return link_.Send("answer 0");
    int answer = box.choice ? 0 : box.answer;
    if (const auto answerer = HostedBoxAnswerer())
        answer = answerer(box);
    return link_.Send("answer " + std::to_string(answer));
}

void HostProcess::Ended(std::optional<DWORD> reported) {
    if (!running_)
        return;
    running_ = false;
    windows_.clear();
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(pid_, &status, 0);
    } while (waited < 0 && errno == EINTR);
    DWORD host = 1;
    if (waited == pid_ && WIFEXITED(status))
        host = static_cast<DWORD>(WEXITSTATUS(status));
    else if (waited == pid_ && WIFSIGNALED(status))
        host = static_cast<DWORD>(128 + WTERMSIG(status));
    const bool agrees = reported && waited == pid_ && WIFEXITED(status) &&
                        (*reported & 0xFF) == static_cast<DWORD>(WEXITSTATUS(status));
    exitCode_ = agrees ? *reported : host;
}

void HostProcess::Kill() {
    if (!running_)
        return;
    ::kill(pid_, SIGKILL);
    Ended(std::nullopt);
}

} // namespace win32sim::detail
