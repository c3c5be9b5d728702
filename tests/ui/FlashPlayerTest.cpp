// Movies from scripts: the program's player, which has no control and so
// never starts one, and the player's own logic driven through a fake
// control (flags, cover, cursor, text variables, failures, the splash).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeMovieControl.h"
#include "HostedScriptSupport.h"
#include "WidgetImages.h"
#include "os/gfx/recording/GfxRecording.h"

namespace uitest {
namespace {

std::string Joined(const std::vector<std::string>& items)
{
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + item;
    return out;
}

size_t CallCount(const std::string& prefix)
{
    return GfxRecordingLog().Count(prefix);
}

// The display host as the application has it: a movie is playing while the
// window manager's movie flag is set.
struct MovieAwareDisplayHost : TTestDisplayHost {
    bool IsMoviePlaying() const override
    {
        TWindowManager* manager = GetWindowManager();
        return manager && manager->IsMoviePlaying();
    }
};

class MovieTest : public HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        AddAsset("intro.swf", "not really a movie");
    }
    void UseFake() { mScript->SetMovieControlFactory(FakeMovieControl::Factory(mMovie)); }

    // Nothing of a movie is left: flags, cover, player.
    void ExpectNoMovie()
    {
        EXPECT_FALSE(mManager->IsMoviePlaying());
        EXPECT_FALSE(mManager->IsMovieInput());
        EXPECT_FALSE(mManager->IsInputCovered());
        EXPECT_EQ(mScript->GetMoviePlayer(), nullptr);
        EXPECT_EQ(Eval("IsMoviePlaying()"), "false");
    }

    FakeMovieState mMovie;
};

TEST_F(MovieTest, TheProgramsPlayerStartsNothingAndLeavesTheCursorAsItWas)
{
    struct Case {
        const char* call;
        bool cursorBefore;
        const char* cursorCalls;
    };
    static const Case cases[] = {
        {"StartMovie('')", true, ""},
        {"StartMovie(nil, true, true)", true, ""},
        {"StartMovie('intro.swf', false, false)", true, "hide show"},
        {"StartMovie('intro.swf', true, true)", false, "hide hide"},
        {"StartMovie('missing.swf', false, true)", true, "hide show"},
    };
    for (const Case& c : cases) {
        mApp.cursorShown = c.cursorBefore;
        mApp.cursorCalls.clear();
        EXPECT_EQ(Eval(c.call), "false") << c.call;
        EXPECT_EQ(Joined(mApp.cursorCalls), c.cursorCalls) << c.call;
        EXPECT_EQ(mApp.cursorShown, c.cursorBefore) << c.call;
        ExpectNoMovie();
        EXPECT_TRUE(Run("StopMovie()"));
    }
    EXPECT_TRUE(LogHas("Movie intro.swf: no movie player on this platform"));
    EXPECT_TRUE(LogHas("StartMovie: no file named"));
}

TEST_F(MovieTest, WithoutAMovieTheSplashShowsItsPictureForItsTime)
{
    TWidgetImages images;
    images.Add("splash.png", 64, 32);
    uint32_t depth = mManager->GetModalCount();

    // no picture either: over at once, and its layer is gone again
    ASSERT_TRUE(Run("return function() DisplaySplash('intro.swf', nil, 1000) done = true end"));
    EXPECT_EQ(Eval("done"), "true");
    EXPECT_EQ(Eval("inMovie"), "false");
    EXPECT_EQ(mManager->GetModalCount(), depth);

    ASSERT_TRUE(Run("return function() DisplaySplash('intro.swf', 'splash.png', 500) shown = true end"));
    for (int i = 0; i < 4; ++i)
        Tick(50);
    ASSERT_EQ(mManager->GetModalCount(), depth + 1);
    TWindow* picture = mManager->GetTopModal()->FindChild("splashimage");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetWidth(), 64);
    Tick(200);
    EXPECT_EQ(Eval("shown"), "nil");
    for (int i = 0; i < 5; ++i)
        Tick(100);
    EXPECT_EQ(Eval("shown"), "true");
    EXPECT_EQ(mManager->GetModalCount(), depth);
    EXPECT_TRUE(mApp.cursorShown);
    ExpectNoMovie();
}

