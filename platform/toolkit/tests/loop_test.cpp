// Tests of the message loop on the virtual clock: timers, the modal loop, close actions, boxes.
#include <toolkit.h>

#include <cp1251.h>

#include <toolkit_fixture.h>
#include <win32sim/desktop.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Log = std::vector<std::pair<std::string, DWORD>>;

class LoopTest : public ToolkitTest {
protected:
    TTimer* MakeTimer(TComponent* owner, const std::string& name, unsigned interval, Log& log) {
        auto* t = new TTimer(owner);
        t->Name = name;
        t->Interval = interval;
        t->OnTimer = [&log, name](TObject*) { log.emplace_back(name, GetTickCount()); };
        return t;
    }
};

TEST_F(LoopTest, TimersFireInDueOrderOnTheVirtualClock) {
    Log log;
    TForm* form = new TForm(Application);
    MakeTimer(form, "fast", 100, log);
    MakeTimer(form, "slow", 250, log);
    TTimer* off = MakeTimer(form, "off", 50, log);
    off->Enabled = false;
    toolkitsim::RunFor(500);
    EXPECT_EQ(log, (Log{{"fast", 100},
                        {"fast", 200},
                        {"slow", 250},
                        {"fast", 300},
                        {"fast", 400},
                        {"slow", 500}, // set at 250, before the fast one was set again at 400
                        {"fast", 500}}));
    EXPECT_EQ(GetTickCount(), 500u);
}

TEST_F(LoopTest, ReEnablingRestartsTheIntervalAndEnablingTwiceDoesNot) {
    Log log;
    TTimer* t = MakeTimer(Application, "t", 100, log);
    toolkitsim::At(30, [t] { t->Enabled = true; }); // already on: no restart
    toolkitsim::At(150, [t] {
        t->Enabled = false;
        t->Enabled = true;
    });
    toolkitsim::At(320, [t] { t->Interval = 40; });
    toolkitsim::RunFor(400);
    EXPECT_EQ(log, (Log{{"t", 100}, {"t", 250}, {"t", 360}, {"t", 400}}));
}

TEST_F(LoopTest, ErrorInATimerIsShownAndTheLoopGoesOn) {
    Log log;
    TTimer* failing = new TTimer(Application);
    failing->Interval = 100;
    int calls = 0;
    failing->OnTimer = [&](TObject*) {
        ++calls;
        failing->Enabled = false; // as the main timer does on entry
        throw EConvertError("'x' is not a valid integer value");
    };
    MakeTimer(Application, "other", 100, log);
    Application->Title = "Tavrin RC";
    toolkitsim::RunFor(300);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(failing->Enabled);
    EXPECT_EQ(log.size(), 3u);
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Exception);
    EXPECT_EQ(boxes[0].caption, "Tavrin RC");
    EXPECT_EQ(boxes[0].text, "'x' is not a valid integer value");
}

TEST_F(LoopTest, ErrorsThatAreNotToolkitErrorsAreShownToo) {
    TTimer* t = new TTimer(Application);
    t->Interval = 10;
    t->OnTimer = [t](TObject*) {
        t->Enabled = false;
        throw std::runtime_error("host failure");
    };
    toolkitsim::RunFor(10);
    ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
    EXPECT_EQ(toolkitsim::Boxes()[0].text, "host failure");
}

TEST_F(LoopTest, ModalLoopKeepsOtherTimersRunningAndATimerMayCloseTheDialog) {
    Log log;
    TForm* dialog = new TForm(Application);
    dialog->Name = "FConfig";
    std::vector<TCloseAction> closes;
    int destroyed = 0;
    dialog->OnClose = [&](TObject*, TCloseAction& a) {
        closes.push_back(a);
        a = closes.size() == 1 ? caNone : caFree; // the first close request is refused
    };
    dialog->OnDestroy = [&](TObject*) { ++destroyed; };
    TTimer* main = MakeTimer(Application, "main", 100, log);
    main->OnTimer = [&](TObject*) {
        log.emplace_back("main", GetTickCount());
        if (log.size() == 3 || log.size() == 5)
            dialog->Close();
    };
    TModalResult result = mrNone;
    toolkitsim::At(50, [&] { result = dialog->ShowModal(); });
    toolkitsim::RunFor(1000);
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(closes, (std::vector<TCloseAction>{caHide, caHide}));
    EXPECT_EQ(log.size(), 10u); // the timer never stopped
    EXPECT_EQ(destroyed, 1);    // caFree: freed once the modal call had returned
}

