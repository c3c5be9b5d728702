// The show's board states (0 to 13) run through the real event manager on
// a fake clock: which state runs when, what the record holds after each,
// what the studio screens and the pedestal lights show. The player's
// windows are plain test windows the test closes; the host's lines come
// from a small table whose rows are named by their VOid, and sounds play
// nowhere (no sound manager).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "ui/WindowScriptSupport.h"
#include "EventTestSupport.h"
#include "SettingsTestSupport.h"
#include "game/show/GameSettings.h"
#include "game/show/MTRandom.h"
#include "game/show/QuestionTimer.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChild.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/anim/MultiAnim.h"
#include "render/Renderer.h"
#include "game/stage/camera/CameraAnimator.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"

namespace {

using uitest::gNow;

// Passes of the event trigger are this far apart.
constexpr uint32_t kPassMs = 50;

// What the show did, as "ms:what" with ms counted from the test's start.
std::vector<std::string> gTrace;
uint32_t gStart = 0;
void Note(const std::string& what)
{
    gTrace.push_back(std::to_string(gNow - gStart) + ":" + what);
}

// The windows the player answers through, while open.
TWindow* gClassmateWindow = nullptr;
TWindow* gBoard = nullptr;
TWindow* gAnswerWindow = nullptr;
TWindow* gStudio = nullptr;

// Clears the pointer when its window goes.
class Tracked : public TWindow {
public:
    Tracked(const char* name, TWindow*& slot) : mSlot(slot)
    {
        SetName(name);
        mSlot = this;
    }
    ~Tracked() override
    {
        if (mSlot == this)
            mSlot = nullptr;
    }

private:
    TWindow*& mSlot;
};

TWindow* MakeClassmateWindow()
{
    Note("classmate window");
    return new Tracked("classmates", gClassmateWindow);
}

TWindow* MakeBoard()
{
    Note("board");
    return new Tracked("board", gBoard);
}

// The answer window appears with the reveal and the question's event ends
// when it closes.
std::shared_ptr<KEvent::Event> MakeRevealChain(KQuestion::QBase*, std::shared_ptr<KEvent::Event>& reveal)
{
    reveal = KEvent::MakeWaitTime(600);
    TWindow* window = new Tracked("answer", gAnswerWindow);
    gStudio->AddChild(window, true);
    return reveal->Then(KEvent::MakeWaitForWindowClose(window));
}

std::shared_ptr<KEvent::Event> MakeTextTransition(const TString& text)
{
    Note("transition " + std::string(text.c_str()));
    return KEvent::MakeWaitTime(500);
}

// Stands between the events and the show controller and notes what they
// ask of the show.
class ShowProbe : public KEvent::ShowLink {
public:
    ShowController* show = nullptr;
    void ShowStep() override
    {
        Note("state " + std::to_string(show->GetRecord().state));
        show->ShowStep();
    }
    std::shared_ptr<KEvent::Event> GetCurrentMusic() override { return show->GetCurrentMusic(); }
    void ShowQuestionOnMainScreens(KEvent::QuestionView* question) override { show->ShowQuestionOnMainScreens(question); }
    void ShowCurrentQuestionOnMainScreens() override { show->ShowCurrentQuestionOnMainScreens(); }
    void ShowChalkboardText(const TString& text) override
    {
        Note("screens " + std::string(text.c_str()));
        show->ShowChalkboardText(text);
    }
    void ShowQuestionWindow(TWindow* window) override { show->ShowQuestionWindow(window); }
};

class LightsProbe : public KEvent::PodiumLights {
public:
    float hue = -1, saturation = -1;
    void ReadPodiumColor(float& h, float& s) override
    {
        h = hue;
        s = saturation;
    }
    void SetPodiumLight(float h, float s) override
    {
        hue = h;
        saturation = s;
    }
};

// Two questions of each grade 1 to 3, eight of grade 4 and six of grade 5
// for an honours board, and a final question; all about one subject.
std::string QuestionFile()
{
    std::string text = "<questions>";
    const int counts[] = {0, 2, 2, 2, 8, 6, 1};
    int number = 0;
    for (int grade = 1; grade <= 6; ++grade)
        for (int i = 0; i < counts[grade]; ++i, ++number)
            text += "<question><type>1</type><grade>" + std::to_string(grade) +
                    "</grade><subject>Math</subject><question>Q" + std::to_string(number) +
                    "</question><correct>right" + std::to_string(number) + "</correct><incorrect1>wrong" +
                    std::to_string(number) + "</incorrect1><explanation>Because " + std::to_string(number) +
                    "</explanation></question>";
    return text + "</questions>";
}

class ShowStatesTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        eventtest::FreshEventManager();
        gTrace.clear();
        gStart = gNow;
        mHost.windows = mManager.get();
        GameSettings::Create(&mHost);
        MTRandom::Instance()->Seed(7);
        const std::string file = mTemp.File("questions.xml");
        std::ofstream(file) << QuestionFile();
        auto db = std::make_unique<KQuestion::QuestionDB>(*MTRandom::Instance());
        db->Load(TString(("::" + file).c_str()));
        ASSERT_EQ(db->GetCount(), 21);
        KQuestion::QuestionDB::Install(std::move(db));