TEST_F(MovieTest, AMovieCoversTheGameUntilItIsStopped)
{
    UseFake();
    mScreen->SetFillColour(1, 0, 0, 1);
    auto* game = Place(mScreen, new Probe("game", kTakeDown | kTakeKeys), 10, 10, 100, 100);
    mManager->SetFocus(game);
    TDisplayHost& previousHost = GetDisplayHost();
    {
        MovieAwareDisplayHost display;
        display.mainWindow = previousHost.GetMainWindow();

        EXPECT_EQ(Eval("StartMovie('intro.swf', false, false)"), "true");
        ASSERT_EQ(mMovie.calls.size(), 3u);
        EXPECT_EQ(Joined({mMovie.calls[0], mMovie.calls[1]}), "Init Create");
        EXPECT_EQ(mMovie.calls[2].rfind("Load ", 0), 0u);
        EXPECT_EQ(mMovie.area, TRect(0, 0, 800, 600));
        EXPECT_TRUE(mManager->IsMoviePlaying());
        EXPECT_FALSE(mManager->IsMovieInput());
        EXPECT_TRUE(mManager->IsInputCovered());
        EXPECT_FALSE(mApp.cursorShown);

        // no frame drawn, nothing presented, no pointer input; keys still go
        gLog.clear();
        GfxRecordingLog().Clear();
        mManager->Invalidate();
        gNow += 100;
        mManager->HandleEvent(Ev(kEventIdle));
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(Ev(type, 20, 20));
        mManager->HandleEvent(Ev(kEventKeyDown, 0, 0, 65));
        EXPECT_EQ(Joined(gLog), "game:key:65");
        ASSERT_TRUE(TRenderer::Get()->BeginDraw(false));
        TRenderer::Get()->EndDraw(true);
        EXPECT_EQ(CallCount("Present"), 0u);

        // it plays for its time; the flags stay until it is stopped
        EXPECT_EQ(Eval("IsMoviePlaying()"), "true");
        gNow += 1000;
        EXPECT_EQ(Eval("IsMoviePlaying()"), "false");
        EXPECT_TRUE(mManager->IsMoviePlaying());

        // stopping clears the screen in its fill colour and gives all back
        GfxRecordingLog().Clear();
        ASSERT_TRUE(Run("StopMovie()"));
        EXPECT_EQ(mMovie.calls.back(), "Destroy");
        EXPECT_EQ(mMovie.live, 0);
        ExpectNoMovie();
        EXPECT_TRUE(mApp.cursorShown);
        std::vector<TDrawnFill> fills = DrawnFills();
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(fills[0].rect, TRect(0, 0, 800, 600));
        EXPECT_EQ(fills[0].argb, 0xFFFF0000u);
        EXPECT_EQ(CallCount("Present"), 1u);
    }
    SetDisplayHost(&previousHost);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventLeftDown, 20, 20));
    ASSERT_FALSE(gLog.empty());
    EXPECT_EQ(gLog.front(), "game:down:10,10");
}

TEST_F(MovieTest, TranslatedMoviesGetTheirTextsBeforeTheyPlay)
{
    UseFake();
    mApp.strings = {{"title", "Quiz Time"}, {"byline", "by us"}, {"FLASH_PRESS", "Press a key"}, {"other", "x"}};
    struct Case {
        const char* names;
        const char* variables;
    };
    static const Case cases[] = {
        {"title;byline;", "title=Quiz Time byline=by us PRESS=Press a key"},
        // no names of its own: only the FLASH_ labels
        {"", "PRESS=Press a key"},
        // empty names are skipped; a last name without its ";" counts
        {";title;;byline", "title=Quiz Time byline=by us PRESS=Press a key"},
        // a name the table lacks gets what the table gives for it
        {"nothing;", "nothing=##### PRESS=Press a key"},
    };
    for (const Case& c : cases) {
        mMovie = {};
        mMovie.textVarNames = c.names;
        EXPECT_EQ(Eval("StartMovie('intro.swf', true, false)"), "true") << c.names;
        EXPECT_EQ(Joined(mMovie.variables), c.variables) << c.names;
        ASSERT_GE(mMovie.calls.size(), 5u);
        EXPECT_EQ(mMovie.calls[1], "Create text");
        EXPECT_EQ(mMovie.calls[3], "Stop");
        EXPECT_EQ(mMovie.calls[4], "Get textvarnames");
        EXPECT_EQ(mMovie.calls.back(), "Play");
        ASSERT_TRUE(Run("StopMovie()"));
    }
    // without translation the movie plays as loaded
    mMovie = {};
    mMovie.textVarNames = "title;";
    EXPECT_EQ(Eval("StartMovie('intro.swf', false, false)"), "true");
    EXPECT_EQ(mMovie.calls.size(), 3u);
    EXPECT_TRUE(mMovie.variables.empty());
}