TEST_F(LoopTest, ModalFormThatNothingClosesFailsTheTest) {
    TForm* dialog = new TForm(Application);
    dialog->Name = "FStuck";
    Log log;
    MakeTimer(Application, "tick", 100, log);
    toolkitsim::At(0, [&] { dialog->ShowModal(); });
    EXPECT_THROW(toolkitsim::RunFor(1000), toolkitsim::Failure);
    EXPECT_EQ(GetTickCount(), 1000u);
}

TEST_F(LoopTest, ShowModalOfAVisibleFormIsRefused) {
    TForm* form = new TForm(Application);
    form->Show();
    EXPECT_THROW(form->ShowModal(), EInvalidOperation);
}

TEST_F(LoopTest, CloseActions) {
    struct Case {
        TCloseAction action;
        bool visibleAfter;
        bool freed;
    };
    const Case cases[] = {{caNone, true, false}, {caHide, false, false}, {caFree, false, true}};
    TForm* main = nullptr;
    Application->CreateForm(main); // the main form is another one
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        TForm* form = nullptr;
        Application->CreateForm(form);
        bool freed = false;
        form->OnClose = [&](TObject*, TCloseAction& a) { a = c.action; };
        form->OnDestroy = [&](TObject*) { freed = true; };
        form->Show();
        form->Close();
        toolkitsim::RunFor(1);
        EXPECT_EQ(freed, c.freed);
        if (!freed) {
            EXPECT_EQ(form->Visible, c.visibleAfter);
            form->OnDestroy = nullptr;
            form->Free();
        }
    }
}

TEST_F(LoopTest, ClosingTheMainFormEndsRun) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    EXPECT_EQ(Application->MainForm(), main);
    toolkitsim::At(2000, [&] { main->Close(); });
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(GetTickCount(), 2000u);
}

TEST_F(LoopTest, RunReturnsWhenItsBudgetIsSpent) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    Log log;
    MakeTimer(main, "tick", 100, log);
    toolkitsim::SetRunBudget(1000);
    Application->Run();
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(log.size(), 10u);
}

// A form class as the system builds them: components and handlers wired in the constructor.
class TFMain : public TForm {
public:
    explicit TFMain(TComponent* owner) : TForm(owner) {
        Visible = true;
        OnCreate = [this](TObject*) { FormCreate(); };
    }
    void FormCreate() {
        sawReference = Instance == this;
        visibleInCreate = IsWindowVisible(Handle()) != 0;
    }
    const char* ClassName() const override { return "TFMain"; }
    static inline TFMain* Instance = nullptr;
    bool sawReference = false;
    bool visibleInCreate = true;
};

TEST_F(LoopTest, OnCreateSeesTheReferenceAndABuiltVisibleFormShowsAfterIt) {
    TFMain::Instance = nullptr;
    Application->CreateForm(TFMain::Instance);
    TFMain* form = TFMain::Instance;
    EXPECT_TRUE(form->sawReference);
    EXPECT_FALSE(form->visibleInCreate);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(FindWindowA("TFMain", nullptr), form->Handle());
    EXPECT_EQ(Application->MainForm(), form);
}

TEST_F(LoopTest, FormMadeWithNewRunsOnCreateWhenFirstMadeVisible) {
    auto* form = new TForm(Application);
    int created = 0;
    form->OnCreate = [&](TObject*) { ++created; };
    form->Visible = false;
    EXPECT_EQ(created, 0);
    form->Visible = true;
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    form->Hide();
    form->Show();
    EXPECT_EQ(created, 1);
}