        gStudio = PushDialog("studio", 0, 0, 800, 600);
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KShow::RegisterShowStates();
        KShow::ShowStateParts parts;
        parts.makeClassmateWindow = &MakeClassmateWindow;
        parts.makeQuestionBoard = &MakeBoard;
        parts.makeRevealChain = &MakeRevealChain;
        parts.makeTextTransition = &MakeTextTransition;
        KShow::SetShowStateParts(parts);

        KVO::VOTable::Instance()->Load(
            TString(("::" + std::string(QUILLORY_TEST_DATA) + "/vo/builders.xml").c_str()));
        ASSERT_TRUE(KVO::VOTable::Existing()->FindById(107));
        KVO::VOPlayer::Instance()->SetSubtitleParent(gStudio);
        mShow = ShowController::Instance();
        mProbe.show = mShow;
        KEvent::SetShowLink(&mProbe);
        KEvent::SetPodiumLights(&mLights);
        mRight = MakeKid("Ada", 1.0f);
        mWrong = MakeKid("Bo", -1.0f);
    }
    void TearDown() override
    {
        KEvent::SetPodiumLights(nullptr);
        KEvent::SetShowLink(nullptr);
        // The show's end skips what is still running.
        KEvent::EventManager::Instance()->SkipAll();
        ShowController::Destroy();
        KVO::VOPlayer::Destroy();
        KVO::VOTable::Destroy();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        KScene::CameraAnimator::Destroy();
        KAnim::ReleaseMoneyDisplay();
        KAnim::AnimManager::Destroy();
        KShow::SetShowStateParts(KShow::StudioStateParts());
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KQuestion::QuestionDB::Destroy();
        GameSettings::Destroy();
        gStudio = nullptr;
        WindowScriptFixture::TearDown();
    }

    // A classmate who always knows (aptitude 1) or never does (-1).
    static std::unique_ptr<Quillory::KChild> MakeKid(const char* name, float aptitude)
    {
        TXmlNode root;
        const std::string text = std::string("<child name=\"") + name + "\"><subject name=\"Math\" aptitude=\"" +
                                 std::to_string(aptitude) + "\"/></child>";
        ParseXmlText(&root, text.c_str());
        TString childName;
        TXmlNode* child = nullptr;
        root.BeginChildren();
        EXPECT_TRUE(root.NextChild(childName, child));
        return std::make_unique<Quillory::KChild>(*child);
    }

    // One pass of the event trigger, then the idle work of the windows.
    void Pass()
    {
        gNow += kPassMs;
        KEvent::EventManager::Instance()->Update();
        NoteLines();
        if (KAnim::AnimManager* animations = KAnim::AnimManager::Existing())
            animations->UpdateAll();
        // Without a stage the money display is drawn here, as the stage would.
        if (const std::shared_ptr<KAnim::MultiAnim>& money = KAnim::GetMoneyDisplay()) {
            TRenderer* renderer = TRenderer::Get();
            if (renderer->BeginDraw(false) && renderer->Begin2d()) {
                money->Draw();
                renderer->End2d();
                renderer->EndDraw(false);
            }
        }
        Pump();
    }
    // Notes the lines the voice-over player made since the last look.
    void NoteLines()
    {
        KVO::VOPlayer* player = KVO::VOPlayer::Existing();
        if (!player)
            return;
        for (const std::shared_ptr<KEvent::Event>& line : player->GetEvents())
            if (line->GetId() >= mNextLineId) {
                Note("line " + std::string(line->GetName().c_str()));
                mNextLineId = line->GetId() + 1;
            }
    }
    // Passes until the window is shown, at most `ms` of the fake clock.
    bool RunUntilOpen(TWindow*& window, uint32_t ms = 60000)
    {
        for (uint32_t t = 0; t < ms && !(window && window->GetParent()); t += kPassMs)
            Pass();
        return window && window->GetParent();
    }
    // Passes for `ms` of the fake clock.
    void RunFor(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += kPassMs)
            Pass();
    }
    // The window closes, as the player's click closes it.
    void Close(TWindow* window)
    {
        ASSERT_NE(window, nullptr);
        KEvent::MakeCloseWindow(window);
    }
    GameRecord& Record() { return mShow->GetRecord(); }
    // The last case's events end as at a show's end; a new manager.
    static void NewEvents()
    {
        KEvent::EventManager::Instance()->SkipAll();
        eventtest::FreshEventManager();
        KScene::CameraAnimator::Destroy();
    }

    // The player picks the first board question not yet played.
    void PickQuestion()
    {
        ASSERT_TRUE(RunUntilOpen(gBoard)) << Dump();
        for (KQuestion::QBase* question : Record().board)
            if (!question->used) {
                question->used = true;
                Record().currentQuestion = question;
                break;
            }
        Close(gBoard);
    }
    // The player answers the question.
    void Answer(bool right)
    {
        ASSERT_TRUE(RunUntilOpen(gAnswerWindow)) << Dump();
        Record().answerCorrect = right;
        Close(gAnswerWindow);
    }
    // The player asks the classmate to answer instead (one Copy spent).
    void CopyAnswer()
    {
        ASSERT_TRUE(RunUntilOpen(gAnswerWindow)) << Dump();
        Record().copyCount -= 1;
        Record().state = 6;
        Close(gAnswerWindow);
    }

    // The states run, in order.
    static std::vector<int> States()
    {
        std::vector<int> states;
        for (const std::string& entry : gTrace) {
            const size_t at = entry.find(":state ");
            if (at != std::string::npos)
                states.push_back(std::stoi(entry.substr(at + 7)));
        }
        return states;
    }
    // The host's lines, in the order they were made, by their sound files'
    // VOid ("ePlaySound (vo/211.ogg)" gives "211").
    static std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        const std::string head = ":line ePlaySound (vo/";
        for (const std::string& entry : gTrace) {
            const size_t at = entry.find(head);
            if (at != std::string::npos)
                lines.push_back(entry.substr(at + head.size(), entry.find('.', at + head.size()) - at - head.size()));
            else if (entry.find(":line ") != std::string::npos)
                lines.push_back(entry.substr(entry.find(":line ") + 6));
        }
        return lines;
    }
    // When the state ran first (ms from the start); -1: never.
    static int TimeOf(const std::string& what)
    {
        for (const std::string& entry : gTrace) {
            const size_t colon = entry.find(':');
            if (entry.compare(colon + 1, std::string::npos, what) == 0)
                return std::stoi(entry.substr(0, colon));
        }
        return -1;
    }
    static bool Traced(const std::string& what) { return TimeOf(what) >= 0; }
    static std::string Dump()
    {
        std::string text;
        for (const std::string& entry : gTrace)
            text += entry + "\n";
        return text;
    }

    // A show set up at the board: a dealt board, the classmate, the counts.
    void StartAtBoard(Quillory::KChild* classmate, int32_t saves = 1, int32_t peeks = 1, int32_t copies = 1)
    {
        Record().Reset();
        Record().DealQuestions();
        ASSERT_EQ(Record().board.size(), 10u);
        Record().currentClassmate = classmate;
        Record().saveCount = saves;
        Record().peekCount = peeks;
        Record().copyCount = copies;
        Record().state = 3;
        mShow->SetRunning(true);
        mShow->AdvanceNextFrame();
    }

    settingstest::FakeSettingsHost mHost;
    ShowProbe mProbe;
    LightsProbe mLights;
    ShowController* mShow = nullptr;
    int32_t mNextLineId = 0;
    std::unique_ptr<Quillory::KChild> mRight;
    std::unique_ptr<Quillory::KChild> mWrong;
};

