// The studio screens and lights: what the main screens show for a text, a
// question or nothing, the small screens, the pedestal lights' material,
// the skip button hidden, and the chain that reveals a question.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "GoneProbe.h"
#include "ScreenTestSupport.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/QShow.h"
#include "game/show/screens/QShowPic.h"
#include "game/show/screens/QuestionReveal.h"
#include "game/show/screens/StudioScreens.h"
#include "game/stage/KText.h"
#include "game/stage/scene/Element.h"
#include "ui/Button.h"

namespace {

using KQuestion::QShow;
using KQuestion::QShowPic;

// A question record of a given type whose answer window is a plain window.
class TestQuestion : public KQuestion::QBase {
public:
    TestQuestion(int32_t kind, const char* text, const char* data = "")
    {
        type = kind;
        question = TString(text);
        dataField = TString(data);
    }
    TWindow* MakeWindow() override
    {
        window = new TWindow();
        window->SetName(TString("answer"));
        return window;
    }
    TWindow* window = nullptr;
};

class StudioScreensTest : public screentest::ScreenFixture {
protected:
    static ShowController& Show() { return *ShowController::Instance(); }
    static const char* FileOf(const TTextureRef& texture)
    {
        return texture && texture->GetData() ? texture->GetData()->mFileName.c_str() : "";
    }
    static std::string ScreenText()
    {
        TWindow* window = Show().GetScreenWindow();
        auto* show = TWindow::Cast<QShow>(window);
        return show ? show->GetText().c_str() : "-";
    }
    bool Logged(const std::string& piece) const { return mLog.Text().find(piece) != std::string::npos; }
};

TEST_F(StudioScreensTest, ChalkboardTextKeepsExactlyOneScreenWindowAndAnEmptyTextNone)
{
    bool firstGone = false;
    Show().SetScreenWindow(new GoneProbe(&firstGone));

    Show().ShowChalkboardText(TString("Welcome back!"));
    EXPECT_TRUE(firstGone) << "the window before goes";
    ASSERT_NE(TWindow::Cast<QShow>(Show().GetScreenWindow()), nullptr);
    EXPECT_EQ(ScreenText(), "Welcome back!");
    TTextureRef shown = Screen("mainscreen_1");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->GetWidth(), 256u);
    EXPECT_STREQ(FileOf(shown), "") << "the rendered picture, no file";
    EXPECT_EQ(Screen("mainscreen_2"), shown);

    TWindow* before = Show().GetScreenWindow();
    Show().ShowChalkboardText(TString("Second grade"));
    EXPECT_NE(Show().GetScreenWindow(), before);
    EXPECT_EQ(ScreenText(), "Second grade");
    EXPECT_NE(Screen("mainscreen_1"), shown);

    Show().ShowChalkboardText(TString());
    EXPECT_EQ(Show().GetScreenWindow(), nullptr);
    EXPECT_STREQ(FileOf(Screen("mainscreen_1")), "backgrounds/chalkboard_sm");
    EXPECT_STREQ(FileOf(Screen("mainscreen_2")), "backgrounds/chalkboard_sm");

    Show().ShowChalkboardText(TString("Again"));
    Show().ClearMainScreens();
    EXPECT_EQ(Show().GetScreenWindow(), nullptr);
    EXPECT_STREQ(FileOf(Screen("mainscreen_1")), "backgrounds/blackboard_clear");
}

