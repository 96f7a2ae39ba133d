// Message boxes: scripted answers in order, answers given while the box is open, the log.
#include "sim_fixture.h"
#include "win32sim/message_boxes.h"

#include <windows.h>

namespace {

using MessageBoxesTest = SimMachineTest;

TEST_F(MessageBoxesTest, AnswersInQueuedOrderAndLogsEveryBox) {
    win32sim::QueueMessageBoxAnswer(IDYES);
    win32sim::QueueMessageBoxAnswer(IDNO);
    EXPECT_EQ(win32sim::PendingMessageBoxAnswers(), 2u);
    EXPECT_EQ(MessageBoxA(nullptr, "First?", "Question", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "Second?", nullptr, MB_YESNO), IDNO);
    const auto log = win32sim::MessageBoxLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, "First?");
    EXPECT_EQ(log[0].caption, "Question");
    EXPECT_EQ(log[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(log[0].answer, IDYES);
    EXPECT_EQ(log[1].caption, "Error"); // no caption given
    EXPECT_EQ(log[1].answer, IDNO);
}

TEST_F(MessageBoxesTest, AFunctionAnswersWhileTheBoxIsOpen) {
    int seenWhileOpen = -1;
    win32sim::QueueMessageBoxAnswer([&](const win32sim::MessageBoxShown& box) {
        EXPECT_EQ(box.text, "Busy");
        const auto log = win32sim::MessageBoxLog();
        seenWhileOpen = log.empty() ? -1 : log.back().answer;
        return IDOK;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Busy", "Error", MB_OK), IDOK);
    EXPECT_EQ(seenWhileOpen, 0);
    EXPECT_EQ(win32sim::MessageBoxLog().back().answer, IDOK);
}

TEST_F(MessageBoxesTest, ABoxWithoutAnAnswerGoesToTheUnansweredHandler) {
    std::string unanswered;
    win32sim::SetUnansweredMessageBoxHandler([&](const win32sim::MessageBoxShown& box) {
        unanswered = box.text;
        return 0;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Nobody expected this", "Error", MB_OK), 0);
    EXPECT_EQ(unanswered, "Nobody expected this");
}

TEST(MessageBoxesDeathTest, ABoxWithoutAnyAnswerAbortsOutsideTheFixture) {
    win32sim::ResetMachine();
    EXPECT_DEATH(MessageBoxA(nullptr, "Lost", "Error", MB_OK), "no scripted answer");
}

} // namespace
