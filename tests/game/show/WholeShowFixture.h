#pragma once
// A whole show played headless with the game's own pieces: the show states,
// the answer windows, the board, the classmate choice and the studio
// screens, all built from the game's scripts by the window script over the
// recording display, on a studio layer over a loading screen layer (which
// the show's end pops); the event and animation managers run pass by pass
// on the fake clock with the stage's 2D pass; the voice-over table of the
// builders' tests, a small question file with every kind of question and a
// roster of classmates who always know the answer. Sounds play nowhere (no sound manager). The
// player is the fixture: it finds the windows as they open and answers
// them with mouse clicks and typed keys through the window manager.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "GoneProbe.h"
#include "ScreenTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/answer/QWMult.h"
#include "game/show/answer/QWOpenAnswer.h"
#include "game/show/answer/QWTrueFalse.h"
#include "game/show/answer/QWVO.h"
#include "game/show/answer/QWindow.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/EventManager.h"
#include "game/show/question/Question.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/screens/ChooseClassmate.h"
#include "game/show/screens/QuestionBoard.h"
#include "game/show/states/ShowStates.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/FlunkDropAnim.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/camera/CameraAnimator.h"
#include "ui/ModalWindow.h"
#include "ui/Text.h"

namespace wholeshow {

// Passes of the event trigger are this far apart on the fake clock.
constexpr uint32_t kPassMs = 50;

// The state a test stops the show at ran (its probe step).
inline int gStopState = -1;
inline int gStopRuns = 0;
inline void StopStep(ShowController&)
{
    ++gStopRuns;
}

// Two questions of each board grade, of every kind the answer windows
// take: multiple choice, true or false, a picture with three options and
// one with two (true or false), a spoken question, a typed answer; and a
// final question. Each subject once, so the board keeps them apart.
constexpr char kQuestions[] = R"(<questions>
<question><type>1</type><grade>1</grade><subject>Math</subject><question>What is 7 + 5?</question>
  <correct>12</correct><incorrect1>11</incorrect1><incorrect2>13</incorrect2><incorrect3>75</incorrect3>
  <explanation>7 + 3 is 10, and 2 more is 12.</explanation></question>
<question><type>2</type><grade>1</grade><subject>Science</subject><question>The sun is a star.</question>
  <correct>True</correct><incorrect1>False</incorrect1></question>
<question><type>3</type><grade>2</grade><subject>Art</subject><dataField>pictures/triangle</dataField>
  <question>How many sides does this shape have?</question><correct>3</correct>
  <incorrect1>4</incorrect1><incorrect2>5</incorrect2></question>
<question><type>3</type><grade>2</grade><subject>Nature</subject><dataField>pictures/leaf</dataField>
  <question>This leaf is from an oak.</question><correct>false</correct><incorrect1>true</incorrect1></question>
<question><type>5</type><grade>3</grade><subject>Music</subject><vo>107</vo>
  <question>Which instrument did you hear?</question><correct>Piano</correct>
  <incorrect1>Violin</incorrect1><incorrect2>Drum</incorrect2></question>
<question><type>6</type><grade>3</grade><subject>Geography</subject><question>What is the capital of France?</question>
  <correct>Paris</correct><incorrect1>Lyon</incorrect1><alternate1>Paree</alternate1>
  <explanation>Paris has been the capital for centuries.</explanation></question>
<question><type>1</type><grade>4</grade><subject>History</subject><question>Who crossed the Alps with elephants?</question>
  <correct>Hannibal</correct><incorrect1>Caesar</incorrect1><incorrect2>Nero</incorrect2></question>
<question><type>6</type><grade>4</grade><subject>Language</subject><question>Spell the number after nine.</question>
  <correct>ten</correct><incorrect1>tin</incorrect1></question>
<question><type>2</type><grade>5</grade><subject>Health</subject><question>Bones are softer than muscles.</question>
  <correct>false</correct><incorrect1>true</incorrect1></question>
<question><type>5</type><grade>5</grade><subject>Sound</subject><vo>107</vo>
  <question>Which animal made that sound?</question><correct>Owl</correct>
  <incorrect1>Cat</incorrect1><incorrect2>Dog</incorrect2><incorrect3>Cow</incorrect3></question>
<question><type>1</type><grade>6</grade><subject>Space</subject><question>Which planet is largest?</question>
  <correct>Jupiter</correct><incorrect1>Mars</incorrect1><incorrect2>Venus</incorrect2></question>
</questions>)";
constexpr int kQuestionCount = 11;

