// Conformance tables of window messages: sent to the test's own window procedures, and posted,
// peeked and dispatched in order.
#include "conformance_fixture.h"

#include <string>
#include <vector>

namespace conformance {
namespace {

constexpr UINT kFirst = WM_USER + 1;
constexpr UINT kLast = WM_USER + 99;

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

std::vector<Received> received;

// Records what it receives and answers with a value made of the message and its parameters.
LRESULT Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam, lParam});
    return static_cast<LRESULT>(message - WM_USER) * 100 + static_cast<LRESULT>(wParam) * 10 +
           lParam;
}

std::string Describe(const std::vector<Received>& list, HWND a, HWND b) {
    std::string out;
    for (const auto& r : list)
        out += std::string(out.empty() ? "" : " ") +
               (r.window == a         ? "A"
                : r.window == b       ? "B"
                : r.window == nullptr ? "thread"
                                      : "?") +
               ":" + std::to_string(r.message - WM_USER) + "/" + std::to_string(r.wParam) + "/" +
               std::to_string(r.lParam);
    return out;
}

class MessagesConformance : public ConformanceTest {
protected:
    HWND a = nullptr;
    HWND b = nullptr;

    void SetUp() override {
        ConformanceTest::SetUp();
        received.clear();
        a = MakeWindow({.caption = "A", .proc = Record});
        b = MakeWindow({.caption = "B", .proc = Record});
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
    }

    // Takes the posted messages that pass the filter, in the order PeekMessageA gives them.
    std::vector<Received> Drain(HWND filter, UINT first = kFirst, UINT last = kLast) {
        std::vector<Received> out;
        MSG msg;
        while (PeekMessageA(&msg, filter, first, last, PM_REMOVE))
            out.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
        return out;
    }
};

TEST_F(MessagesConformance, SendMessageCallsTheProcedureAndReturnsItsResult) {
    const struct {
        HWND* window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        LRESULT result;
    } cases[] = {
        {&a, WM_USER + 1, 2, 3, 123},
        {&b, WM_USER + 4, 0, 0, 400},
        {&a, WM_USER + 9, 9, -9, 981},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE("message WM_USER+" + std::to_string(k.message - WM_USER));
        received.clear();
        EXPECT_EQ(SendMessageA(*k.window, k.message, k.wParam, k.lParam), k.result);
        EXPECT_EQ(received, (std::vector<Received>{{*k.window, k.message, k.wParam, k.lParam}}));
    }
}

TEST_F(MessagesConformance, MessagesToAWindowThatIsGone) {
    DestroyMadeWindow(b);
    received.clear();
    SetLastError(kStaleError);
    EXPECT_EQ(SendMessageA(b, WM_USER + 1, 1, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(kStaleError);
    EXPECT_FALSE(PostMessageA(b, WM_USER + 1, 1, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(Describe(Drain(nullptr), a, b), "");
}

// Posting only queues; PeekMessageA takes the messages oldest first, through its filters.
TEST_F(MessagesConformance, PostedMessagesArePeekedInOrder) {
    const struct {
        const char* label;
        HWND filter;
        UINT first;
        UINT last;
        std::string taken; // by the filtered peeks
        std::string rest;  // then by unfiltered ones
    } cases[] = {
        {"no filter", nullptr, kFirst, kLast, "A:1/1/0 B:2/2/0 thread:3/3/0 A:4/4/0 B:5/5/0", ""},
        {"window A", a, kFirst, kLast, "A:1/1/0 A:4/4/0", "B:2/2/0 thread:3/3/0 B:5/5/0"},
        {"window B", b, kFirst, kLast, "B:2/2/0 B:5/5/0", "A:1/1/0 thread:3/3/0 A:4/4/0"},
        {"thread messages only", reinterpret_cast<HWND>(-1), kFirst, kLast, "thread:3/3/0",
         "A:1/1/0 B:2/2/0 A:4/4/0 B:5/5/0"},
        {"range 2 to 4", nullptr, WM_USER + 2, WM_USER + 4, "B:2/2/0 thread:3/3/0 A:4/4/0",
         "A:1/1/0 B:5/5/0"},
        {"one message", nullptr, WM_USER + 5, WM_USER + 5, "B:5/5/0",
         "A:1/1/0 B:2/2/0 thread:3/3/0 A:4/4/0"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.label);
        received.clear();
        ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 1, 0));
        ASSERT_TRUE(PostMessageA(b, WM_USER + 2, 2, 0));
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 3, 0));
        ASSERT_TRUE(PostMessageA(a, WM_USER + 4, 4, 0));
        ASSERT_TRUE(PostMessageA(b, WM_USER + 5, 5, 0));
        EXPECT_TRUE(received.empty());
        EXPECT_EQ(Describe(Drain(k.filter, k.first, k.last), a, b), k.taken);
        EXPECT_EQ(Describe(Drain(nullptr), a, b), k.rest);
        EXPECT_TRUE(received.empty());
    }
}

TEST_F(MessagesConformance, PeekWithoutRemovingLeavesTheMessage) {
    ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 7, 8));
    ASSERT_TRUE(PostMessageA(b, WM_USER + 2, 0, 0));
    MSG msg{};
    for (const UINT flags : {PM_NOREMOVE, PM_NOREMOVE, PM_REMOVE}) {
        SCOPED_TRACE(flags == PM_REMOVE ? "PM_REMOVE" : "PM_NOREMOVE");
        msg = MSG{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, kFirst, kLast, flags));
        EXPECT_EQ(msg.hwnd, a);
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
        EXPECT_EQ(msg.wParam, 7u);
        EXPECT_EQ(msg.lParam, 8);
    }
    EXPECT_EQ(Describe(Drain(nullptr), a, b), "B:2/0/0");
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, kFirst, kLast, PM_REMOVE));
}

TEST_F(MessagesConformance, DispatchHandsAPostedMessageToItsWindow) {
    ASSERT_TRUE(PostMessageA(b, WM_USER + 3, 4, 5));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, kFirst, kLast, PM_REMOVE));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(DispatchMessageA(&msg), 345);
    EXPECT_EQ(received, (std::vector<Received>{{b, WM_USER + 3, 4, 5}}));
}

} // namespace
} // namespace conformance
