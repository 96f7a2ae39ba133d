// The search worker beside the GUI thread: every window call on the GUI thread, Stop from the
// GUI, the question answered there, the end handler, and the harmless naming of the thread.
#include "search_fixture.h"

#include "search_thread.h"

#include "win32sim/system.h"

#include <cstring>
#include <thread>

namespace {

// Records like the test view, and checks that every call comes on the GUI thread.
class GuiThreadView : public RecordingView {
public:
    void SetRowCount(int rows) override {
        Check();
        RecordingView::SetRowCount(rows);
    }
    void SetCell(int column, int row, const std::string& text) override {
        Check();
        RecordingView::SetCell(column, row, text);
    }
    void ShowFolder(const std::string& path) override {
        Check();
        RecordingView::ShowFolder(path);
    }
    void SetStatus(int panel, const std::string& text) override {
        Check();
        RecordingView::SetStatus(panel, text);
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        Check();
        return RecordingView::AskYesNo(caption, text);
    }
    void Repaint() override {
        Check();
        RecordingView::Repaint();
    }
    int offGuiCalls = 0;

private:
    void Check() {
        if (std::this_thread::get_id() != gui_)
            ++offGuiCalls;
    }
    std::thread::id gui_ = std::this_thread::get_id();
};

class SearchThreadTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        MapDrive('D');
        Search.Drives[2].clear();
        PutApplList("[Player]\r\nName=mp.exe\r\n[Other]\r\nName=other.exe\r\n");
        PutFile("D:\\A\\mp.exe", "x");
        PutFile("D:\\B\\mp.exe", "x");
        PutFile("D:\\C\\other.exe", "x");
    }
    // Runs the message loop until the worker's end handler ran.
    void RunUntilEnded(bool& ended) {
        for (int i = 0; i < 1000 && !ended; ++i)
            toolkitsim::RunFor(0);
        ASSERT_TRUE(ended);
    }
    GuiThreadView window;
};

TEST_F(SearchThreadTest, SearchRunsOnTheWorkerAndShowsOnTheGuiThread) {
    window.answers = {true};
    bool ended = false;
    auto* worker = new TSearchThread(true, window);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TObject*) { ended = true; };
    EXPECT_TRUE(window.cells.empty()) << "created suspended";
    worker->Resume();
    RunUntilEnded(ended);
    EXPECT_EQ(window.offGuiCalls, 0);
    EXPECT_STREQ(Appl(0).Path, "D:\\B\\mp.exe");
    EXPECT_STREQ(Appl(1).Path, "D:\\C\\other.exe");
    EXPECT_EQ(window.Cell(2, 1), "D:\\B\\mp.exe");
    EXPECT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(window.folders, (std::vector<std::string>{"D:\\A", "D:\\B", "D:\\C"}));
    EXPECT_EQ(window.status.size(), 3u);
}

TEST_F(SearchThreadTest, ThreadIsNamedForADebuggerAndGoesOn) {
    bool ended = false;
    window.answers = {false};
    TSearchThread worker(true, window);
    worker.OnTerminate = [&](TObject*) { ended = true; };
    worker.Resume();
    worker.WaitFor();
    EXPECT_TRUE(ended);
    const auto raised = win32sim::RaisedExceptions();
    ASSERT_EQ(raised.size(), 1u);
    EXPECT_EQ(raised[0].code, 0x406D1388u);
    EXPECT_EQ(raised[0].flags, 0u);
    ASSERT_GE(raised[0].arguments.size() * sizeof(ULONG_PTR), 2 * sizeof(void*));
    struct {
        DWORD type;
        const char* name;
        DWORD thread;
        DWORD flags;
    } info;
    std::memcpy(&info, raised[0].arguments.data(),
                std::min(sizeof info, raised[0].arguments.size() * sizeof(ULONG_PTR)));
    EXPECT_EQ(info.type, 0x1000u);
    EXPECT_STREQ(info.name, "FileSearchThread");
    EXPECT_EQ(info.thread, static_cast<DWORD>(-1));
    EXPECT_FALSE(worker.FatalException());
    EXPECT_STREQ(Appl(0).Path, "D:\\A\\mp.exe") << "No kept the first";
}

TEST_F(SearchThreadTest, StopFromTheGuiEndsTheWalk) {
    window.onFolder = [](const std::string& path) {
        if (path == "D:\\A")
            Search.StopSearch = 1; // Stop pressed while the first folder shows
    };
    TSearchThread worker(false, window);
    worker.WaitFor();
    EXPECT_EQ(window.folders, std::vector<std::string>{"D:\\A"});
    EXPECT_STREQ(Appl(0).Path, "") << "the walk ended before the folder's files";
    EXPECT_STREQ(Appl(1).Path, "");
    EXPECT_EQ(Search.DirCount, 1);
    EXPECT_EQ(window.status.size(), 3u) << "the counts so far are shown";
    EXPECT_EQ(window.offGuiCalls, 0);
}

TEST_F(SearchThreadTest, WaitingForTheWorkerServesItsQuestion) {
    // The worker waits in its question while the GUI thread closes and waits for it.
    window.answers = {true};
    TSearchThread worker(false, window);
    EXPECT_FALSE(worker.Finished());
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(window.questions.size(), 1u);
    EXPECT_STREQ(Appl(0).Path, "D:\\B\\mp.exe");
}

} // namespace