// The five classmates of the choice window; every one always knows the
// answer of every board question.
inline std::string Roster()
{
    std::string text = "<children>";
    for (const char* name : {"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"}) {
        text += std::string("<child name=\"") + name + "\">";
        for (const char* subject : {"Math", "Science", "Art", "Nature", "Music", "Geography", "History",
                                    "Language", "Health", "Sound", "Space"})
            text += std::string("<subject name=\"") + subject + "\" aptitude=\"1\"/>";
        text += "</child>";
    }
    return text + "</children>";
}

class WholeShowFixture : public screentest::ScreenFixture {
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        for (const char* name : {"chooseclassmate.lua", "QuestionBoard.lua", "QWindow.lua", "QWMult.lua",
                                 "QWTrueFalse.lua", "QWEnterAns.lua", "QWVO.lua", "Continue.lua"})
            AddSource(std::string("scripts/") + name);
        // Named as the questions name them (the fake loader tries no
        // extensions).
        screentest::gPictures["pictures/triangle"] = {200, 150};
        screentest::gPictures["pictures/leaf"] = {150, 200};
        AddFile("childAI.xml", Roster());
        AddFile("questions.xml", kQuestions);

        MTRandom::Instance()->Seed(kSeed);
        std::srand(kSeed);
        auto db = std::make_unique<KQuestion::QuestionDB>(*MTRandom::Instance());
        db->Load(TString("questions.xml"));
        ASSERT_EQ(db->GetCount(), kQuestionCount) << mLog.Text();
        KQuestion::QuestionDB::Install(std::move(db));
        KQuestion::RegisterAnswerWindows();