TEST_F(StudioScreensTest, APictureQuestionShowsItsPictureAndEveryOtherTypeItsTextOnly)
{
    screentest::gPictures["pictures/owl.png"] = {64, 64};
    struct Case {
        int32_t type;
        bool picture;
    } cases[] = {{1, false}, {2, false}, {3, true}, {5, false}, {6, false}};
    for (const Case& c : cases) {
        TestQuestion question(c.type, "Which bird hoots?", "pictures/owl.png");
        std::unique_ptr<KScene::WRenderable> window = MakeQuestionDisplayWindow(question);
        ASSERT_NE(window, nullptr);
        auto* withPicture = TWindow::Cast<QShowPic>(window.get());
        EXPECT_EQ(withPicture != nullptr, c.picture) << "type " << c.type;
        if (withPicture) {
            EXPECT_STREQ(withPicture->GetPicture().c_str(), "pictures/owl.png");
        }
        auto* show = TWindow::Cast<QShow>(window.get());
        ASSERT_NE(show, nullptr);
        EXPECT_STREQ(show->GetText().c_str(), "Which bird hoots?");
    }

    TestQuestion owl(3, "Which bird hoots?", "pictures/owl.png");
    Show().ShowQuestionOnMainScreens(&owl);
    EXPECT_NE(TWindow::Cast<QShowPic>(Show().GetScreenWindow()), nullptr);
    EXPECT_TRUE(Screen("mainscreen_1"));

    // The current question, and nothing when there is none.
    TestQuestion sum(1, "2 + 2 = ?");
    Show().GetRecord().currentQuestion = &sum;
    Show().ShowCurrentQuestionOnMainScreens();
    EXPECT_EQ(ScreenText(), "2 + 2 = ?");
    EXPECT_EQ(TWindow::Cast<QShowPic>(Show().GetScreenWindow()), nullptr);
    Show().GetRecord().currentQuestion = nullptr;
    TWindow* kept = Show().GetScreenWindow();
    Show().ShowCurrentQuestionOnMainScreens();
    EXPECT_EQ(Show().GetScreenWindow(), kept);
}

TEST_F(StudioScreensTest, SmallScreenTextGoesOnTheElementNamedWithTwoDigits)
{
    SetScreenWindowText(2, TString("Math"));
    TTextureRef two = Screen("Windows02");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->GetWidth(), 256u);
    EXPECT_FALSE(Screen("Windows11"));

    SetScreenWindowText(11, TString("Art"));
    EXPECT_TRUE(Screen("Windows11"));
    EXPECT_EQ(Screen("Windows02"), two);

    // No such element: only the rendering, nothing changes.
    SetScreenWindowText(7, TString("Nobody"));
    SetScreenWindowText(-3, TString("Nobody"));
    EXPECT_EQ(Screen("Windows02"), two);
    EXPECT_EQ(Show().GetScreenWindow(), nullptr) << "the window went at once";
}

