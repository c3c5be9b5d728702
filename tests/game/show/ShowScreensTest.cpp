// The question board, the continue offer and the classmate choice, built
// from the game's own scripts by the window script without a display:
// what each shows, what a press does to the show, and when each closes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "GoneProbe.h"
#include "EventTestSupport.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/ChooseClassmate.h"
#include "game/show/screens/QContinue.h"
#include "game/show/screens/QuestionBoard.h"
#include "platform/StringTable.h"
#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/HostedScriptSupport.h"

namespace {

int gSteps = 0;
void CountStep(ShowController&)
{
    ++gSteps;
}

class ShowScreensTest : public uitest::HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        eventtest::FreshEventManager();
        for (const char* name : {"QuestionBoard.lua", "Continue.lua", "chooseclassmate.lua"})
            AddSource("scripts/" + std::string(name), "/assets/scripts/" + std::string(name));
        gSteps = 0;
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        ShowController::SetState(14, &CountStep);
        mShow = ShowController::Instance();
        mShow->GetRecord().state = 14;
        mStage = new TWindow();
        mStage->SetSize(800, 600);
        mManager->GetTopModal()->AddChild(mStage, true);
    }
    void TearDown() override
    {
        delete mStage;
        mManager->HandleEvent(uitest::Ev(kEventIdle));
        ShowController::Destroy();
        Quillory::KChildManager::Destroy();
        ShowController::SetState(14, nullptr);
        eventtest::FreshEventManager();
        HostedScriptFixture::TearDown();
    }

    void AddSource(const std::string& name, const std::string& path)
    {
        std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::ostringstream text;
        text << in.rdbuf();
        AddText(name, text.str());
    }
    void AddText(const std::string& name, const std::string& text)
    {
        mTexts.push_back(std::make_unique<std::string>(text));
        RegisterMemoryFile(name.c_str(), mTexts.back()->data(), uint32_t(mTexts.back()->size()));
    }

    // Ten questions "Math 1".."Math 10", grades 1 to 5; the listed slots
    // already played.
    void DealBoard(std::initializer_list<int> played = {})
    {
        mQuestions.clear();
        mShow->GetRecord().board.clear();
        for (int i = 0; i < 10; ++i) {
            auto question = std::make_unique<KQuestion::QMult>();
            question->grade = 1 + i / 2;
            question->subject = StrFormat("Math %d", i + 1);
            mShow->GetRecord().board.push_back(question.get());
            mQuestions.push_back(std::move(question));
        }
        for (int slot : played)
            mQuestions[size_t(slot)]->used = true;
    }

    // A window of the kind under the stage, with a probe that notes its end.
    template <class W>
    W* Open()
    {
        auto* window = new W();
        mGone = false;
        window->AddChild(new GoneProbe(&mGone), true);
        mStage->AddChild(window, true);
        return window;
    }

    static void Press(TWindow* from, const char* name)
    {
        ASSERT_NE(from, nullptr) << name;
        from->SendMessage(std::make_unique<TMessage>(kMsgButtonPress, TString(name)));
    }
    // One event: deferred deletions, then an event-manager pass.
    void NextEvent()
    {
        mManager->HandleEvent(uitest::Ev(kEventIdle));
        KEvent::EventManager::Instance()->Update();
    }
    // A left click at the window's centre, through the window manager.
    void Click(TWindow* window)
    {
        ASSERT_NE(window, nullptr);
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(uitest::Ev(type, p.x, p.y));
        mManager->DispatchMessages();
    }
    static bool Shown(TWindow* window) { return window && (window->GetFlags() & kWindowShown); }
    static std::string TextOf(TWindow* window, const char* name)
    {
        auto* text = TWindow::Cast<TText>(window->FindChild(TString(name)));
        return text ? std::string(text->GetText().c_str()) : std::string("<none>");
    }

    ShowController* mShow = nullptr;
    TWindow* mStage = nullptr;
    bool mGone = false;
    std::vector<std::unique_ptr<KQuestion::QMult>> mQuestions;
    std::vector<std::unique_ptr<std::string>> mTexts;
};