TEST_F(ShowStatesTest, ANewShowOpensWithTheAnnouncerThenIntroducesTheClass)
{
    Record().saveCount = 0;
    Record().correctCount = 4;
    Record().lost = true;
    Record().state = 0;
    mShow->AdvanceNextFrame();
    ASSERT_TRUE(RunUntilOpen(gClassmateWindow)) << Dump();

    EXPECT_EQ(States(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(mShow->IsRunning());
    const GameRecord& record = Record();
    EXPECT_EQ(record.saveCount + record.peekCount + record.copyCount, 3) << "a new show has one of each help";
    EXPECT_EQ(record.correctCount, 0);
    EXPECT_FALSE(record.lost);
    EXPECT_FALSE(record.honours);
    EXPECT_EQ(record.board.size(), 10u);
    EXPECT_NE(record.finalQuestion, nullptr);
    EXPECT_EQ(record.state, 3);
    // The opening lines wait a second at least; the introduction waits for
    // the camera (1 s) and the last classmate's wave (7.99 s after it).
    EXPECT_GE(TimeOf("state 1"), 1000 + 50);
    EXPECT_GE(TimeOf("state 2") - TimeOf("state 1"), 1000 + 7990);
    EXPECT_LT(TimeOf("state 2") - TimeOf("state 1"), 1000 + 7990 + 500);
    RunFor(5000);
    EXPECT_EQ(States().size(), 3u) << "the show waits for the classmate";
    // The announcer's three lines, the host's introduction, the host asks
    // for a classmate.
    EXPECT_EQ(Lines(), (std::vector<std::string>{"107", "265", "266", "211", "215"})) << Dump();
}

TEST_F(ShowStatesTest, ANewShowWithHonoursStartsItsIntroductionAtOnce)
{
    GameSettings* settings = GameSettings::Instance();
    settings->CreateNewUser(TString("Ada"));
    settings->SetHonorsEngaged(true);
    ASSERT_TRUE(settings->GetHonorsEngaged());
    Record().state = 0;
    mShow->AdvanceNextFrame();
    RunFor(500);
    EXPECT_EQ(States(), (std::vector<int>{0, 1}));
    EXPECT_LE(TimeOf("state 1"), 3 * int(kPassMs)) << Dump();
    EXPECT_TRUE(Record().honours);
    EXPECT_EQ(Lines(), std::vector<std::string>{"211"}) << "no opening lines with honours";
    int fours = 0, fives = 0;
    for (const KQuestion::QBase* question : Record().board) {
        fours += question->grade == 4;
        fives += question->grade == 5;
    }
    EXPECT_EQ(fours, 6);
    EXPECT_EQ(fives, 4);
}

TEST_F(ShowStatesTest, ChoosingAClassmateLeadsToTheBoardAndAQuestion)
{
    Record().DealQuestions();
    Record().state = 2;
    mShow->SetRunning(true);
    mShow->AdvanceNextFrame();
    ASSERT_TRUE(RunUntilOpen(gClassmateWindow));
    Record().currentClassmate = mRight.get();
    Close(gClassmateWindow);
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_EQ(States(), (std::vector<int>{2, 3, 4}));
    EXPECT_TRUE(Record().mainMenuButtonShown) << "the board shows the main-menu button";
    EXPECT_EQ(Record().state, 7);
    ASSERT_NE(mShow->GetQuestionTimer(), nullptr);
    EXPECT_TRUE(mShow->GetQuestionTimer()->IsTicking());
    // The board closes, the camera returns (0.1 s) and settles (0.6 s).
    EXPECT_GE(TimeOf("state 4") - TimeOf("state 3"), 1000 + 700);
}

// From the answer to the next board or the end, for each way a question
// can go; the classmate knows every answer or none.
TEST_F(ShowStatesTest, EveryWayAQuestionCanGo)
{
    struct Case {
        const char* name;
        bool right;
        bool explanation;
        int32_t saves;
        bool copy;
        bool classmateKnows;
        std::vector<int> states; // after the board and the question
        int32_t correctCount;
        bool lost;
    };
    const Case cases[] = {
        {"right, explained", true, true, 1, false, true, {7, 8, 9, 11, 13, 3}, 1, false},
        {"right, nothing to explain", true, false, 1, false, true, {7, 8, 9, 13, 3}, 1, false},
        {"wrong, saved by a right classmate", false, false, 1, false, true, {7, 8, 10, 12, 9, 13, 3}, 1, false},
        {"wrong, a wrong classmate spends the save", false, false, 1, false, false, {7, 8, 10, 12, 10, 17}, 0, true},
        {"wrong, no save, nothing to explain", false, false, 0, false, true, {7, 8, 10, 17}, 0, true},
        {"wrong, no save, explained", false, true, 0, false, true, {7, 8, 10, 11, 17}, 0, true},
        {"copied from a right classmate", false, false, 1, true, true, {6, 9, 13, 3}, 1, false},
        {"copied wrong: final even with a save", false, false, 1, true, false, {6, 10, 17}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewEvents();
        gTrace.clear();
        StartAtBoard(c.classmateKnows ? mRight.get() : mWrong.get(), c.saves);
        PickQuestion();
        Record().currentQuestion->explanation = c.explanation ? TString("Because") : TString();
        if (c.copy)
            CopyAnswer();
        else
            Answer(c.right);
        const bool toBoard = c.states.back() == 3;
        if (toBoard)
            RunUntilOpen(gBoard);
        else
            RunFor(30000);
        std::vector<int> states = States();
        ASSERT_GE(states.size(), 2u) << Dump();
        EXPECT_EQ(std::vector<int>(states.begin() + 2, states.end()), c.states) << Dump();
        EXPECT_EQ(Record().correctCount, c.correctCount);
        EXPECT_EQ(Record().lost, c.lost);
        EXPECT_EQ(Record().saveUsed, c.states.size() > 3 && c.states[3] == 12);
        EXPECT_EQ(Record().copyUsed, c.copy);
        EXPECT_EQ(Record().helpUsed, c.copy || Record().saveUsed);
        if (gBoard)
            Close(gBoard);
        RunFor(200);
    }
}

TEST_F(ShowStatesTest, AnAnswerIsJudgedAtTheNextPassAndTheScreensTellTheStory)
{
    StartAtBoard(mWrong.get(), 0);
    PickQuestion();
    const std::string correct = Record().currentQuestion->correct.c_str();
    const std::string explanation = Record().currentQuestion->explanation.c_str();
    Answer(false);
    RunFor(30000);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 10, 11, 17})) << Dump();
    // State 7 only asks for the next step.
    EXPECT_EQ(TimeOf("state 8") - TimeOf("state 7"), int(kPassMs));
    // The right answer, then the explanation, each brought on by a
    // transition and read for five seconds.
    EXPECT_TRUE(Traced("transition #####\n" + correct)) << Dump();
    EXPECT_TRUE(Traced("screens #####\n" + correct));
    EXPECT_TRUE(Traced("transition " + explanation));
    EXPECT_TRUE(Traced("screens " + explanation));
    EXPECT_GE(TimeOf("state 11") - TimeOf("state 10"), 500 + 5000);
    EXPECT_GE(TimeOf("state 17") - TimeOf("state 11"), 500 + 5000);
    EXPECT_FALSE(Record().mainMenuButtonShown);
    EXPECT_FALSE(mShow->GetQuestionTimer()->IsTicking()) << "the answer stops the timer";
    // The pedestal flashed red and faded out.
    EXPECT_FLOAT_EQ(mLights.hue, 0.0f);
    EXPECT_FLOAT_EQ(mLights.saturation, 0.0f);
}