TEST_F(MovieTest, AFailureAtAnyStepUndoesTheStart)
{
    UseFake();
    mMovie.textVarNames = "a;";
    struct Case {
        const char* failAt;
        const char* file;
        bool destroyed;
    };
    static const Case cases[] = {
        {"Init", "intro.swf", false}, {"Create", "intro.swf", true}, {"", "missing.swf", true},
        {"Load", "intro.swf", true},  {"Stop", "intro.swf", true},   {"Get", "intro.swf", true},
        {"Set", "intro.swf", true},   {"Play", "intro.swf", true},
    };
    for (const Case& c : cases) {
        mMovie.calls.clear();
        mMovie.failAt = c.failAt;
        mApp.cursorShown = true;
        EXPECT_EQ(Eval(std::string("StartMovie('") + c.file + "', true, true)"), "false") << c.failAt;
        EXPECT_EQ(!mMovie.calls.empty() && mMovie.calls.back() == "Destroy", c.destroyed) << c.failAt;
        EXPECT_EQ(mMovie.live, 0) << c.failAt;
        EXPECT_TRUE(mApp.cursorShown) << c.failAt;
        ExpectNoMovie();
    }
    EXPECT_TRUE(LogHas("Movie missing.swf: no such file"));
}

TEST_F(MovieTest, InputFlagAndTheEndsOfAMovie)
{
    UseFake();
    // with input allowed the movie takes the input while it shows
    EXPECT_EQ(Eval("StartMovie('intro.swf', false, true)"), "true");
    EXPECT_TRUE(mManager->IsMovieInput());
    // the next start ends the movie before it makes its own
    mMovie.calls.clear();
    EXPECT_EQ(Eval("StartMovie('intro.swf', false, false)"), "true");
    EXPECT_EQ(mMovie.calls.front(), "Destroy");
    EXPECT_EQ(mMovie.live, 1);
    EXPECT_FALSE(mManager->IsMovieInput());
    EXPECT_TRUE(mManager->IsMoviePlaying());
    // and the script's end ends the last one
    mManager->Init(nullptr);
    mScript.reset();
    EXPECT_EQ(mMovie.live, 0);
    EXPECT_FALSE(mManager->IsMoviePlaying());
    EXPECT_FALSE(mManager->IsInputCovered());
    EXPECT_TRUE(mApp.cursorShown);
}

TEST_F(MovieTest, TheSplashPlaysAMovieUntilItEnds)
{
    UseFake();
    mMovie.lengthMs = 300;
    uint32_t depth = mManager->GetModalCount();
    ASSERT_TRUE(Run("return function() DisplaySplash('intro.swf', 'none.png', 0) done = true end"));
    EXPECT_EQ(Eval("inMovie"), "true");
    for (int i = 0; i < 5; ++i)
        Tick(50);
    EXPECT_EQ(Eval("done"), "nil");
    EXPECT_TRUE(mManager->IsMoviePlaying());
    for (int i = 0; i < 3; ++i)
        Tick(50);
    EXPECT_EQ(Eval("done"), "true");
    EXPECT_EQ(mManager->GetModalCount(), depth);
    ExpectNoMovie();
}

} // namespace
} // namespace uitest
