// The loading screen on a window manager with the real window script: the
// caller's main script pushes "loading_window" and reads the game's
// assets/scripts/loading.lua; the screen's task, run by hand as the frame
// pass runs the application task list, loads a small studio set whose
// texture loads take a chosen time on the fake clock, then reads the cast
// and the questions and opens a test stage script that only counts its runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "StringTableHost.h"
#include "game/show/MTRandom.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/screens/LoadingScreen.h"
#include "game/stage/scene/Element.h"
#include "game/stage/scene/SceneSet.h"
#include "os/gfx/recording/GfxRecording.h"
#include "platform/StringTable.h"
#include "render/TestTexture.h"
#include "render/Texture.h"
#include "render/TextureData.h"
#include "ui/Image.h"
#include "ui/WindowScriptSupport.h"

namespace {

using Quillory::LoadingScreen;

// What one element's texture load costs on the fake clock.
uint32_t gLoadCost = 0;

bool SlowLoad(TTextureData& data, const TString& file, const TString& mask)
{
    (void)mask;
    uitest::gNow += gLoadCost;
    if (std::string(file.c_str()).rfind("set/", 0) != 0 || !data.CreateSurface(4, 4))
        return false;
    data.mWidth = data.mHeight = 4;
    std::vector<uint32_t> pixels(16, 0xFF808080u);
    data.CopyPixels(4, 4, pixels.data());
    data.mFileName = file;
    return true;
}

// A scene file of n models, each with a texture of its own.
std::string SetOf(int n)
{
    std::string text = "<scene><models>";
    for (int i = 0; i < n; ++i)
        text += "<model><Name>m" + std::to_string(i) + "</Name><TextureFolder>set/</TextureFolder><TextureName>t" +
                std::to_string(i) + ".png</TextureName></model>";
    return text + "</models></scene>";
}

// Three models, the middle one as given (its inner XML).
std::string SetAround(const std::string& middle)
{
    const std::string good = "<TextureFolder>set/</TextureFolder><TextureName>t.png</TextureName>";
    return "<scene><models><model><Name>first</Name>" + good + "</model><model><Name>odd</Name>" + middle +
           "</model><model><Name>last</Name>" + good + "</model></models></scene>";
}

std::string ReadSource(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Opens the loading screen as the game's scripts do, then waits for
// messages as a main script does.
constexpr char kMainScript[] = R"(return function()
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    while true do
        WaitForMessage()
    end
end)";

// The stage script's stand-in: counts its runs, then stays open.
constexpr char kDemo[] = "gDemoRuns = (gDemoRuns or 0) + 1\n";

// A main script that waits for the show to end, as the game's menu does.
constexpr char kMenuScript[] = R"(return function()
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    local depth = GetWindowDepth()
    repeat
        WaitForMessage()
    until GetWindowDepth() < depth
    gBackAtMenu = true
    while true do
        WaitForMessage()
    end
end)";

// A stage script that, like the game's, waits on messages until its layer
// is popped.
constexpr char kWaitingDemo[] = R"(gDemoRuns = (gDemoRuns or 0) + 1
local depth = GetWindowDepth()
repeat
    local m = WaitForMessage()
    if m ~= nil and m.type == kModalClosed then
        gClosedWindows[m.name] = true
    end
until GetWindowDepth() < depth
gDemoEnded = true
)";

class LoadingScreenTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        ASSERT_TRUE(Quillory::RegisterLoadingScreen(mManager.get()));
        gLoadCost = 0;
        SetTextureLoader(SlowLoad);
        AddAsset("assets/scripts/loading.lua", ReadSource(std::string(QUILLORY_SOURCE_DIR) + "/assets/scripts/loading.lua"));
        AddAsset("assets/scripts/demo.lua", kDemo);
        mBaseTasks = mHost.tasks.GetCount();
    }

    void TearDown() override
    {
        KQuestion::QuestionDB::Destroy();
        Quillory::KChildManager::Destroy();
        KScene::KSceneSet::Destroy();
        MTRandom::Destroy();
        SetTextureLoader(nullptr);
        WindowScriptFixture::TearDown();
    }

    void AddAsset(const std::string& name, const std::string& bytes)
    {
        mAssets.push_back(std::make_unique<std::string>(bytes));
        RegisterMemoryFile(name.c_str(), mAssets.back()->data(), uint32_t(mAssets.back()->size()));
    }

    // Runs the main script with a set of n elements (none: no set file).
    LoadingScreen* Open(int elements)
    {
        if (elements >= 0)
            AddAsset("mesh/set/Set.xml", SetOf(elements));
        EXPECT_TRUE(Run(kMainScript)) << mLog.Text();
        EXPECT_TRUE(mScript->IsWaiting());
        TWindow* top = mManager->GetTopModal();
        return TWindow::Cast<LoadingScreen>(top ? top->FindChild(TString("loading")) : nullptr);
    }

    // Back to the start for another case: the stage and the loading window
    // go, and the main script is ended.
    void StartAgain()
    {
        mManager->DoPopModal(TString("loading_window"));
        Pump();
        mManager->Init(nullptr);
        mScript = std::make_unique<TWindowScript>(mScriptHost);
        mManager->Init(mScript.get());
        ASSERT_TRUE(Quillory::RegisterLoadingScreen(mManager.get()));
        RegisterMemoryFile("mesh/set/Set.xml", nullptr, 0);
    }

    // One frame's run of the application task list.
    void Frame() { mHost.tasks.RunAll(kPassFrame); }

    TWindow* Bar(LoadingScreen* screen) { return screen->FindChild(TString(LoadingScreen::kProgressBar)); }
    int DemoRuns() { return Eval("gDemoRuns") == "nil" ? 0 : std::stoi(Eval("gDemoRuns")); }
    std::string TopName() { return uitest::Str(mManager->GetTopModal()->GetName()); }

    std::vector<std::unique_ptr<std::string>> mAssets;
    uint32_t mBaseTasks = 0;
};

// The game's script with the game's string table and the pictures the
// build draws.
class LoadingScriptTest : public LoadingScreenTest {
protected:
    void SetUp() override
    {
        mScriptHost = &mStrings;
        LoadingScreenTest::SetUp();
        SetTextureLoader(nullptr);
        for (const char* name : {"title_backdrop", "loading_frame", "loading_bar"})
            AddAsset(std::string("ui/") + name + ".png",
                     ReadSource(std::string(QUILLORY_ASSET_DIR) + "/ui/" + name + ".png"));
        AddAsset("strings.xml", ReadSource(std::string(QUILLORY_SOURCE_DIR) + "/assets/strings.xml"));
        ASSERT_TRUE(mStrings.table.Load(TString("strings.xml")));
        mManager->SetTranslateLabels(true);
    }

    // A frame as the game's loop makes one (the frame pass of the
    // application tasks, then the drawing); for each quad drawn with the
    // bar's picture, how much of it shows in the bar's viewport (the
    // picture itself is not stretched: a quad is as wide as the picture).
    std::vector<float> ShownBarWidths(TImage* bar)
    {
        GfxRecordingLog().Clear();
        uitest::gNow += 20;
        mManager->Invalidate();
        mManager->HandleEvent(uitest::Ev(kEventIdle));
        std::vector<float> widths;
        const GfxSurface* surface = TestTextureData(bar->GetTexture())->GetSurface();
        for (const GfxDrawRecord& draw : GfxRecordingLog().draws) {
            if (draw.state.texture != surface || draw.vertexCount < 3)
                continue;
            float left = 1e9f, right = -1e9f;
            for (uint32_t v = 0; v < draw.vertexCount; ++v) {
                left = std::min(left, draw.Float(v, 0));
                right = std::max(right, draw.Float(v, 0));
            }
            EXPECT_FLOAT_EQ(right - left, 580.0f);
            widths.push_back(std::min(right, float(draw.state.viewport.width)) - std::max(left, 0.0f));
        }
        return widths;
    }

    showtest::StringTableHost mStrings;
};