TEST_F(ShowScreensTest, TheBoardLabelsEverySlotAndHidesThePlayedOnes)
{
    DealBoard({0, 3, 4, 9});
    auto* board = Open<KQuestion::QuestionBoard>();
    ASSERT_NE(board->FindChild("btn_q9"), nullptr) << mLog.Text();
    for (int slot = 0; slot < 10; ++slot) {
        SCOPED_TRACE(slot);
        TString label;
        mQuestions[size_t(slot)]->GetLabel(label);
        for (const char* suffix : {"", "_shadow1", "_shadow2"})
            EXPECT_EQ(TextOf(board, StrFormat("txt_q%d%s", slot, suffix).c_str()), label.c_str()) << suffix;
        const bool played = slot == 0 || slot == 3 || slot == 4 || slot == 9;
        EXPECT_EQ(Shown(board->FindChild(StrFormat("btn_q%d", slot))), !played);
        EXPECT_TRUE(Shown(board->FindChild(StrFormat("txt_q%d", slot)))) << "a played label stays, greyed";
    }
}

TEST_F(ShowScreensTest, ASlotPastAShortBoardKeepsItsScriptDefaults)
{
    DealBoard();
    mShow->GetRecord().board.resize(7);
    auto* board = Open<KQuestion::QuestionBoard>();
    EXPECT_EQ(TextOf(board, "txt_q8"), "");
    EXPECT_TRUE(Shown(board->FindChild("btn_q8")));
    Press(board->FindChild("btn_q8"), "btn_q8");
    EXPECT_FALSE(board->IsPicked()) << "no question behind the slot";
    EXPECT_EQ(mShow->GetRecord().currentQuestion, nullptr);
}

TEST_F(ShowScreensTest, OnlyTheFirstPickCountsAndTheBoardClosesAtTheNextPassWithoutALine)
{
    DealBoard({1});
    auto* board = Open<KQuestion::QuestionBoard>();
    Press(board->FindChild("btn_q5"), "btn_q5");
    EXPECT_TRUE(board->IsPicked());
    EXPECT_EQ(mShow->GetRecord().currentQuestion, mQuestions[5].get());
    EXPECT_FALSE(Shown(board->FindChild("btn_q5")));
    EXPECT_FALSE(mQuestions[5]->used) << "the reveal marks it played, not the pick";

    Press(board->FindChild("btn_q6"), "btn_q6");
    Press(board->FindChild("btn_q5"), "btn_q5");
    EXPECT_EQ(mShow->GetRecord().currentQuestion, mQuestions[5].get());
    EXPECT_TRUE(Shown(board->FindChild("btn_q6")));

    // The close waits for a dummy: a pass for it, one for the close, and
    // the deletion at the start of the event after.
    EXPECT_FALSE(mGone);
    for (int i = 0; i < 3 && !mGone; ++i)
        NextEvent();
    EXPECT_TRUE(mGone);
}

TEST_F(ShowScreensTest, AMouseClickOnATilePicksItsQuestion)
{
    DealBoard();
    auto* board = Open<KQuestion::QuestionBoard>();
    Click(board->FindChild("btn_q3"));
    EXPECT_TRUE(board->IsPicked()) << mLog.Text();
    EXPECT_EQ(mShow->GetRecord().currentQuestion, mQuestions[3].get());
    Click(board->FindChild("btn_q4"));
    EXPECT_EQ(mShow->GetRecord().currentQuestion, mQuestions[3].get());
}

TEST_F(ShowScreensTest, APickDuringALineClosesTheBoardWhenTheLineEnds)
{
    DealBoard();
    auto* board = Open<KQuestion::QuestionBoard>();
    auto line = eventtest::Manual("line");
    KEvent::EventManager::Instance()->Update();
    board->PickQuestion(2, line);
    for (int i = 0; i < 5; ++i)
        NextEvent();
    EXPECT_FALSE(mGone) << "the host is still talking";
    line->Finish();
    NextEvent();
    NextEvent();
    EXPECT_TRUE(mGone);
}