TEST_F(LoopTest, QuestionBoxesAnswerFromTheScript) {
    toolkitsim::QueueAnswer(mrYes);
    toolkitsim::QueueAnswer(mrNo);
    EXPECT_EQ(MessageDlg("Run the search?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
    EXPECT_EQ(MessageDlg("Switch off?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    ShowMessage("plain"); // an OK box takes no answer
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Dialog);
    EXPECT_EQ(boxes[0].text, "Run the search?");
    EXPECT_EQ(boxes[0].dialogType, mtConfirmation);
    EXPECT_EQ(boxes[0].buttons, (1 << mbYes) | (1 << mbNo));
    EXPECT_EQ(boxes[1].answer, mrNo);
    EXPECT_EQ(boxes[2].kind, toolkitsim::BoxKind::Message);
    EXPECT_EQ(boxes[2].answer, mrOk);
}

TEST_F(LoopTest, MessageDialogsAreCaptionedInRussianByTheirTypeOrWithTheTitle) {
    Application->Title = "Tavrin RC";
    const std::pair<TMsgDlgType, std::string> cases[] = {
        {mtConfirmation, cp1251::Literal("Подтверждение").c_str()},
        {mtWarning, cp1251::Literal("Предупреждение").c_str()},
        {mtError, cp1251::Literal("Ошибка").c_str()},
        {mtInformation, cp1251::Literal("Информация").c_str()},
        {mtCustom, "Tavrin RC"},
    };
    for (const auto& [type, caption] : cases) {
        SCOPED_TRACE(caption);
        toolkitsim::ClearBoxes();
        MessageDlg("Text", type, {mbOK}, 0);
        ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
        EXPECT_EQ(toolkitsim::Boxes()[0].caption, caption);
    }
}

TEST_F(LoopTest, QuestionWithoutAnAnswerFailsTheTestEvenInsideAHandler) {
    TTimer* t = new TTimer(Application);
    t->Interval = 100;
    t->OnTimer = [](TObject*) { MessageDlg("Sure?", mtConfirmation, {mbYes, mbNo}, 0); };
    EXPECT_THROW(toolkitsim::RunFor(100), toolkitsim::Failure);
    EXPECT_THROW(Application->MessageBox("Sure?", "Q", 4 /* Yes/No */), toolkitsim::Failure);
    EXPECT_EQ(Application->MessageBox("Note", "Q", 0), 1); // OK only
}

TEST_F(LoopTest, AnAnswererTakesEveryBoxInsteadOfTheQueue) {
    toolkitsim::QueueAnswer(mrYes); // left alone while the answerer is set
    std::vector<std::pair<std::string, bool>> asked;
    toolkitsim::AnswerBoxesWith([&](const toolkitsim::BoxRecord& box, bool choice) {
        asked.emplace_back(box.text, choice);
        return choice ? mrNo : box.answer + 10;
    });
    EXPECT_EQ(MessageDlg("Replace?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
    EXPECT_EQ(Application->MessageBox("Sure?", "Q", 4 /* Yes/No */), mrNo);
    EXPECT_EQ(Application->MessageBox("Note", "Q", 0), 11) << "its own answer, 1, was offered";
    EXPECT_EQ(asked, (std::vector<std::pair<std::string, bool>>{
                         {"Replace?", true}, {"Sure?", true}, {"Note", false}}));
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].answer, mrNo);
    EXPECT_EQ(boxes[1].kind, toolkitsim::BoxKind::MessageBox);
    EXPECT_EQ(boxes[2].answer, 11);
    EXPECT_EQ(toolkitsim::PendingAnswers(), 1);
}

TEST_F(LoopTest, TimersRunWhileABoxIsOpen) {
    Log log;
    MakeTimer(Application, "sec", 1000, log);
    toolkitsim::QueueAnswer(mrYes, 3500);
    int answer = 0;
    toolkitsim::At(100, [&] { answer = MessageDlg("Q", mtConfirmation, {mbYes, mbNo}, 0); });
    toolkitsim::RunFor(200);
    EXPECT_EQ(answer, mrYes);
    EXPECT_EQ(log, (Log{{"sec", 1000}, {"sec", 2000}, {"sec", 3000}}));
    EXPECT_EQ(GetTickCount(), 3600u);
}

TEST_F(LoopTest, DeactivationFiresWhenAnotherProgramTakesTheForeground) {
    TForm* form = new TForm(Application);
    auto* events = new TApplicationEvents(form);
    int deactivated = 0;
    int activated = 0;
    events->OnDeactivate = [&](TObject*) { ++deactivated; };
    events->OnActivate = [&](TObject*) { ++activated; };
    form->Show();
    SetForegroundWindow(form->Handle());
    toolkitsim::RunFor(10);
    EXPECT_EQ(activated, 1);
    EXPECT_EQ(deactivated, 0);
    win32sim::WindowSpec spec;
    spec.className = "Winamp v1.x";
    spec.activate = true;
    win32sim::CreateForeignWindow(spec, 77, 78);
    toolkitsim::RunFor(10);
    EXPECT_EQ(deactivated, 1);
    toolkitsim::RunFor(10);
    EXPECT_EQ(deactivated, 1);
}

} // namespace