TEST_F(LoadingScriptTest, TheGameScriptFillsTheScreenWithTitleAndAnEmptyBarInItsFrame)
{
    LoadingScreen* screen = Open(0);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    EXPECT_EQ(TopName(), "loading_window");
    EXPECT_EQ(screen->GetRect(), TRect(0, 0, 800, 600));
    auto* backdrop = TWindow::Cast<TImage>(screen->FindChild(TString("backdrop")));
    auto* frame = TWindow::Cast<TImage>(screen->FindChild(TString("frame")));
    auto* bar = TWindow::Cast<TImage>(Bar(screen));
    ASSERT_TRUE(backdrop && frame && bar);
    for (TImage* image : {backdrop, frame, bar})
        EXPECT_NE(image->GetTexture(), nullptr) << uitest::Str(image->GetName());
    EXPECT_EQ(backdrop->GetRect(), TRect(0, 0, 800, 600));
    // The bar starts empty although its picture is as long as a full bar,
    // and a full bar stays inside its frame.
    EXPECT_EQ(bar->GetTexture()->GetWidth(), 580u);
    EXPECT_EQ(bar->GetWidth(), 20);
    const TRect inner = frame->GetRect();
    EXPECT_GE(bar->GetRect().left, inner.left);
    EXPECT_LE(bar->GetRect().left + LoadingScreen::BarWidth(1.0f), inner.right);
    EXPECT_GE(bar->GetRect().top, inner.top);
    EXPECT_LE(bar->GetRect().bottom, inner.bottom);
    // The texts are the string table's, not their labels.
    for (const char* text : {"title", "hint"}) {
        const std::string shown = Eval(std::string("GetLabel('") + text + "')");
        EXPECT_FALSE(shown.empty() || shown.rfind("LOADING_", 0) == 0 || shown == "#####") << text << ": " << shown;
    }
    // Drawn: the empty bar in the first frame, the full one (under the
    // stage's layer) once the loading is done.
    EXPECT_EQ(ShownBarWidths(bar), std::vector<float>{20.0f});
    EXPECT_EQ(DemoRuns(), 0);
    mHost.tasks.RunAll(kPassIdle);
    EXPECT_EQ(DemoRuns(), 1);
    EXPECT_EQ(bar->GetWidth(), 580);
    EXPECT_EQ(ShownBarWidths(bar), std::vector<float>{580.0f});
}

TEST_F(LoadingScreenTest, BarWidthIsTheClampedProgressOverItsRange)
{
    const struct {
        float progress;
        int32_t width;
    } cases[] = {
        {0.0f, 20}, {-0.5f, 20}, {std::numeric_limits<float>::quiet_NaN(), 20}, {0.06f, 53},
        {0.6f, 356}, {1.0f, 580}, {7.0f, 580}, {std::numeric_limits<float>::infinity(), 580},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadingScreen::BarWidth(c.progress), c.width) << c.progress;
}

TEST_F(LoadingScreenTest, TenSlowElementsMoveTheBarOneStepPerFrame)
{
    gLoadCost = LoadingScreen::kBatchMs;
    LoadingScreen* screen = Open(10);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    ASSERT_NE(Bar(screen), nullptr);
    EXPECT_EQ(mHost.tasks.GetCount(), mBaseTasks + 1);
    const int32_t height = Bar(screen)->GetHeight();

    // The first frame shows the empty bar; each later one loads one
    // element; the tenth element also finishes the loading.
    const int32_t widths[] = {20, 53, 87, 120, 154, 188, 221, 255, 288, 322, 580};
    for (size_t frame = 0; frame < std::size(widths); ++frame) {
        EXPECT_EQ(DemoRuns(), 0) << frame;
        Frame();
        EXPECT_EQ(Bar(screen)->GetWidth(), widths[frame]) << frame;
        EXPECT_EQ(Bar(screen)->GetHeight(), height);
        EXPECT_EQ(screen->GetElementsLoaded(), frame) << frame;
    }
    // The set part alone ends at 60%.
    EXPECT_EQ(LoadingScreen::BarWidth(LoadingScreen::kSetDone * 10 / 10), 356);
    for (const auto& element : KScene::KSceneSet::Get()->GetElements())
        EXPECT_TRUE(element->IsLoaded() && element->GetTexture()) << uitest::Str(element->GetName());
    EXPECT_EQ(DemoRuns(), 1);
    EXPECT_FALSE(screen->IsLoading());
    EXPECT_EQ(mHost.tasks.GetCount(), mBaseTasks);
}