TEST_F(ShowScreensTest, ABoardGoneBeforeItsCloseLeavesTheCloseHarmless)
{
    DealBoard();
    auto* board = Open<KQuestion::QuestionBoard>();
    auto line = eventtest::Manual("line");
    board->PickQuestion(0, line);
    delete board;
    EXPECT_TRUE(mGone);
    line->Finish();
    NextEvent();
    NextEvent();
    EXPECT_TRUE(mStage->GetChildren().empty());
}

TEST_F(ShowScreensTest, TheContinueOfferShowsItsOptionsAndTurnsOffItsButtons)
{
    mApp.strings["continue_continue"] = "Go on";
    mApp.strings["continue_dropout"] = "Stop here";
    auto* offer = Open<KQuestion::QContinue>();
    for (const char* suffix : {"", "_shadow1", "_shadow2"}) {
        EXPECT_EQ(TextOf(offer, (std::string("txt_opt0") + suffix).c_str()), "Go on");
        EXPECT_EQ(TextOf(offer, (std::string("txt_opt1") + suffix).c_str()), "Stop here");
    }
    ASSERT_TRUE(Shown(offer->FindChild("Btn_continue")));
    ASSERT_TRUE(Shown(offer->FindChild("btn_DropOut")));
    ASSERT_TRUE(Run("TurnOffButtons()")) << mLog.Text();
    EXPECT_FALSE(Shown(offer->FindChild("Btn_continue")));
    EXPECT_FALSE(Shown(offer->FindChild("btn_DropOut")));
}

TEST_F(ShowScreensTest, ContinueAdvancesOnceAndTheWindowIsGoneAtTheNextEvent)
{
    auto* offer = Open<KQuestion::QContinue>();
    Press(offer, "btn_continue");
    Press(offer->FindChild("btn_DropOut"), "btn_DropOut");
    KEvent::EventManager::Instance()->Update();
    EXPECT_EQ(gSteps, 0) << "only Btn_continue moves the show";
    EXPECT_FALSE(mGone);

    Click(offer->FindChild("Btn_continue"));
    // A press already on its way when the window closed.
    Press(offer->FindChild("Btn_continue"), "Btn_continue");
    EXPECT_FALSE(Shown(offer));
    KEvent::EventManager::Instance()->Update();
    EXPECT_EQ(gSteps, 1);
    NextEvent();
    EXPECT_TRUE(mGone);
    EXPECT_EQ(gSteps, 1);
    // The binding outlives the window as a logged no-op.
    EXPECT_TRUE(Run("TurnOffButtons()")) << mLog.Text();
}

TEST_F(ShowScreensTest, TheContinueClickStillReachesTheWaitingScript)
{
    struct Watch : TWindow {
        std::vector<std::string> seen;
        bool OnMessage(TMessage* message) override
        {
            seen.push_back(message->GetName().c_str());
            return false;
        }
    };
    auto* watch = new Watch();
    mStage->AddChild(watch, true);
    auto* offer = new KQuestion::QContinue();
    watch->AddChild(offer, true);
    Press(offer->FindChild("Btn_continue"), "Btn_continue");
    EXPECT_EQ(watch->seen, std::vector<std::string>{"Btn_continue"});
}

