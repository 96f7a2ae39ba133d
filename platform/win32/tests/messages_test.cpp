// Window messages: sent and posted, own and foreign windows, broadcast, the drop protocol.
#include "cp1251.h"
#include "sim_fixture.h"
#include "win32sim/desktop.h"
#include "win32sim/system.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using win32sim::WindowSpec;

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};

WindowSpec Spec(const char* cls) {
    WindowSpec s;
    s.className = cls;
    return s;
}

class MessagesTest : public SimMachineTest {
protected:
    HWND MakeOwn() {
        return win32sim::CreateOwnWindow(Spec("TFMain"),
                                         [this](HWND w, UINT m, WPARAM wp, LPARAM lp) {
                                             received.push_back({w, m, wp, lp});
                                             return static_cast<LRESULT>(m + 1);
                                         });
    }
    std::vector<Received> received;
};

TEST_F(MessagesTest, SendReachesTheOwnWindowProcedure) {
    const HWND own = MakeOwn();
    EXPECT_EQ(SendMessageA(own, WM_USER, 7, 8), static_cast<LRESULT>(WM_USER + 1));
    EXPECT_EQ(received, (std::vector<Received>{{own, WM_USER, 7, 8}}));
    EXPECT_TRUE(win32sim::MessageLog().empty()); // only foreign windows are logged
}

TEST_F(MessagesTest, ForeignWindowsLogAndAnswerWithTheSetResult) {
    const HWND player = win32sim::CreateForeignWindow(Spec("Winamp v1.x"), 30, 31);
    win32sim::SetMessageResult(player, WM_USER, 1234);
    const struct {
        HWND window;
        UINT message;
        LRESULT result;
    } cases[] = {
        {player, WM_USER, 1234},
        {player, WM_USER + 1, 0}, // no result set
        {HWND_BROADCAST, 0x0111, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(SendMessageA(c.window, c.message, 5, 6), c.result);
    }
    EXPECT_TRUE(PostMessageA(player, WM_USER + 2, 1, 2));
    EXPECT_TRUE(PostMessageA(HWND_BROADCAST, WM_USER + 3, 3, 4));
    const auto log = win32sim::MessageLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].window, player);
    EXPECT_EQ(log[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(log[0].wParam, 5u);
    EXPECT_EQ(log[0].lParam, 6);
    EXPECT_FALSE(log[0].posted);
    EXPECT_EQ(log[2].window, HWND_BROADCAST);
    EXPECT_EQ(log[3].message, static_cast<UINT>(WM_USER + 2));
    EXPECT_TRUE(log[3].posted);
    EXPECT_EQ(log[4].window, HWND_BROADCAST);
    EXPECT_TRUE(log[4].posted);
}

TEST_F(MessagesTest, BadWindowsFail) {
    const HWND gone = win32sim::CreateForeignWindow(Spec("Gone"), 1, 2);
    ASSERT_TRUE(win32sim::RemoveWindow(gone));
    const HWND bad[] = {gone, reinterpret_cast<HWND>(0x1234)};
    for (const HWND w : bad) {
        SCOPED_TRACE(w);
        SetLastError(0);
        EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        SetLastError(0);
        EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    }
    EXPECT_EQ(SendMessageA(nullptr, WM_USER, 0, 0), 0);
    EXPECT_TRUE(win32sim::MessageLog().empty());
}

TEST_F(MessagesTest, PostedMessagesQueueForTheWindowsThreadInOrder) {
    const HWND own = MakeOwn();
    EXPECT_TRUE(PostMessageA(own, WM_USER, 1, 0));
    EXPECT_TRUE(PostMessageA(own, WM_USER + 5, 2, 0));
    EXPECT_TRUE(received.empty()); // nothing runs until the loop dispatches

    // Another thread's queue is its own.
    bool otherFound = true;
    std::thread([&] {
        MSG m;
        otherFound = win32sim::PeekPostedMessage(m);
    }).join();
    EXPECT_FALSE(otherFound);

    MSG msg{};
    ASSERT_TRUE(win32sim::PeekPostedMessage(msg));
    EXPECT_EQ(msg.hwnd, own);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(win32sim::DispatchPostedMessage(msg), static_cast<LRESULT>(WM_USER + 1));
    ASSERT_TRUE(win32sim::PeekPostedMessage(msg));
    EXPECT_EQ(msg.wParam, 2u);
    win32sim::DispatchPostedMessage(msg);
    EXPECT_FALSE(win32sim::PeekPostedMessage(msg));
    EXPECT_EQ(received, (std::vector<Received>{{own, WM_USER, 1, 0}, {own, WM_USER + 5, 2, 0}}));
}

TEST_F(MessagesTest, PostedToAWindowThatCloses) {
    const HWND own = MakeOwn();
    EXPECT_TRUE(PostMessageA(own, WM_USER, 1, 0));
    ASSERT_TRUE(win32sim::RemoveWindow(own));
    MSG msg{};
    EXPECT_FALSE(win32sim::PeekPostedMessage(msg)); // its messages went with it
    msg.hwnd = own;
    msg.message = WM_USER;
    EXPECT_EQ(win32sim::DispatchPostedMessage(msg), 0);
    EXPECT_TRUE(received.empty());

    // A thread message (no window) waits in the queue of the thread that posted it.
    EXPECT_TRUE(PostMessageA(nullptr, WM_USER + 9, 0, 0));
    ASSERT_TRUE(win32sim::PeekPostedMessage(msg));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
}

// Builds a drop block as the drop protocol lays it out.
HGLOBAL MakeDrop(const std::vector<unsigned char>& list, BOOL wide, std::size_t headerBytes = 20) {
    const HGLOBAL h = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE, headerBytes + list.size());
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    DROPFILES header{static_cast<DWORD>(headerBytes), {1, 1}, FALSE, wide};
    std::memcpy(p, &header, std::min(headerBytes, sizeof header));
    if (!list.empty())
        std::memcpy(p + headerBytes, list.data(), list.size());
    GlobalUnlock(h);
    return h;
}

