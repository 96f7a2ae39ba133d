// Control interface of message boxes (not Win32): a script of answers and the log of what was
// shown. A box that finds no scripted answer goes to the unanswered handler; without one, the
// process aborts, naming the box.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace win32sim {

struct MessageBoxShown {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;  // MB_* flags as passed
    int answer = 0; // the button that dismissed it; 0 while it is open
};

// An answer may be given at once, or by a function that runs while the box is open (on the
// thread that showed it) and returns the button that dismisses it.
using MessageBoxAnswer = std::function<int(const MessageBoxShown&)>;

// Answers are used in the order they were queued, one per box, from any thread.
void QueueMessageBoxAnswer(int answer);
void QueueMessageBoxAnswer(MessageBoxAnswer answer);
std::size_t PendingMessageBoxAnswers();

// Every box shown since the machine was reset, in the order shown.
std::vector<MessageBoxShown> MessageBoxLog();

// Called for a box with no scripted answer; its result is what MessageBoxA returns.
void SetUnansweredMessageBoxHandler(MessageBoxAnswer handler);

} // namespace win32sim