TEST_F(ShowScreensTest, EveryLabelTheWindowsShowIsInTheGamesStringTable)
{
    AddSource("strings.xml", "/assets/strings.xml");
    TStringTable table;
    ASSERT_TRUE(table.Load(TString("strings.xml")));
    for (const char* label : {"board_title", "continue_title", "continue_continue", "continue_dropout",
                              "classmate_title", "classmate_best"}) {
        TString text;
        EXPECT_TRUE(table.GetString(text, TString(label))) << label;
        EXPECT_FALSE(text.IsEmpty()) << label;
        mApp.strings[label] = text.c_str();
    }
    // As in the game: the scripts' captions are labels.
    mManager->SetTranslateLabels(true);
    DealBoard();
    auto* board = Open<KQuestion::QuestionBoard>();
    EXPECT_EQ(TextOf(board, "board_title"), mApp.strings["board_title"]);
    EXPECT_EQ(TextOf(board, "txt_q0"), "1st Grade Math 1");
    auto* offer = Open<KQuestion::QContinue>();
    EXPECT_EQ(TextOf(offer, "continue_title"), mApp.strings["continue_title"]);
    EXPECT_EQ(TextOf(offer, "txt_opt1"), mApp.strings["continue_dropout"]);
}

class ChooseClassmateTest : public ShowScreensTest {
protected:
    void Roster(std::initializer_list<const char*> names)
    {
        std::string text = "<children>";
        for (const char* name : names)
            text += std::string("<child name=\"") + name + "\"><subject name=\"Math\" aptitude=\"0.2\"/>" +
                    "<subject name=\"art\" aptitude=\"0.6\"/><subject name=\"History\" aptitude=\"0.4\"/></child>";
        AddText("childAI.xml", text + "</children>");
    }
    Quillory::KChild* Kid(const char* name)
    {
        return Quillory::KChildManager::Instance()->FindByName(TString(name));
    }
};

TEST_F(ChooseClassmateTest, UsedClassmatesAreHiddenAndAPressMakesTheChoice)
{
    Roster({"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"});
    Kid("Tobin")->SetUsed(true);
    Kid("Imelda")->SetUsed(true);
    auto* choice = Open<Quillory::ChooseClassmate>();
    auto wait = KEvent::MakeWaitForWindowClose(choice);
    KEvent::EventManager::Instance()->Update();
    const bool shown[] = {false, true, false, true, true};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Shown(choice->FindChild(Quillory::ChooseClassmate::ButtonName(i))), shown[i]) << i;
        EXPECT_EQ(TextOf(choice, StrFormat("txt%02d_name", i + 1).c_str()),
                  Quillory::ChooseClassmate::ClassmateName(i).c_str());
    }
    EXPECT_EQ(TextOf(choice, "txt02_subjects"), "Art, History");

    Press(choice->FindChild("btn03"), "btn03");
    EXPECT_EQ(mShow->GetRecord().currentClassmate, nullptr) << "a used classmate cannot be chosen again";
    Click(choice->FindChild("btn05"));
    EXPECT_EQ(mShow->GetRecord().currentClassmate, Kid("Rosalind"));
    EXPECT_TRUE(Kid("Rosalind")->IsUsed());
    Press(choice->FindChild("btn02"), "btn02");
    EXPECT_EQ(mShow->GetRecord().currentClassmate, Kid("Rosalind"));
    EXPECT_FALSE(Kid("Marek")->IsUsed());
    EXPECT_FALSE(mGone);
    EXPECT_FALSE(wait->IsFinished());
    NextEvent();
    EXPECT_TRUE(mGone);
    EXPECT_TRUE(wait->IsFinished()) << "the show's wait for the window ends with it";
}

TEST_F(ChooseClassmateTest, AClassmateMissingFromTheRosterCannotBeChosen)
{
    Roster({"Tobin", "Marek", "Imelda", "Rosalind"});
    auto* choice = Open<Quillory::ChooseClassmate>();
    EXPECT_FALSE(Shown(choice->FindChild("btn04")));
    EXPECT_EQ(TextOf(choice, "txt04_name"), "");
    Press(choice->FindChild("btn04"), "btn04");
    EXPECT_EQ(mShow->GetRecord().currentClassmate, nullptr);
    NextEvent();
    EXPECT_FALSE(mGone);
    EXPECT_TRUE(LogHas("the roster has no Caspar"));
}

} // namespace
