#pragma once
// The show's states run through the real event manager on a fake clock:
// which state runs when, what the record holds after each, what the studio
// screens and the pedestal lights show. The player's windows are plain test
// windows the test closes; the host's lines come from a small table whose
// rows are named by their VOid, and sounds play nowhere (no sound manager).
// The studio is a screen pushed over one named "loading_window", as the
// game's stage sits over its loading screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
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
#include "game/show/event/ShowLinks.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/states/ShowStates.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/FlunkDropAnim.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/anim/MultiAnim.h"
#include "game/stage/camera/CameraAnimator.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/Renderer.h"

namespace showtest {

using uitest::gNow;

// Passes of the event trigger are this far apart.
constexpr uint32_t kPassMs = 50;

// What the show did, as "ms:what" with ms counted from the test's start.
inline std::vector<std::string> gTrace;
inline uint32_t gStart = 0;
inline void Note(const std::string& what)
{
    gTrace.push_back(std::to_string(gNow - gStart) + ":" + what);
}

// The windows the player answers through, while open; the studio while it
// lives.
inline TWindow* gClassmateWindow = nullptr;
inline TWindow* gBoard = nullptr;
inline TWindow* gAnswerWindow = nullptr;
inline TWindow* gOffer = nullptr;
inline TWindow* gStudio = nullptr;

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

// Sits in the studio and forgets it when it goes, as the stage does: the
// voice-over's subtitles lose their parent.
class StudioWatch : public TWindow {
public:
    ~StudioWatch() override
    {
        gStudio = nullptr;
        if (KVO::VOPlayer* player = KVO::VOPlayer::Existing())
            player->SetSubtitleParent(nullptr);
    }
};

inline TWindow* MakeClassmateWindow()
{
    Note("classmate window");
    return new Tracked("classmates", gClassmateWindow);
}

inline TWindow* MakeBoard()
{
    Note("board");
    return new Tracked("board", gBoard);
}

inline TWindow* MakeContinueWindow()
{
    Note("offer");
    return new Tracked("offer", gOffer);
}

// The answer window appears with the reveal and the question's event ends
// when it closes.
inline std::shared_ptr<KEvent::Event> MakeRevealChain(KQuestion::QBase*, std::shared_ptr<KEvent::Event>& reveal)
{
    reveal = KEvent::MakeWaitTime(600);
    TWindow* window = new Tracked("answer", gAnswerWindow);
    gStudio->AddChild(window, true);
    return reveal->Then(KEvent::MakeWaitForWindowClose(window));
}

inline std::shared_ptr<KEvent::Event> MakeTextTransition(const TString& text)
{
    Note("transition " + std::string(text.c_str()));
    return KEvent::MakeWaitTime(500);
}

// The banner shows for two seconds.
constexpr uint32_t kBannerMs = 2000;
inline std::shared_ptr<KEvent::Event> MakeMoneyBanner(const TString& file, const TString& text)
{
    Note("banner " + std::string(file.c_str()) + " " + text.c_str());
    return KEvent::MakeWaitTime(kBannerMs);
}

// Notes when the confetti starts and stops.
class ConfettiProbe : public KEvent::ConfettiControl {
public:
    explicit ConfettiProbe(uint16_t count) : mCount(count) {}
    void Start() override { Note("confetti " + std::to_string(mCount)); }
    void StopRespawn() override { Note("confetti stops"); }

private:
    uint16_t mCount;
};

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
inline std::string QuestionFile()
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

class ShowStatesFixture : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        // The player's folder, where the settings and the saved show go.
        std::filesystem::create_directories(mRoot + "/user");
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

        mModalsBelow = mManager->GetModalCount();
        PushStudio();
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KShow::RegisterShowStates();
        KShow::ShowStateParts parts;
        parts.makeClassmateWindow = &MakeClassmateWindow;
        parts.makeQuestionBoard = &MakeBoard;
        parts.makeRevealChain = &MakeRevealChain;
        parts.makeTextTransition = &MakeTextTransition;
        parts.makeContinueWindow = &MakeContinueWindow;
        parts.makeMoneyBanner = &MakeMoneyBanner;
        KShow::SetShowStateParts(parts);
        KEvent::SetConfettiFactory([](uint16_t count) { return std::make_shared<ConfettiProbe>(count); });

        KVO::VOTable::Instance()->Load(
            TString(("::" + std::string(QUILLORY_TEST_DATA) + "/vo/builders.xml").c_str()));
        ASSERT_TRUE(KVO::VOTable::Existing()->FindById(107));
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
        KEvent::SetConfettiFactory(nullptr);
        KScene::CameraAnimator::Destroy();
        KAnim::ReleaseMoneyDisplay();
        Quillory::ReleaseFlunkDropAnim();
        KAnim::AnimManager::Destroy();
        KShow::SetShowStateParts(KShow::StudioStateParts());
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KQuestion::QuestionDB::Destroy();
        GameSettings::Destroy();
        WindowScriptFixture::TearDown();
        gStudio = nullptr;
    }

    // The loading screen and the studio over it, unless the studio is
    // still there; the voice-over's subtitles go into the studio.
    void PushStudio()
    {
        if (gStudio)
            return;
        PushDialog("loading_window", 0, 0, 800, 600);
        gStudio = PushDialog("studio", 0, 0, 800, 600);
        gStudio->AddChild(new StudioWatch(), true);
        KVO::VOPlayer::Instance()->SetSubtitleParent(gStudio);
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
    // Passes until the show has ended (no longer running after a step), at
    // most `ms` of the fake clock.
    bool RunUntilEnd(uint32_t ms = 120000)
    {
        for (uint32_t t = 0; t < ms && mShow->IsRunning(); t += kPassMs)
            Pass();
        return !mShow->IsRunning();
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
    // When the entry was first noted (ms from the start); -1: never.
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
    uint32_t mModalsBelow = 0;
    int32_t mNextLineId = 0;
    std::unique_ptr<Quillory::KChild> mRight;
    std::unique_ptr<Quillory::KChild> mWrong;
};

} // namespace showtest