TEST_F(ShowStatesTest, ARightAnswerLightsThePedestalBlueAndFadesIt)
{
    StartAtBoard(mRight.get());
    PickQuestion();
    Answer(true);
    RunUntilOpen(gBoard);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 9, 11, 13, 3})) << Dump();
    RunFor(6000);
    EXPECT_FLOAT_EQ(mLights.hue, 0.66f);
    EXPECT_FLOAT_EQ(mLights.saturation, 0.0f);
}

TEST_F(ShowStatesTest, TheClassmateAnswersWhenTheSaveIsUsed)
{
    StartAtBoard(mRight.get());
    PickQuestion();
    Answer(false);
    RunUntilOpen(gBoard);
    ASSERT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 10, 12, 9, 11, 13, 3})) << Dump();
    EXPECT_EQ(Record().saveCount, 0);
    EXPECT_TRUE(Record().answerCorrect) << "the classmate's answer counts";
    // The classmate's answer shows on the screens before the reaction.
    EXPECT_TRUE(Traced("screens #####")) << Dump();
    EXPECT_GE(TimeOf("state 9") - TimeOf("state 12"), 250 + 800);
}

// Once the last help is gone the no-helps line plays with the next question
// (once per show) and the classmate leaves at the next-question state.
TEST_F(ShowStatesTest, WithEveryHelpSpentTheClassmateLeaves)
{
    StartAtBoard(mRight.get(), 0, 0, 0);
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_TRUE(Record().noHelpsVoicePlayed);
    Answer(true);
    RunUntilOpen(gBoard);
    EXPECT_EQ(Record().currentClassmate, nullptr);
    EXPECT_EQ(States(), (std::vector<int>{3, 4, 7, 8, 9, 11, 13, 3})) << Dump();
    // The next question goes on without a classmate.
    PickQuestion();
    ASSERT_TRUE(RunUntilOpen(gAnswerWindow));
    EXPECT_TRUE(Record().noHelpsVoicePlayed);
    EXPECT_EQ(States().back(), 4);
    const std::vector<std::string> lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "224"), 1) << "the no-helps line plays once a show";
}