std::vector<unsigned char> Narrow(std::initializer_list<std::string> names) {
    std::vector<unsigned char> out;
    for (const auto& n : names) {
        out.insert(out.end(), n.begin(), n.end());
        out.push_back(0);
    }
    out.push_back(0);
    return out;
}

std::vector<unsigned char> Wide(std::initializer_list<std::u16string> names) {
    std::vector<unsigned char> out;
    const auto put = [&](char16_t c) {
        out.push_back(static_cast<unsigned char>(c & 0xFF));
        out.push_back(static_cast<unsigned char>(c >> 8));
    };
    for (const auto& n : names) {
        for (const char16_t c : n)
            put(c);
        put(0);
    }
    put(0);
    return out;
}

TEST_F(MessagesTest, DropFilesIsReadAndReleasedByTheReceiver) {
    const HWND player = win32sim::CreateForeignWindow(Spec("Player"), 30, 31);
    constexpr auto kSong = cp1251::Literal("C:\\Музыка\\песня.mp3");
    const struct {
        const char* label;
        std::vector<unsigned char> list;
        BOOL wide;
        bool wellFormed;
        std::vector<std::string> files;
    } cases[] = {
        {"narrow", Narrow({"a", "bc"}), FALSE, true, {"a", "bc"}},
        {"wide", Wide({u"a", u"bc"}), TRUE, true, {"a", "bc"}},
        {"wide cyrillic",
         Wide({u"C:\\Музыка\\песня.mp3"}),
         TRUE,
         true,
         {std::string(kSong.view())}},
        {"no end", {'a', 0, 'b'}, FALSE, false, {"a"}},
        {"empty list", {0}, FALSE, true, {}},
    };
    std::size_t n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const HGLOBAL h = MakeDrop(c.list, c.wide);
        EXPECT_TRUE(PostMessageA(player, WM_DROPFILES, reinterpret_cast<WPARAM>(h), 0));
        EXPECT_EQ(win32sim::GlobalBlockCount(), 0u); // the receiver released it
        const auto drops = win32sim::Drops();
        ASSERT_EQ(drops.size(), ++n);
        const auto& d = drops.back();
        EXPECT_EQ(d.window, player);
        EXPECT_EQ(d.wellFormed, c.wellFormed);
        EXPECT_EQ(d.blockSize, 20 + c.list.size());
        EXPECT_EQ(d.pFiles, 20u);
        EXPECT_EQ(d.pt.x, 1);
        EXPECT_EQ(d.pt.y, 1);
        EXPECT_EQ(d.fNC, FALSE);
        EXPECT_EQ(d.fWide, c.wide);
        EXPECT_EQ(d.files, c.files);
    }
    // A handle that is no block, and a block too short for its header.
    EXPECT_TRUE(PostMessageA(player, WM_DROPFILES, 0x4321, 0));
    const HGLOBAL shortBlock = MakeDrop({}, FALSE, 8);
    EXPECT_TRUE(PostMessageA(player, WM_DROPFILES, reinterpret_cast<WPARAM>(shortBlock), 0));
    const auto drops = win32sim::Drops();
    ASSERT_EQ(drops.size(), n + 2);
    EXPECT_FALSE(drops[n].wellFormed);
    EXPECT_EQ(drops[n].blockSize, 0u);
    EXPECT_FALSE(drops[n + 1].wellFormed);
    EXPECT_EQ(drops[n + 1].blockSize, 8u);
    EXPECT_EQ(win32sim::GlobalBlockCount(), 0u);
}

} // namespace

namespace {

// Several GUI threads, each with its windows and its queue, while another thread enumerates.
TEST_F(MessagesTest, ThreadsKeepTheirOwnQueues) {
    constexpr int kThreads = 4;
    constexpr int kMessages = 200;
    std::vector<int> handled(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &handled] {
            const HWND w = win32sim::CreateOwnWindow(
                Spec("TForm"), [&handled, t](HWND, UINT m, WPARAM wp, LPARAM) {
                    if (m == WM_USER && wp == static_cast<WPARAM>(t))
                        ++handled[t];
                    return LRESULT{0};
                });
            for (int i = 0; i < kMessages; ++i) {
                PostMessageA(w, WM_USER, static_cast<WPARAM>(t), i);
                MSG msg;
                while (win32sim::PeekPostedMessage(msg))
                    win32sim::DispatchPostedMessage(msg);
            }
        });
    }
    std::size_t seen = 0;
    for (int i = 0; i < 50; ++i)
        seen = win32sim::Windows().size();
    for (auto& t : threads)
        t.join();
    EXPECT_LE(seen, static_cast<std::size_t>(kThreads));
    EXPECT_EQ(win32sim::Windows().size(), static_cast<std::size_t>(kThreads));
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(handled[t], kMessages) << t;
}

} // namespace
