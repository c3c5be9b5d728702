// The game loop over the application's events: which records end it, which
// reach the windows, activation and the top screen's clock, the studio logo.
#include <gtest/gtest.h>

#include "game/show/GameLoop.h"
#include "game/show/GameSingletons.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/event/EventManager.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"
#include "render/TextureData.h"
#include "ui/ManagerTestSupport.h"

namespace {

using uitest::Ev;

class GameLoopTest : public uitest::ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        mTop = PushDialog("top");
        // Keys go to the focus window: the dialog.
        uitest::gLog.clear();
    }

    // Feeds the records as the game's main function does: the loop stops at
    // the first record that ends it. Returns how many were taken.
    size_t Run(TGameLoop& loop, const std::vector<TPlatformEvent>& records)
    {
        size_t taken = 0;
        for (const TPlatformEvent& event : records) {
            ++taken;
            if (!loop.Handle(event))
                break;
        }
        return taken;
    }

    std::vector<std::string> Keys() { return Only("top:key:"); }

    uitest::ModalProbe* mTop = nullptr;
};

TEST_F(GameLoopTest, QuitAndCloseEndTheLoopAndReachNoWindow)
{
    struct Case {
        const char* name;
        std::vector<TPlatformEvent> records;
        size_t taken;
        size_t handed;
        std::vector<std::string> keys;
    };
    const std::vector<Case> cases = {
        {"quit first", {Ev(kEventQuit), Ev(kEventKeyDown, 0, 0, 'A')}, 1, 0, {}},
        {"close first", {Ev(kEventClose), Ev(kEventKeyDown, 0, 0, 'A')}, 1, 0, {}},
        {"keys then close",
         {Ev(kEventKeyDown, 0, 0, 'A'), Ev(kEventIdle), Ev(kEventKeyDown, 0, 0, 'B'), Ev(kEventClose),
          Ev(kEventKeyDown, 0, 0, 'C')},
         4, 3, {"top:key:65", "top:key:66"}},
        {"activation and mode records go on too",
         {Ev(kEventActivate, 0, 0, 0), Ev(kEventActivate, 0, 0, 1), Ev(kEventFullScreen), Ev(kEventQuit)}, 4, 3,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uitest::gLog.clear();
        TGameLoop loop(mManager.get());
        EXPECT_EQ(Run(loop, c.records), c.taken);
        EXPECT_EQ(loop.GetHandedCount(), c.handed);
        EXPECT_EQ(Keys(), c.keys);
    }
}

TEST_F(GameLoopTest, DeactivationPausesTheTopScreensClockAndActivationResumesIt)
{
    TGameLoop loop(mManager.get());
    TClock& clock = mTop->GetClock();
    ASSERT_FALSE(clock.IsPaused());
    uitest::gNow += 500;
    const uint32_t before = clock.GetTime();

    loop.Handle(Ev(kEventActivate, 0, 0, 0));
    EXPECT_TRUE(clock.IsPaused());
    uitest::gNow += 3000; // time in the background does not count
    EXPECT_EQ(clock.GetTime(), before);
    loop.Handle(Ev(kEventActivate, 0, 0, 0)); // again: stays paused
    EXPECT_TRUE(clock.IsPaused());

    loop.Handle(Ev(kEventActivate, 0, 0, 1));
    EXPECT_FALSE(clock.IsPaused());
    uitest::gNow += 200;
    EXPECT_EQ(clock.GetTime(), before + 200);

    // Without a window manager the records are taken and go nowhere.
    TGameLoop alone(nullptr);
    EXPECT_TRUE(alone.Handle(Ev(kEventActivate, 0, 0, 0)));
    EXPECT_FALSE(alone.Handle(Ev(kEventQuit)));
    EXPECT_EQ(alone.GetHandedCount(), 0u);
}

// Back in the game while a question was up, the host welcomes the player
// back (row 248); at any other moment, or away, nothing is said.
TEST_F(GameLoopTest, ComingBackDuringAQuestionPlaysTheWelcomeBackLine)
{
    KVO::VOTable::Instance()->Load(TString("::" QUILLORY_TEST_DATA "/vo/builders.xml"));
    TWindow stage;
    struct Case {
        bool running;
        int32_t previousState;
        int32_t activation;
        bool spoken;
    } const cases[] = {
        {true, ShowController::kQuestionState, 1, true},
        {true, ShowController::kQuestionState, 0, false},
        {true, ShowController::kQuestionState + 1, 1, false},
        {false, ShowController::kQuestionState, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.running << " " << c.previousState << " " << c.activation);
        KVO::VOPlayer::Instance()->SetSubtitleParent(&stage);
        ShowController* show = ShowController::Instance();
        show->SetRunning(c.running);
        show->GetRecord().previousState = c.previousState;
        TGameLoop loop(mManager.get());
        loop.Handle(Ev(kEventActivate, 0, 0, c.activation));
        const std::shared_ptr<KEvent::Event>& line = KVO::VOPlayer::Instance()->GetCurrent();
        if (c.spoken) {
            ASSERT_NE(line, nullptr);
            EXPECT_NE(std::string(line->GetName().c_str()).find("vo/248.ogg"), std::string::npos);
        } else {
            EXPECT_EQ(line, nullptr);
        }
        KVO::VOPlayer::Destroy();
        ShowController::Destroy();
    }
    KVO::VOTable::Destroy();
    KEvent::EventManager::Destroy();
    KEvent::EventManager::AllowRecreateForTests();
}

TEST_F(GameLoopTest, WithoutALogoTheLoopRunsAndNoFrameIsComputed)
{
    TGameLoop loop(mManager.get());
    loop.Start(); // no "anim/logo_loop.xml" here: logged, left out
    EXPECT_EQ(loop.GetLogo(), nullptr);
    EXPECT_EQ(loop.LogoFrameAt(0), -1);
    EXPECT_EQ(loop.LogoFrameAt(123456), -1);
    EXPECT_TRUE(loop.Handle(Ev(kEventIdle)));
}

// A logo sheet of `frames` 16 x 16 frames in one row, as a memory file,
// its picture from a loader that makes a blank surface.
class GameLoopLogoTest : public GameLoopTest {
protected:
    static bool BlankSheet(TTextureData& data, const TString&, const TString&)
    {
        if (!data.CreateSurface(64, 64))
            return false;
        data.mWidth = data.mHeight = 64;
        return true;
    }

    void SetUp() override
    {
        GameLoopTest::SetUp();
        SetTextureLoader(BlankSheet);
    }
    void TearDown() override
    {
        ClearRegisteredFiles();
        SetTextureLoader(nullptr);
        GameLoopTest::TearDown();
    }

    void AddLogo(int frames)
    {
        mXml = "<sequence name=\"logo\"><img name=\"logo.png\" w=\"64\" h=\"64\"/><framelist>";
        for (int i = 0; i < frames; ++i)
            mXml += "<frame x=\"" + std::to_string(i % 4 * 16) + "\" y=\"" + std::to_string(i / 4 % 4 * 16) +
                    "\" w=\"16\" h=\"16\"/>";
        mXml += "</framelist></sequence>";
        RegisterMemoryFile(TGameLoop::kLogoName, mXml.data(), uint32_t(mXml.size()));
    }

    std::string mXml;
};

TEST_F(GameLoopLogoTest, TheLogoRestsOnItsFrameAndRunsAt24FramesASecond)
{
    AddLogo(40);
    TGameLoop loop(mManager.get());
    loop.Start();
    ASSERT_NE(loop.GetLogo(), nullptr);
    EXPECT_EQ(loop.GetLogo()->GetFrame(), TGameLoop::kLogoRestFrame);

    struct Case {
        uint32_t ms;
        int32_t frame;
    };
    for (const Case& c : {Case{0, 0}, Case{41, 0}, Case{42, 1}, Case{1000, 24}, Case{2000, 8}, Case{5000, 0},
                          Case{89478485, 3}}) // the last before 24 x ms leaves int32
        EXPECT_EQ(loop.LogoFrameAt(c.ms), c.frame) << c.ms << " ms";
    // Past that the product wraps: still a frame of the logo.
    for (uint32_t ms : {89478486u, 200000000u, 0xFFFFFFFFu}) {
        const int32_t frame = loop.LogoFrameAt(ms);
        EXPECT_GE(frame, 0) << ms;
        EXPECT_LT(frame, 40) << ms;
    }
}

TEST_F(GameLoopLogoTest, TheLogoRunsWhileAShowDoesAndStandsStillBetweenShows)
{
    AddLogo(40);
    TGameLoop loop(mManager.get());
    loop.Start();
    uitest::gNow += 1000;
    loop.Handle(Ev(kEventIdle));
    EXPECT_EQ(loop.GetLogo()->GetFrame(), TGameLoop::kLogoRestFrame) << "no show yet";

    ShowController::Instance()->SetRunning(true);
    loop.Handle(Ev(kEventIdle));
    EXPECT_EQ(loop.GetLogo()->GetFrame(), 24);
    uitest::gNow += 500;
    loop.Handle(Ev(kEventIdle));
    EXPECT_EQ(loop.GetLogo()->GetFrame(), 36);

    ShowController::Instance()->SetRunning(false);
    uitest::gNow += 300;
    loop.Handle(Ev(kEventIdle));
    EXPECT_EQ(loop.GetLogo()->GetFrame(), 36) << "it keeps the frame it had";
    ShowController::Destroy();
}

TEST_F(GameLoopLogoTest, ALogoWithFewerFramesThanTheRestFrameShowsItsFirst)
{
    AddLogo(10);
    TGameLoop loop(mManager.get());
    loop.Start();
    ASSERT_NE(loop.GetLogo(), nullptr);
    EXPECT_EQ(loop.GetLogo()->GetFrame(), 0);
    EXPECT_EQ(loop.LogoFrameAt(1000), 4);
}

TEST(GameSingletonsTest, ShutDownFollowsTheGameOrderAndCanRunTwice)
{
    // The full order; the table lists those that exist, in this order.
    const std::vector<std::string> order = {
        "ShowController", "AnimManager", "IdleAnimController", "QuestionDB", "VOPlayer", "VOTable",
        "EventManager", "LensFlare", "KSceneSet", "MaterialTable", "CameraAnimator", "SceneLoadHolder",
        "MTRandom", "KChildManager", "GameSettings",
    };
    size_t last = 0;
    for (const TGameSingleton& singleton : GameSingletons()) {
        auto at = std::find(order.begin(), order.end(), singleton.name);
        ASSERT_NE(at, order.end()) << singleton.name;
        const size_t index = size_t(at - order.begin());
        EXPECT_GE(index, last) << singleton.name << " is out of order";
        last = index;
    }

    MTRandom* first = MTRandom::Instance();
    first->NextWord();
    DestroyGameSingletons();
    DestroyGameSingletons();
    // Made again from scratch on the next use.
    MTRandom fresh;
    fresh.Seed(0);
    EXPECT_EQ(MTRandom::Instance()->NextWord(), fresh.NextWord());
    MTRandom::Destroy();
}

} // namespace