TEST_F(LoadingScreenTest, AFastSetFinishesInTheSecondFrameAndOpensTheStageOverTheLoadingWindow)
{
    LoadingScreen* screen = Open(10);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    // Idle passes do not start it: the empty bar is drawn first.
    mHost.tasks.RunAll(kPassIdle);
    EXPECT_FALSE(screen->IsStarted());
    Frame();
    EXPECT_TRUE(screen->IsStarted());
    EXPECT_EQ(screen->GetElementsLoaded(), 0u);
    EXPECT_EQ(Bar(screen)->GetWidth(), 20);
    EXPECT_EQ(DemoRuns(), 0);

    Frame();
    EXPECT_EQ(screen->GetElementsLoaded(), 10u);
    EXPECT_EQ(Bar(screen)->GetWidth(), 580);
    EXPECT_EQ(DemoRuns(), 1) << mLog.Text();
    // The cast and the questions are there for the stage; the stage's modal
    // sits on the loading window, which stays.
    EXPECT_NE(Quillory::KChildManager::Existing(), nullptr);
    EXPECT_EQ(TopName(), "scripts/demo.lua");
    EXPECT_NE(mManager->GetTopModal()->GetParent(), nullptr);
    EXPECT_EQ(uitest::Str(mManager->GetTopModal()->GetParent()->GetName()), "loading_window");
    EXPECT_EQ(mHost.tasks.GetCount(), mBaseTasks);

    // Done means done: later frames run nothing again.
    for (int i = 0; i < 3; ++i)
        Frame();
    EXPECT_EQ(DemoRuns(), 1);
}

TEST_F(LoadingScreenTest, AWaitingStageRunsInTheCallersScriptWhichGoesOnWhenTheShowPopsTheLoadingWindow)
{
    AddAsset("assets/scripts/demo.lua", kWaitingDemo);
    AddAsset("mesh/set/Set.xml", SetOf(3));
    ASSERT_TRUE(Run(kMenuScript)) << mLog.Text();
    const std::string menu = TopName();
    ASSERT_EQ(menu, "loading_window");
    Frame();
    Frame();
    EXPECT_EQ(DemoRuns(), 1) << mLog.Text();
    EXPECT_EQ(TopName(), "scripts/demo.lua");
    EXPECT_TRUE(mScript->IsWaiting());
    for (int i = 0; i < 3; ++i) {
        Tick(20);
        Frame();
    }
    EXPECT_EQ(Eval("gBackAtMenu"), "nil");

    // As the show's end does.
    ASSERT_TRUE(mManager->DoPopModal(TString("loading_window")));
    Pump();
    Tick(20);
    Pump();
    EXPECT_EQ(Eval("gDemoEnded"), "true") << mLog.Text();
    EXPECT_EQ(Eval("gBackAtMenu"), "true") << mLog.Text();
    EXPECT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(DemoRuns(), 1);
    EXPECT_FALSE(LogHas("Lua Error") || LogHas("lua_resume")) << mLog.Text();
}