TEST_F(StudioScreensTest, PedestalLightsGetTheColourAsMaterialAndGiveItBack)
{
    Show(); // registers the lights for the show's events
    KEvent::PodiumLights* lights = KEvent::GetPodiumLights();
    ASSERT_NE(lights, nullptr);
    struct Case {
        float hue, saturation;
        TColorValue ambient, specular;
    } cases[] = {
        {0.0f, 1.0f, {0.62f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}},
        {1.0f / 3.0f, 0.5f, {0.155f, 0.465f, 0.155f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}},
        {2.0f / 3.0f, 0.0f, {0.31f, 0.31f, 0.31f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}},
    };
    for (const Case& c : cases) {
        lights->SetPodiumLight(c.hue, c.saturation);
        for (const char* name : {"ped_light_0", "ped_light_2"}) {
            const TMaterial& m = Scene()->FindElement(TString(name))->GetMaterial();
            const float expected[17] = {0.63f, 0.63f, 0.63f, 1.0f, c.ambient.r, c.ambient.g, c.ambient.b,
                                        c.ambient.a, c.specular.r, c.specular.g, c.specular.b, c.specular.a,
                                        0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
            const float* got = &m.diffuse.r;
            for (int i = 0; i < 17; ++i)
                EXPECT_NEAR(got[i], expected[i], 1e-5) << name << " value " << i << " hue " << c.hue;
        }
        float hue = -1, saturation = -1;
        lights->ReadPodiumColor(hue, saturation);
        // Hue goes round: 0 and 1 are the same red.
        const float expectedHue = c.saturation > 0 ? c.hue : 0.0f;
        const float apart = std::fabs(hue - expectedHue);
        EXPECT_LT(std::min(apart, 1.0f - apart), 1e-4f) << hue;
        EXPECT_NEAR(saturation, c.saturation, 1e-4);
    }

    // Without the first light there is no colour to read.
    KScene::KSceneSet::Destroy();
    AddFile("mesh/set/Set.xml", "<scene><models><model><Name>ped_light_3</Name></model></models></scene>");
    Scene()->Load(TString("mesh/set/Set.xml"), true);
    lights->SetPodiumLight(0.5f, 0.5f);
    EXPECT_NEAR(Scene()->FindElement(TString("ped_light_3"))->GetMaterial().diffuse.g, 0.63f, 1e-6);
    float hue = -1, saturation = -1;
    lights->ReadPodiumColor(hue, saturation);
    EXPECT_EQ(hue, 0.0f);
    EXPECT_EQ(saturation, 0.0f);

    ShowController::Destroy();
    EXPECT_EQ(KEvent::GetPodiumLights(), nullptr);
}

TEST_F(StudioScreensTest, TheSkipButtonIsHiddenWhereverItIsAndItsAbsenceIsNoFault)
{
    HideSkipVOButton(); // none yet
    auto* layer = new TWindow();
    layer->SetName(TString("layer"));
    mScreen->AddChild(layer, true);
    auto* box = new TWindow();
    layer->AddChild(box, true);
    auto* skip = new TButton();
    skip->SetName(TString("btn_skipVO"));
    box->AddChild(skip, true);
    ASSERT_TRUE(skip->HasFlags(kWindowShown));

    HideSkipVOButton();
    EXPECT_FALSE(skip->HasFlags(kWindowShown));
    EXPECT_EQ(skip->GetFlags() & 0xFF00u, 0u) << "neither shown nor enabled";
    EXPECT_TRUE(layer->HasFlags(kWindowShown)) << "only the button";
    EXPECT_TRUE(box->HasFlags(kWindowShown));
}

TEST_F(StudioScreensTest, TheRevealChainTimesTheTransitionTheSoundAndTheQuestionWindow)
{
    // The transition's mask: 30 frames, one second at 30 frames a second.
    std::string mask = "<sequence name=\"s\"><img name=\"sheet.png\"/><framelist>";
    for (int i = 0; i < 30; ++i)
        mask += "<frame x=\"0\" y=\"0\" w=\"16\" h=\"9\" regx=\"0\" regy=\"0\"/>";
    AddFile("anim/anim_trans_full.xml", mask + "</framelist></sequence>");

    TestQuestion question(1, "How many legs has a spider?");
    Show().GetRecord().currentQuestion = &question;
    std::shared_ptr<KEvent::Event> reveal;
    std::shared_ptr<KEvent::eShowQuestion> shown = MakeQuestionRevealChain(question, reveal);
    EXPECT_TRUE(question.used);
    ASSERT_TRUE(reveal);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->GetQuestion(), &question);
    EXPECT_EQ(Show().GetScreenWindow(), nullptr) << "the reveal's display window is gone";

    int64_t soundAt = -1, revealAt = -1, revealEnd = -1, shownAt = -1;
    for (uint32_t t = 0; t <= 3000 && shownAt < 0; t += 25) {
        EventPass();
        if (soundAt < 0 && Logged("sfx/reveal_question.ogg"))
            soundAt = t;
        if (revealAt < 0 && reveal->IsStarted())
            revealAt = t;
        if (revealEnd < 0 && reveal->IsFinished())
            revealEnd = t;
        if (shownAt < 0 && shown->IsStarted())
            shownAt = t;
        Advance(25);
    }
    EXPECT_GE(soundAt, 400);
    EXPECT_LE(soundAt, 450);
    EXPECT_GE(revealAt, 600);
    EXPECT_LE(revealAt, 650);
    ASSERT_GE(revealEnd, revealAt + 950);
    EXPECT_GE(shownAt, revealEnd);
    EXPECT_LE(shownAt, revealEnd + 50);

    // The question's window is up and the screens show the question.
    ASSERT_NE(question.window, nullptr);
    EXPECT_NE(question.window->GetParent(), nullptr);
    EXPECT_EQ(ScreenText(), "How many legs has a spider?");
    EXPECT_FALSE(shown->IsFinished());

    // Closing the window ends the question's event.
    question.window->GetParent()->RemoveChild(question.window);
    mManager->DeferDelete(question.window);
    DeleteDeferred();
    EventPass();
    EXPECT_TRUE(shown->IsFinished());
}

} // namespace