// The host remarks on the halfway point after the fifth question, when it
// was answered right.
TEST_F(ShowStatesTest, HalfwayAfterTheFifthRightAnswer)
{
    struct Case {
        int32_t playedBefore;
        bool right;
        bool halfway;
    };
    const Case cases[] = {{4, true, true}, {3, true, false}, {5, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("played before " + std::to_string(c.playedBefore));
        NewEvents();
        gTrace.clear();
        StartAtBoard(mRight.get());
        for (int32_t i = 0; i < c.playedBefore; ++i)
            Record().board[size_t(i)]->used = true;
        PickQuestion();
        Answer(c.right);
        RunUntilOpen(c.playedBefore % 2 == 0 ? gBoard : gClassmateWindow);
        ASSERT_EQ(States().back(), c.playedBefore % 2 == 0 ? 3 : 2) << Dump();
        const std::vector<std::string> lines = Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "257"), c.halfway ? 1 : 0) << Dump();
        if (gBoard)
            Close(gBoard);
        if (gClassmateWindow)
            Close(gClassmateWindow);
        RunFor(200);
    }
}

// A show that ends while the board's camera move is still on deletes the
// board the player never saw.
TEST_F(ShowStatesTest, AWindowNeverShownGoesWithTheShow)
{
    StartAtBoard(mRight.get());
    RunFor(500);
    ASSERT_NE(gBoard, nullptr);
    ASSERT_EQ(gBoard->GetParent(), nullptr) << "not shown yet";
    KEvent::EventManager::Instance()->SkipAll();
    EXPECT_EQ(gBoard, nullptr);
    RunFor(200);
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
}

