// A second host process for tests of objects shared between processes: started with pipes on
// its standard input and output, spoken to in lines.
#pragma once

#include <string>
#include <vector>

class ChildProcess {
public:
    // Starts the program with the arguments (the program path is argument 0).
    explicit ChildProcess(const std::vector<std::string>& arguments);
    // Closes the child's input and waits for it to end.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // Sends one line (a newline is added).
    void WriteLine(const std::string& line);
    // The next line the child wrote, without its newline; empty at the end of its output or
    // when nothing came within the real-time limit.
    std::string ReadLine(unsigned realMillisecondsLimit = 30000);
    // Closes the child's input and waits for it to end; its exit status, or -1 when it was
    // killed by a signal.
    int Wait();

private:
    int pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    int status_ = -1;
    std::string pending_;
};
