// Message boxes answered from a script, with a log of every box shown.
#include "sim_state.h"
#include "win32sim/message_boxes.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace win32sim::detail {
namespace {

std::mutex boxLock;
std::deque<MessageBoxAnswer> answers;
std::vector<MessageBoxShown> shown;
MessageBoxAnswer unanswered;

} // namespace

void ResetMessageBoxes() {
    std::lock_guard lock(boxLock);
    answers.clear();
    shown.clear();
    unanswered = nullptr;
}

} // namespace win32sim::detail

namespace win32sim {

void QueueMessageBoxAnswer(int answer) {
    QueueMessageBoxAnswer([answer](const MessageBoxShown&) { return answer; });
}

void QueueMessageBoxAnswer(MessageBoxAnswer answer) {
    std::lock_guard lock(detail::boxLock);
    detail::answers.push_back(std::move(answer));
}

std::size_t PendingMessageBoxAnswers() {
    std::lock_guard lock(detail::boxLock);
    return detail::answers.size();
}

std::vector<MessageBoxShown> MessageBoxLog() {
    std::lock_guard lock(detail::boxLock);
    return detail::shown;
}

void SetUnansweredMessageBoxHandler(MessageBoxAnswer handler) {
    std::lock_guard lock(detail::boxLock);
    detail::unanswered = std::move(handler);
}

} // namespace win32sim

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    using namespace win32sim;
    using namespace win32sim::detail;
    MessageBoxShown box;
    box.owner = hWnd;
    box.text = lpText != nullptr ? lpText : "";
    box.caption = lpCaption != nullptr ? lpCaption : "Error"; // Windows' caption for none
    box.type = uType;
    MessageBoxAnswer answer;
    std::size_t entry = 0;
    {
        std::lock_guard lock(boxLock);
        entry = shown.size();
        shown.push_back(box);
        if (!answers.empty()) {
            answer = std::move(answers.front());
            answers.pop_front();
        } else {
            answer = unanswered;
        }
    }
    if (!answer) {
        std::fprintf(stderr, "MessageBoxA with no scripted answer: caption \"%s\", text \"%s\"\n",
                     box.caption.c_str(), box.text.c_str());
        std::abort();
    }
    // The box stays open while the answer runs; the lock is not held, so the answer may
    // show further boxes or read the log.
    const int result = answer(box);
    std::lock_guard lock(boxLock);
    if (entry < shown.size())
        shown[entry].answer = result;
    return result;
}