TEST_F(LoadingScreenTest, AnEmptyOrMissingSetStillOpensTheStage)
{
    const struct {
        const char* name;
        int elements; // -1: no set file
        const char* logged;
    } cases[] = {
        {"empty set", 0, "holds no materials"},
        {"no set file", -1, "cannot read mesh/set/Set.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mLog.Restart();
        LoadingScreen* screen = Open(c.elements);
        ASSERT_NE(screen, nullptr) << mLog.Text();
        Frame();
        Frame();
        EXPECT_EQ(Bar(screen)->GetWidth(), 580);
        EXPECT_EQ(screen->GetElementsLoaded(), 0u);
        EXPECT_FALSE(screen->IsLoading());
        EXPECT_EQ(DemoRuns(), 1);
        EXPECT_TRUE(LogHas(c.logged)) << mLog.Text();
        ASSERT_NO_FATAL_FAILURE(StartAgain());
    }
}

TEST_F(LoadingScreenTest, AMissingOrCorruptElementIsLoggedAndTheLoadingGoesOn)
{
    AddAsset("set/broken.x", std::string("xof 0303txt 0032\nFrame {{{{ \x01\xff", 30));
    const struct {
        const char* name;
        const char* middle;
        const char* logged;
    } cases[] = {
        {"missing texture", "<TextureFolder>gone/</TextureFolder><TextureName>t.png</TextureName>",
         "Scene: Cannot load Texture gone/t.png"},
        {"missing model", "<MeshFolder>set/</MeshFolder><MeshName>none.x</MeshName>", "set/none.x"},
        {"corrupt model", "<MeshFolder>set/</MeshFolder><MeshName>broken.x</MeshName>", "set/broken.x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mLog.Restart();
        AddAsset("mesh/set/Set.xml", SetAround(c.middle));
        gLoadCost = LoadingScreen::kBatchMs;
        LoadingScreen* screen = Open(-1);
        ASSERT_NE(screen, nullptr) << mLog.Text();
        for (int i = 0; i < 4; ++i)
            Frame();
        EXPECT_EQ(screen->GetElementsLoaded(), 3u);
        EXPECT_TRUE(LogHas(c.logged)) << mLog.Text();
        const auto& elements = KScene::KSceneSet::Get()->GetElements();
        ASSERT_EQ(elements.size(), 3u);
        for (const auto& element : elements)
            EXPECT_TRUE(element->IsLoaded()) << uitest::Str(element->GetName());
        // The elements after the odd one have what they asked for.
        EXPECT_NE(elements[2]->GetTexture(), nullptr);
        EXPECT_EQ(Bar(screen)->GetWidth(), 580);
        EXPECT_EQ(DemoRuns(), 1);
        ASSERT_NO_FATAL_FAILURE(StartAgain());
    }
}

TEST_F(LoadingScreenTest, WithoutAProgressBarItLoadsAllTheSame)
{
    AddAsset("assets/scripts/loading.lua", "LoadingScreen{ name = 'loading', x = 0, y = 0, w = 800, h = 600 }()");
    gLoadCost = LoadingScreen::kBatchMs;
    LoadingScreen* screen = Open(3);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    EXPECT_TRUE(LogHas("no \"progress_bar\" child")) << mLog.Text();
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(screen->GetElementsLoaded(), 3u);
    EXPECT_EQ(screen->GetWidth(), 800);
    EXPECT_EQ(DemoRuns(), 1);
}

TEST_F(LoadingScreenTest, AScreenClosedWhileLoadingTakesItsTaskAlong)
{
    gLoadCost = LoadingScreen::kBatchMs;
    LoadingScreen* screen = Open(10);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    Frame();
    Frame();
    ASSERT_EQ(screen->GetElementsLoaded(), 1u);
    // As a quit to the menu does: the loading window is popped and deleted.
    Eval("DoPopModal('loading_window')");
    Pump();
    EXPECT_EQ(mHost.tasks.GetCount(), mBaseTasks);
    for (int i = 0; i < 3; ++i) {
        Frame();
        mHost.tasks.RunAll(kPassIdle);
    }
    EXPECT_EQ(DemoRuns(), 0);
}

TEST_F(LoadingScreenTest, AScreenDeletedDuringTheTaskListsRunIsNotSteppedAgain)
{
    gLoadCost = LoadingScreen::kBatchMs;
    LoadingScreen* screen = Open(10);
    ASSERT_NE(screen, nullptr) << mLog.Text();
    Frame();
    // Another task of the list deletes the screen in the middle of a run.
    auto* remover = new uitest::CountingTask([&screen] {
        delete screen;
        screen = nullptr;
    });
    mHost.tasks.Add(remover);
    Frame();
    ASSERT_EQ(screen, nullptr);
    mHost.tasks.Remove(remover);
    delete remover;
    // The screen's detached task ends at its next run.
    Frame();
    EXPECT_EQ(mHost.tasks.GetCount(), mBaseTasks);
    EXPECT_EQ(DemoRuns(), 0);
}

} // namespace
