// The answer windows built from the game's own scripts on a window manager
// without a display, clicked with synthesised mouse input: the choices and
// the verdicts they write into the show's record, the helps (Peek, Copy and
// the chalk signs on used-up helps), closing, and the script's "Close".
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EventTestSupport.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/answer/QWMult.h"
#include "game/show/answer/QWOpenAnswer.h"
#include "game/show/answer/QWTrueFalse.h"
#include "game/show/answer/QWVO.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/show/question/Question.h"
#include "game/stage/anim/AnimWindow.h"
#include "platform/Vector.h"
#include "ui/Button.h"
#include "ui/HostedScriptSupport.h"
#include "ui/ModalWindow.h"
#include "ui/Text.h"

using KQuestion::QWindow;

namespace {

// The studio screens as the answer windows' chains drive them.
class ScreensProbe : public KEvent::ShowLink {
public:
    struct Shown {
        std::string what; // "text:<t>" or "question"
        uint32_t at;
    };
    std::vector<Shown> shown;
    void ShowStep() override {}
    std::shared_ptr<KEvent::Event> GetCurrentMusic() override { return nullptr; }
    void ShowQuestionOnMainScreens(KEvent::QuestionView*) override {}
    void ShowCurrentQuestionOnMainScreens() override { shown.push_back({"question", uitest::gNow}); }
    void ShowChalkboardText(const TString& text) override
    {
        shown.push_back({"text:" + std::string(text.c_str()), uitest::gNow});
    }
    void ShowQuestionWindow(TWindow*) override {}
};

class AnswerWindowTest : public uitest::HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        for (const char* script : {"QWindow", "QWMult", "QWTrueFalse", "QWEnterAns", "QWVO"})
            AddScript(std::string("scripts/") + script + ".lua");
        eventtest::FreshEventManager();
        mShow = ShowController::Instance();
        KEvent::SetShowLink(&mScreens);
        mRecord = &mShow->GetRecord();
        mRecord->peekCount = mRecord->copyCount = mRecord->saveCount = 1;
        mRecord->correctCount = 0;
        mRecord->state = 4;
    }
    void TearDown() override
    {
        // Windows still shown go while their events' manager is there.
        TWindow* top = mManager->GetTopModal();
        while (!top->GetChildren().empty())
            delete top->GetChildren().front();
        KEvent::SetShowLink(nullptr);
        ShowController::Destroy();
        Pump();
        eventtest::FreshEventManager();
        HostedScriptFixture::TearDown();
    }
    void AddScript(const std::string& name)
    {
        std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
        ASSERT_TRUE(in) << name;
        std::ostringstream text;
        text << in.rdbuf();
        AddAsset(name, text.str());
    }

    // The window on the top screen, as the stage shows it.
    template <class W>
    W* Show(W* window)
    {
        mManager->GetTopModal()->AddChild(window, true);
        return window;
    }
    bool OnScreen(TWindow* window) const
    {
        const auto& children = mManager->GetTopModal()->GetChildren();
        return std::find(children.begin(), children.end(), window) != children.end();
    }
    static bool Shown(TWindow* root, const char* name)
    {
        TWindow* child = root->FindChild(TString(name));
        return child && child->HasFlags(kWindowShown);
    }
    static size_t ChalkSigns(TWindow* window)
    {
        size_t count = 0;
        for (TWindow* child : window->GetChildren())
            count += TWindow::Cast<KAnim::AnimWindow>(child) ? 1 : 0;
        return count;
    }

    void Click(TWindow* root, const char* name)
    {
        TWindow* window = root->FindChild(TString(name));
        ASSERT_NE(window, nullptr) << name;
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(uitest::Ev(type, p.x, p.y));
        Pump();
    }
    // Event passes over ms of the fake clock, in steps of 100 ms.
    void Advance(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 100) {
            uitest::gNow += 100;
            KEvent::EventManager::Instance()->Update();
            Pump();
        }
    }

    static void Fill(KQuestion::QBase& q, const char* correct, std::vector<const char*> wrong)
    {
        q.correct = correct;
        TString* fields[3] = {&q.incorrect1, &q.incorrect2, &q.incorrect3};
        for (size_t i = 0; i < wrong.size(); ++i)
            *fields[i] = wrong[i];
    }
    // Multiple choice with the answers in the order given (correct first).
    static void Answers(KQuestion::QMult& q, const char* correct, std::vector<const char*> wrong)
    {
        Fill(q, correct, wrong);
        q.answers = {TString(correct)};
        for (const char* w : wrong)
            q.answers.push_back(TString(w));
        q.answerCount = int32_t(q.answers.size());
    }

    ScreensProbe mScreens;
    ShowController* mShow = nullptr;
    GameRecord* mRecord = nullptr;
};