// The next-question state's choice, step by step.
TEST_F(ShowStatesTest, TheNextQuestionStateChoosesTheBoardTheClassmatesOrTheFinal)
{
    struct Case {
        int32_t played;
        int32_t helps; // each of the three counts
        int32_t next;
        bool keepsClassmate;
    };
    const Case cases[] = {
        {1, 1, 3, true}, {2, 1, 2, true}, {4, 1, 2, true}, {5, 1, 3, true}, {9, 1, 3, true},
        {2, 0, 3, false}, {3, 0, 3, false}, {10, 1, 14, true}, {10, 0, 14, true},
    };
    Record().DealQuestions();
    for (const Case& c : cases) {
        SCOPED_TRACE("played " + std::to_string(c.played) + ", helps " + std::to_string(c.helps));
        for (size_t i = 0; i < Record().board.size(); ++i)
            Record().board[i]->used = int32_t(i) < c.played;
        Record().saveCount = Record().peekCount = Record().copyCount = c.helps;
        Record().currentClassmate = mRight.get();
        Record().answerCorrect = true;
        Record().state = 13;
        KShow::NextQuestion(*mShow);
        EXPECT_EQ(Record().state, c.next);
        EXPECT_EQ(Record().currentClassmate != nullptr, c.keepsClassmate);
    }
}

// Without a classmate window or question board the show does not hang: a
// missing window's wait ends at once.
TEST_F(ShowStatesTest, MissingPartsAreLoggedAndTheShowGoesOn)
{
    KShow::SetShowStateParts(KShow::ShowStateParts());
    Record().currentClassmate = mRight.get();
    Record().state = 2;
    mShow->SetRunning(true);
    mShow->AdvanceNextFrame();
    RunFor(4000);
    const std::vector<int> states = States();
    ASSERT_GE(states.size(), 3u) << Dump();
    EXPECT_EQ(std::vector<int>(states.begin(), states.begin() + 3), (std::vector<int>{2, 3, 4})) << Dump();
    EXPECT_TRUE(LogHas("no classmate choice window"));
    EXPECT_TRUE(LogHas("no question board"));
    EXPECT_TRUE(LogHas("the question state without a question"));
}

} // namespace
