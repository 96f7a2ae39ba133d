// Starting and talking to a second host process.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0)
        return;
    if (::pipe2(output, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::vector<char*> argv;
    for (const auto& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    pid_ = pid;
    toChild_ = input[1];
    fromChild_ = output[0];
}

ChildProcess::~ChildProcess() {
    Wait();
    if (fromChild_ >= 0)
        ::close(fromChild_);
}

void ChildProcess::WriteLine(const std::string& line) {
    if (toChild_ < 0)
        return;
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(toChild_, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return;
        done += static_cast<std::size_t>(put);
    }
}

std::string ChildProcess::ReadLine(unsigned realMillisecondsLimit) {
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(realMillisecondsLimit);
    for (;;) {
        const auto newline = pending_.find('\n');
        if (newline != std::string::npos) {
            std::string line = pending_.substr(0, newline);
            pending_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            limit - std::chrono::steady_clock::now());
        if (fromChild_ < 0 || left.count() <= 0)
            return {};
        pollfd p{fromChild_, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return {};
        char buffer[256];
        const ssize_t got = ::read(fromChild_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

int ChildProcess::Wait() {
    if (toChild_ >= 0) {
        ::close(toChild_);
        toChild_ = -1;
    }
    if (pid_ > 0) {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        pid_ = 0;
    }
    return status_;
}