TEST_F(AnswerWindowTest, MultipleChoiceShowsItsOptionsAndJudgesTheToggledOneByteForByte)
{
    struct Case {
        std::vector<const char*> wrong;
        const char* click; // option button, or null to press answer untouched
        bool right;
    } cases[] = {
        {{"London"}, "btn_opt0", true},
        {{"London"}, "btn_opt1", false},
        {{"paris", "Rome"}, "btn_opt1", false}, // same letters, other case
        {{"Rome", "Oslo", "Bern"}, "btn_opt3", false},
        {{"Rome", "Oslo", "Bern"}, nullptr, true}, // nothing toggled: option 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click ? c.click : "none");
        KQuestion::QMult q;
        Answers(q, "Paris", c.wrong);
        auto* window = Show(new KQuestion::QWMult(q));
        const std::weak_ptr<const void> alive = window->GetLiveness().Watch();
        const size_t count = q.answers.size();
        for (size_t i = 0; i < 4; ++i) {
            const std::string opt = "btn_opt" + std::to_string(i);
            EXPECT_EQ(Shown(window, opt.c_str()), i < count) << opt;
        }
        auto* shadow = TWindow::Cast<TText>(window->FindChild(TString("txt_opt1_shadow2")));
        ASSERT_NE(shadow, nullptr);
        EXPECT_STREQ(shadow->GetText().c_str(), c.wrong[0]);
        EXPECT_FALSE(Shown(window, "btn_Answer"));

        if (c.click) {
            Click(window, c.click);
            EXPECT_TRUE(Shown(window, "btn_Answer"));
            // Chosen or not, every answer keeps its text and its label.
            for (size_t i = 0; i < count; ++i)
                EXPECT_TRUE(Shown(window, ("txt_opt" + std::to_string(i)).c_str())) << i;
            EXPECT_TRUE(window->FindChild(TString("btn_Answer"))->FindChild(TString("label"))->HasFlags(kWindowShown));
            Click(window, "btn_Answer");
        } else {
            window->FindChild(TString("btn_Answer"))->SendMessage(new TMessage(kMsgButtonPress, "btn_Answer", nullptr));
            Pump();
        }
        EXPECT_EQ(mRecord->answerCorrect, c.right);
        EXPECT_FALSE(OnScreen(window));
        Pump();
        EXPECT_TRUE(alive.expired()); // a closed window is deleted, not left over
        mRecord->answerCorrect = !c.right;
    }
}

TEST_F(AnswerWindowTest, TrueFalseReadsTheToggledChoiceAndNothingAsFalse)
{
    struct Case {
        bool truth;
        const char* click;
        bool right;
    } cases[] = {
        {true, "btn_true", true}, {true, "btn_false", false}, {false, "btn_false", true},
        {false, "btn_true", false}, {true, nullptr, false}, {false, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.truth ? "true/" : "false/") + (c.click ? c.click : "none"));
        KQuestion::QTrueFalse q;
        q.answerIsTrue = c.truth;
        mRecord->answerCorrect = !c.right;
        auto* window = Show(new KQuestion::QWTrueFalse(q));
        const std::weak_ptr<const void> alive = window->GetLiveness().Watch();
        EXPECT_FALSE(Shown(window, "btn_Answer"));
        if (c.click) {
            Click(window, c.click);
            EXPECT_TRUE(Shown(window, "btn_Answer"));
            Click(window, "btn_Answer");
        } else {
            // The hidden answer button's message, as a script could send it.
            window->FindChild(TString("btn_Answer"))->SendMessage(new TMessage(kMsgButtonPress, "btn_Answer", nullptr));
            Pump();
        }
        EXPECT_EQ(mRecord->answerCorrect, c.right);
        EXPECT_TRUE(alive.expired());
    }
}