        KVO::VOTable::Instance()->Load(
            TString(("::" + std::string(QUILLORY_TEST_DATA) + "/vo/builders.xml").c_str()));
        ASSERT_TRUE(KVO::VOTable::Existing()->FindById(107));
        mBaseWindows = CountWindows(mManager->GetRootWindow());
        OpenStudio();

        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KShow::SetShowStateParts(KShow::StudioStateParts());
        KShow::RegisterShowStates();
        gStopRuns = 0;
        mShow = ShowController::Instance();
        mStartWindows = CountWindows(mManager->GetRootWindow());
    }

    void TearDown() override
    {
        if (gStopState >= 0)
            ShowController::SetState(gStopState, nullptr);
        gStopState = -1;
        // Whatever is still on screen goes while its events' manager lives.
        while (mStudio && !mStudio->GetChildren().empty())
            delete mStudio->GetChildren().front();
        KEvent::EventManager::Instance()->SkipAll();
        ShowController::Destroy();
        KVO::VOPlayer::Destroy();
        KVO::VOTable::Destroy();
        DeleteDeferred();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        KScene::CameraAnimator::Destroy();
        KAnim::SetMoneyDisplayParent(nullptr);
        KAnim::ReleaseMoneyDisplay();
        Quillory::ReleaseFlunkDropAnim();
        KAnim::AnimManager::Destroy();
        Quillory::IdleAnimController::Destroy();
        Quillory::KChildManager::Destroy();
        for (int state = 0; state < ShowController::kStateCount; ++state)
            ShowController::SetState(state, nullptr);
        KShow::SetShowStateParts(KShow::StudioStateParts());
        for (auto kind : {KQuestion::AnswerWindowKind::kMult, KQuestion::AnswerWindowKind::kVoiceOver,
                          KQuestion::AnswerWindowKind::kTrueFalse, KQuestion::AnswerWindowKind::kOpenAnswer})
            KQuestion::SetAnswerWindowMaker(kind, nullptr);
        KQuestion::QuestionDB::Destroy();
        mStudio = nullptr;
        ScreenFixture::TearDown();
    }

    // The loading screen's layer (the show's end pops it and all above it)
    // and over it the layer the show runs in, as the stage's script pushes
    // it. The money display and the subtitles go on the studio layer, as on
    // the stage.
    void OpenStudio()
    {
        auto* loading = new TModalWindow();
        loading->SetName("loading_window");
        loading->SetSize(800, 600);
        mManager->PushModal(loading);
        mStudio = new TModalWindow();
        mStudio->SetName("studio");
        mStudio->MoveTo(0, 0);
        mStudio->SetSize(800, 600);
        mManager->PushModal(mStudio);
        // Popped together: the loading layer's deletion stands for both.
        mStudioMark = Mark(loading);
        KAnim::SetMoneyDisplayParent(mStudio);
        KVO::VOPlayer::Instance()->SetSubtitleParent(mStudio);
    }
    // Once the layers are deleted nothing points at the studio any more.
    void ForgetDeletedStudio()
    {
        if (!mStudio || !Gone(mStudioMark))
            return;
        mStudio = nullptr;
        KAnim::SetMoneyDisplayParent(nullptr);
        if (KVO::VOPlayer* player = KVO::VOPlayer::Existing())
            player->SetSubtitleParent(nullptr);
    }

    // The show stops when it asks for this state: a probe runs instead.
    static void StopAt(int state)
    {
        gStopState = state;
        ShowController::SetState(state, &StopStep);
    }
    // The show starts from state 0, as the stage's first frame starts it.
    void StartShow()
    {
        mShow->GetRecord().state = 0;
        mShow->ShowStep();
    }

    // One pass of the event trigger (events, then the 2D animations), the
    // stage's 2D pass (the registered animations drawn, as the stage draws
    // them over the studio), then the window manager's idle work: messages,
    // deferred deletions, a frame.
    void Pass()
    {
        uitest::gNow += kPassMs;
        KEvent::EventManager::Instance()->Update();
        KAnim::AnimManager::Get()->Update();
        TRenderer* renderer = TRenderer::Get();
        if (renderer->BeginDraw(false)) {
            if (renderer->Begin2d()) {
                KAnim::AnimManager::Get()->Update();
                renderer->End2d();
            }
            renderer->EndDraw(false);
        }
        DeleteDeferred();
        ForgetDeletedStudio();
    }
    // Passes until done() holds or ms of the fake clock have gone by.
    bool RunUntil(const std::function<bool()>& done, uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += kPassMs) {
            if (done())
                return true;
            Pass();
        }
        return done();
    }
    void RunFor(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += kPassMs)
            Pass();
    }

    // The open, shown window of the kind on the studio layer that the
    // player has not acted on yet, else null.
    template <class W>
    W* NewWindow()
    {
        if (!mStudio)
            return nullptr;
        for (TWindow* child : mStudio->GetChildren()) {
            auto* window = dynamic_cast<W*>(child);
            if (window && window->HasFlags(kWindowShown) && !window->FindChild(TString(kSeen)))
                return window;
        }
        return nullptr;
    }
    // Marks the window as acted on; gone() says whether it was deleted (or
    // its children were, as a closing answer window does).
    size_t Mark(TWindow* window)
    {
        mGone.push_back(std::make_unique<bool>(false));
        auto* probe = new GoneProbe(mGone.back().get());
        probe->SetName(TString(kSeen));
        window->AddChild(probe, true);
        return mGone.size() - 1;
    }
    bool Gone(size_t mark) const { return *mGone[mark]; }

    // A left click at the child's centre, through the window manager. The
    // child must be there and shown, as for a player.
    void Click(TWindow* root, const std::string& name)
    {
        TWindow* window = root->FindChild(TString(name.c_str()));
        ASSERT_NE(window, nullptr) << name;
        ASSERT_TRUE(window->HasFlags(kWindowShown)) << name << " is hidden";
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(uitest::Ev(type, p.x, p.y));
        mManager->DispatchMessages();
    }
    // Characters typed at the keyboard, into the focus window.
    void Type(const std::string& text)
    {
        for (char c : text)
            mManager->HandleEvent(uitest::Ev(kEventChar, 0, 0, static_cast<unsigned char>(c)));
        mManager->DispatchMessages();
    }
    static std::string TextOf(TWindow* root, const std::string& name)
    {
        auto* text = TWindow::Cast<TText>(root->FindChild(TString(name.c_str())));
        return text ? std::string(text->GetText().c_str()) : std::string();
    }

    // The player answers the question of the answer window, right or wrong,
    // as its kind takes answers.
    void Answer(KQuestion::QWindow* window, bool right)
    {
        KQuestion::QBase* question = window->GetQuestion();
        ASSERT_NE(question, nullptr);
        if (TWindow::Cast<KQuestion::QWOpenAnswer>(window)) {
            Click(window, "txt_enterAnswer");
            Type(right ? std::string(question->correct.c_str()) : std::string("no idea"));
            Click(window, "btn_enter");
        } else if (auto* truth = TWindow::Cast<KQuestion::QWTrueFalse>(window)) {
            (void)truth;
            const bool isTrue = static_cast<KQuestion::QTrueFalse*>(question)->answerIsTrue;
            Click(window, isTrue == right ? "btn_true" : "btn_false");
            Click(window, "btn_Answer");
        } else {
            ASSERT_NE(TWindow::Cast<KQuestion::QWMult>(window), nullptr) << window->GetClassName();
            int option = -1;
            for (int i = 0; i < 4 && option < 0; ++i) {
                const std::string text = TextOf(window, "txt_opt" + std::to_string(i));
                if (!text.empty() && (text == question->correct.c_str()) == right)
                    option = i;
            }
            ASSERT_GE(option, 0) << "no " << (right ? "right" : "wrong") << " option for "
                                 << question->question.c_str();
            Click(window, "btn_opt" + std::to_string(option));
            Click(window, "btn_Answer");
        }
    }

    // Every window in the tree under root, root included.
    static size_t CountWindows(TWindow* root)
    {
        size_t count = 1;
        for (TWindow* child : root->GetChildren())
            count += CountWindows(child);
        return count;
    }

    // Log lines other than the show's own step lines, the fixture's loading
    // lines and those the headless studio explains: no application (so no
    // string table for the screens' texts), no stage (so no confetti), no
    // player profile, no sound, animation or model files.
    std::vector<std::string> UnexpectedLogLines() const
    {
        static const char* const kExpected[] = {
            "Show: state ",
            "no string table for",
            "Device identifier:",
            "  Driver: ",
            "  Description: ",
            "  Version: ",
            "  Vendor: ",
            "Questions: 11 read from questions.xml",
            "Voice-over: 148 lines in 55 categories read from",
            "Saved show: no player settings; not ",
            "Show: no settings; the show's earnings of ",
            "OGG file not found: ",
            "Animated texture anim/",
            "Trans3D_Anim: the transition anim/anim_trans_full.xml cannot be loaded",
            "Model mesh/varnum/varnum.x: cannot open the file",
            "Classmates: Corin Varnum: the model mesh/varnum/varnum.x has no mesh",
            "Start Confetti: no confetti emitter could be made",
        };
        std::vector<std::string> out;
        for (const std::string& line : mLog.Lines()) {
            bool expected = false;
            for (const char* piece : kExpected)
                expected = expected || line.find(piece) != std::string::npos;
            if (!expected && !line.empty())
                out.push_back(line);
        }
        return out;
    }

    static constexpr uint32_t kSeed = 20240611;
    static constexpr const char* kSeen = "player-seen";

    ShowController* mShow = nullptr;
    TModalWindow* mStudio = nullptr;
    size_t mStartWindows = 0;
    // The windows before the loading and studio layers were pushed.
    size_t mBaseWindows = 0;
    size_t mStudioMark = 0;
    std::vector<std::unique_ptr<bool>> mGone;
};

} // namespace wholeshow