TEST_F(AnswerWindowTest, TypedAnswersMatchTheCorrectTextOrAnAlternateThatIsNotEmpty)
{
    KQuestion::QOpenAnswer q;
    q.correct = "mississippi";
    q.alternate2 = "Big Muddy";
    struct Case {
        const char* typed;
        bool right;
    } cases[] = {
        {"Mississippi", true}, {"misisippi", true}, {"big muddy", true},
        {"Amazon", false}, {"", false}, {"  ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KQuestion::QWOpenAnswer::Matches(q, TString(c.typed)), c.right) << c.typed;

    // Empty alternates stand for none, even against an empty text.
    KQuestion::QOpenAnswer blank;
    blank.correct = "x";
    EXPECT_FALSE(KQuestion::QWOpenAnswer::Matches(blank, TString("")));

    // Through the window: the edit has the focus, "btn_enter" answers.
    auto* window = Show(new KQuestion::QWOpenAnswer(q));
    TWindow* entry = window->FindChild(TString("txt_enterAnswer"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(mManager->GetFocus(), entry);
    TWindow::Cast<TText>(entry)->SetText(TString("Big Muddy"));
    Click(window, "btn_enter");
    EXPECT_TRUE(mRecord->answerCorrect);
    EXPECT_FALSE(OnScreen(window));
}

// The player clicks somewhere on a typed-answer window, types and presses
// the enter button; with no helps left the struck-out helps' chalk windows
// lie over the whole answer window.
TEST_F(AnswerWindowTest, AClickAnywhereOnATypedAnswerLeavesTheTypingInTheAnswerLine)
{
    struct Case {
        int32_t helpsLeft;
        const char* clicked;
    } cases[] = {
        {1, "txt_enterAnswer"}, {0, "txt_enterAnswer"}, {0, "txt_prompt"}, {1, "board"}, {0, "board"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clicked) + (c.helpsLeft ? ", helps left" : ", no helps left"));
        mRecord->peekCount = mRecord->copyCount = mRecord->saveCount = c.helpsLeft;
        mRecord->answerCorrect = false;
        KQuestion::QOpenAnswer q;
        q.correct = "ten";
        auto* window = Show(new KQuestion::QWOpenAnswer(q));
        EXPECT_EQ(ChalkSigns(window), c.helpsLeft ? 0u : 3u);
        Click(window, c.clicked);
        for (char ch : std::string("ten"))
            mManager->HandleEvent(uitest::Ev(kEventChar, 0, 0, static_cast<unsigned char>(ch)));
        auto* entry = TWindow::Cast<TText>(window->FindChild(TString("txt_enterAnswer")));
        ASSERT_NE(entry, nullptr);
        EXPECT_STREQ(entry->GetText().c_str(), "ten");
        EXPECT_EQ(mManager->GetFocus(), entry);
        Click(window, "btn_enter");
        EXPECT_TRUE(mRecord->answerCorrect);
        EXPECT_FALSE(OnScreen(window));
        Pump();
    }
}

TEST_F(AnswerWindowTest, TheLastCopyStrikesOutTheButtonAndClosesAfterASecondIgnoringLaterAnswers)
{
    KQuestion::QMult q;
    Answers(q, "Paris", {"London"});
    auto* window = Show(new KQuestion::QWMult(q));
    auto wait = KEvent::MakeWaitForWindowClose(window);
    Click(window, "btn_Copy");
    EXPECT_EQ(mRecord->state, 6);
    EXPECT_EQ(mRecord->copyCount, 0);
    EXPECT_TRUE(mRecord->copyUsed);
    EXPECT_FALSE(Shown(window, "btn_Copy"));
    EXPECT_TRUE(Shown(window, "img_NoCopy"));
    EXPECT_EQ(ChalkSigns(window), 1u);

    // An answer after the Copy changes nothing.
    mRecord->answerCorrect = false;
    Click(window, "btn_opt0");
    Click(window, "btn_Answer");
    EXPECT_FALSE(mRecord->answerCorrect);
    EXPECT_EQ(mRecord->state, 6);

    Advance(800);
    EXPECT_TRUE(OnScreen(window));
    Advance(600);
    EXPECT_FALSE(OnScreen(window));
    KEvent::EventManager::Instance()->Update();
    EXPECT_TRUE(wait->IsFinished());
}

TEST_F(AnswerWindowTest, ACopyWithCopiesLeftClosesAtOnceWithoutAChalkSign)
{
    mRecord->copyCount = 2;
    KQuestion::QTrueFalse q;
    auto* window = Show(new KQuestion::QWTrueFalse(q));
    Click(window, "btn_Copy");
    EXPECT_EQ(mRecord->copyCount, 1);
    EXPECT_EQ(mRecord->state, 6);
    EXPECT_TRUE(Shown(window, "btn_Copy"));
    EXPECT_EQ(ChalkSigns(window), 0u);
    Advance(100);
    EXPECT_FALSE(OnScreen(window));
}

TEST_F(AnswerWindowTest, APeekShowsTheClassmatesAnswerForFiveSecondsAndTheWindowStaysForAnAnswer)
{
    KQuestion::QMult q;
    Answers(q, "Paris", {"London", "Rome"});
    auto* window = Show(new KQuestion::QWMult(q));
    const uint32_t start = uitest::gNow;
    Click(window, "btn_Peek");
    EXPECT_EQ(mRecord->peekCount, 0);
    EXPECT_TRUE(mRecord->peekUsed);
    EXPECT_FALSE(Shown(window, "btn_Peek"));
    EXPECT_TRUE(Shown(window, "img_NoPeek"));
    EXPECT_EQ(ChalkSigns(window), 1u);
    Click(window, "btn_Peek"); // none left: nothing happens
    EXPECT_EQ(mRecord->peekCount, 0);

    Advance(5600);
    ASSERT_EQ(mScreens.shown.size(), 2u);
    // No string table in this test: the label reads as missing.
    EXPECT_EQ(mScreens.shown[0].what, "text:#####");
    EXPECT_LE(mScreens.shown[0].at, start + 200);
    EXPECT_EQ(mScreens.shown[1].what, "question");
    EXPECT_GE(mScreens.shown[1].at - mScreens.shown[0].at, 5000u);
    EXPECT_LE(mScreens.shown[1].at - mScreens.shown[0].at, 5300u); // pass steps
    EXPECT_TRUE(OnScreen(window));

    Click(window, "btn_opt0");
    Click(window, "btn_Answer");
    EXPECT_TRUE(mRecord->answerCorrect);
    EXPECT_FALSE(OnScreen(window));
}

TEST_F(AnswerWindowTest, UsedUpHelpsAreStruckOutOnAttachAMissingButtonIsSkippedNotTheRest)
{
    mRecord->peekCount = mRecord->copyCount = mRecord->saveCount = 0;
    KQuestion::QMult q;
    Answers(q, "Paris", {"London"});
    auto* window = new KQuestion::QWMult(q);
    for (const char* help : {"btn_Peek", "btn_Copy", "btn_Save"})
        EXPECT_FALSE(Shown(window, help)) << help;
    for (const char* used : {"img_NoPeek", "img_NoCopy", "img_NoSave"})
        EXPECT_TRUE(window->FindChild(TString(used))->HasFlags(kWindowShown)) << used;
    // A layout without the Peek button still gets the other two signs.
    TWindow* peek = window->FindChild(TString("btn_Peek"));
    delete peek;
    Show(window);
    EXPECT_EQ(ChalkSigns(window), 2u);
    Click(window, "btn_opt0");
    Click(window, "btn_Answer");
    EXPECT_FALSE(OnScreen(window));
}

TEST_F(AnswerWindowTest, TheFinalQuestionHasNoFrameNoDropOutAndNoChalkSigns)
{
    mRecord->correctCount = 10;
    mRecord->peekCount = mRecord->copyCount = mRecord->saveCount = 0;
    KQuestion::QMult q;
    Answers(q, "Paris", {"London", "Rome", "Oslo"});
    auto* window = Show(new KQuestion::QWMult(q));
    EXPECT_FALSE(Shown(window, "btn_frame"));
    EXPECT_FALSE(Shown(window, "btn_DropOut"));
    EXPECT_EQ(ChalkSigns(window), 0u);

    mRecord->correctCount = 9;
    auto* board = Show(new KQuestion::QWMult(q));
    EXPECT_TRUE(Shown(board, "btn_frame"));
    EXPECT_TRUE(Shown(board, "btn_DropOut"));
    EXPECT_EQ(ChalkSigns(board), 3u);
}

TEST_F(AnswerWindowTest, TheScriptsCloseReachesOnlyTheNewestWindowAndNothingOnceItIsGone)
{
    KQuestion::QTrueFalse q;
    auto* older = Show(new KQuestion::QWTrueFalse(q));
    auto* newer = Show(new KQuestion::QWTrueFalse(q));
    auto wait = KEvent::MakeWaitForWindowClose(newer);
    ASSERT_TRUE(Run(std::string("Close()")));
    EXPECT_TRUE(OnScreen(older));
    EXPECT_FALSE(OnScreen(newer));
    EXPECT_TRUE(newer->IsClosed());
    Pump(); // the closed window is deleted
    KEvent::EventManager::Instance()->Update();
    EXPECT_TRUE(wait->IsFinished());
    // The global still names the deleted window: a late call does nothing.
    EXPECT_TRUE(Run(std::string("Close()")));
    EXPECT_TRUE(OnScreen(older));
    EXPECT_FALSE(older->IsClosed());
}

TEST_F(AnswerWindowTest, TheRecordsMakeTheirKindsOfWindow)
{
    KQuestion::RegisterAnswerWindows();
    KQuestion::QMult mult;
    Answers(mult, "a", {"b"});
    KQuestion::QVoiceOver spoken;
    Answers(spoken, "a", {"b"});
    KQuestion::QTrueFalse truth;
    KQuestion::QOpenAnswer typed;
    struct Case {
        KQuestion::QBase* record;
        TWindowTypeId kind;
        const char* name;
    } cases[] = {
        {&mult, KQuestion::QWMult::TypeId(), "QWMult"},
        {&spoken, KQuestion::QWVO::TypeId(), "QWVO"},
        {&truth, KQuestion::QWTrueFalse::TypeId(), "QWTrueFalse"},
        {&typed, KQuestion::QWOpenAnswer::TypeId(), "QWOpenAnswer"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TWindow> window(c.record->MakeWindow());
        ASSERT_NE(window, nullptr) << c.name;
        EXPECT_TRUE(window->IsKindOf(c.kind)) << c.name;
        EXPECT_TRUE(window->IsKindOf(QWindow::TypeId())) << c.name;
        EXPECT_STREQ(window->GetClassName(), c.name);
        EXPECT_EQ(static_cast<QWindow*>(window.get())->GetQuestion(), c.record);
        EXPECT_EQ(window->GetWidth(), 800);
        EXPECT_EQ(window->GetHeight(), 600);
    }
    for (auto kind : {KQuestion::AnswerWindowKind::kMult, KQuestion::AnswerWindowKind::kVoiceOver,
                      KQuestion::AnswerWindowKind::kTrueFalse, KQuestion::AnswerWindowKind::kOpenAnswer})
        KQuestion::SetAnswerWindowMaker(kind, nullptr);
}

TEST_F(AnswerWindowTest, AChalkSignWithNowhereToShowEndsAtOnceOneOnAWindowStaysWhileItsOwnerRuns)
{
    auto owner = eventtest::Manual("owner");
    std::shared_ptr<KEvent::Event> cross;
    auto alone = PlayChalkAnim(TVec2(100, 100), owner, nullptr, &cross);
    for (int i = 0; i < 5; ++i)
        KEvent::EventManager::Instance()->Update();
    EXPECT_TRUE(cross->IsFinished());
    EXPECT_TRUE(alone->IsFinished());

    auto* parent = new TWindow();
    mManager->GetTopModal()->AddChild(parent, true);
    auto shown = PlayChalkAnim(TVec2(100, 100), owner, parent, &cross);
    ASSERT_EQ(parent->GetChildren().size(), 1u);
    auto* window = TWindow::Cast<KAnim::AnimWindow>(parent->GetChildren().front());
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 5; ++i)
        KEvent::EventManager::Instance()->Update();
    EXPECT_FALSE(shown->IsFinished());
    // The window going stops the cross it was drawing.
    delete parent;
    EXPECT_TRUE(cross->IsFinished());
    owner->Finish();
}

TEST_F(AnswerWindowTest, ASpokenQuestionReadsWhenShownAndAReplayCutsTheRunningReadingShort)
{
    KVO::VOTable::Instance()->Load(TString(("::" + std::string(QUILLORY_TEST_DATA) + "/vo/builders.xml").c_str()));
    ASSERT_TRUE(KVO::VOTable::Existing()->FindById(107));
    KQuestion::QVoiceOver q;
    Answers(q, "Paris", {"London", "Rome"});
    q.vo = "107";
    auto* window = Show(new KQuestion::QWVO(q));
    EXPECT_FALSE(window->GetVoiceOverEvent());
    window->SendMessage(new TMessage(KEvent::kMsgShowingWindow, "ShowingWindow", window));
    Pump();
    const std::shared_ptr<KEvent::Event> first = window->GetVoiceOverEvent();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->IsFinished());

    Click(window, "btn_replayVO");
    const std::shared_ptr<KEvent::Event> second = window->GetVoiceOverEvent();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_TRUE(first->IsFinished());

    // A row the table does not have reads nothing.
    q.vo = "999999";
    Click(window, "btn_replayVO");
    EXPECT_FALSE(window->GetVoiceOverEvent());
    EXPECT_TRUE(second->IsFinished());

    // The options still answer as multiple choice.
    Click(window, "btn_opt2");
    Click(window, "btn_Answer");
    EXPECT_FALSE(mRecord->answerCorrect);
    EXPECT_FALSE(OnScreen(window));
    Pump();
    KEvent::EventManager::Instance()->SkipAll();
    KVO::VOPlayer::Destroy();
    KVO::VOTable::Destroy();
}

} // namespace
