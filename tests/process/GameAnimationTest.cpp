// The show's 2D animations played in the running game by a test script:
// the game runs from a copy of the built assets whose main script plays the
// money display on the first key and the flunk-out banner on the second.
// What the window shows is read back from the X server.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ProcessSupport.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kStartTimeout = 20s;

const char kTestScript[] = R"(-- Plays the show's animations, one a key.
local function NextKey()
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
end

return function()
    PushModal("title")
    ReadFile("title.lua")
    DoFitToChildren()
    NextKey()
    PlayMoneyDisplay(12, true)
    NextKey()
    PlayFlunkOut("$64,000")
    while true do
        NextKey()
    end
end
)";

// Picture areas (800 x 600): the money ladder down the left, the banner at
// the top right.
struct Area {
    int x, y, w, h;
};
constexpr Area kLadder{10, 10, 130, 230};
constexpr Area kBanner{480, 20, 300, 120};

class GameAnimationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mX.IsOpen()) << "no X server: run under xvfb-run";
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(mX.GetDisplay(), &event, &error, &major, &minor));
        const fs::path built = fs::path(QUILLORY_BINARY).parent_path() / "assets";
        std::error_code failed;
        fs::copy(built, fs::path(mGame.Path()) / "assets", fs::copy_options::recursive, failed);
        ASSERT_FALSE(failed) << failed.message();
        std::ofstream(fs::path(mGame.Path()) / "assets" / "scripts" / "mainloop.lua") << kTestScript;
    }

    void TearDown() override
    {
        if (mPid > 0)
            KillChild(mPid);
    }

    void StartGame()
    {
        ChildOptions options;
        options.arguments = {"-wd=" + mGame.Path()};
        options.environment = {"XDG_DATA_HOME=" + mData.Path(), "XDG_RUNTIME_DIR=" + mRuntime.Path(),
                               "QUILLORY_AUDIO=null"};
        for (std::string& entry : ChildSanitizerEnvironment())
            options.environment.push_back(std::move(entry));
        mPid = StartChild(options);
        ASSERT_GT(mPid, 0);
        mWindow = mX.WaitForWindowOfProcess(mPid, kStartTimeout);
        ASSERT_NE(mWindow, 0u) << "no window appeared";
        ASSERT_TRUE(WaitUntil([&] { return ReadLog().find("First idle event") != std::string::npos; },
                              kStartTimeout))
            << ReadLog();
        ASSERT_TRUE(WaitUntil([&] { return mX.GetFocus() == mWindow; }, 10s));
        Window root = 0;
        int x = 0, y = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        ASSERT_TRUE(XGetGeometry(mX.GetDisplay(), mWindow, &root, &x, &y, &w, &h, &border, &depth));
        mScale = std::min(w / 800.0, h / 600.0);
        mOffsetX = int((w - 800 * mScale) / 2);
        mOffsetY = int((h - 600 * mScale) / 2);
    }

    std::string ReadLog()
    {
        std::ifstream in(mData.Path() + "/Dunmere/Quillory/logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::vector<unsigned long> Pixels(const Area& a)
    {
        const int x0 = mOffsetX + int(a.x * mScale), y0 = mOffsetY + int(a.y * mScale);
        const int w = int(a.w * mScale), h = int(a.h * mScale);
        std::vector<unsigned long> pixels;
        XImage* image = XGetImage(mX.GetDisplay(), mWindow, x0, y0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return pixels;
    }

    static double Difference(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b)
    {
        if (a.size() != b.size() || a.empty())
            return 0.0;
        size_t differ = 0;
        for (size_t i = 0; i < a.size(); ++i)
            differ += a[i] != b[i];
        return double(differ) / double(a.size());
    }

    void PressKey()
    {
        Display* d = mX.GetDisplay();
        const KeyCode code = XKeysymToKeycode(d, XK_space);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, 60);
        XFlush(d);
    }

    XClient mX;
    TempFolder mGame;
    TempFolder mData;
    TempFolder mRuntime;
    pid_t mPid = -1;
    Window mWindow = 0;
    double mScale = 1.0;
    int mOffsetX = 0, mOffsetY = 0;
};

TEST_F(GameAnimationTest, ATestScriptPlaysTheMoneyDisplayAndTheFlunkOutBanner)
{
    StartGame();
    if (HasFatalFailure())
        return;
    std::this_thread::sleep_for(300ms);
    const std::vector<unsigned long> ladder = Pixels(kLadder), banner = Pixels(kBanner);
    ASSERT_FALSE(ladder.empty());

    PressKey();
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kLadder), ladder) > 0.3; }, 10s))
        << "the money display did not show";
    EXPECT_LT(Difference(Pixels(kBanner), banner), 0.05) << "the banner showed too soon";

    PressKey();
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kBanner), banner) > 0.2; }, 10s))
        << "the flunk-out banner did not show";

    const std::string log = ReadLog();
    for (const char* trouble : {"rror", "No such", "not found", "does not load"})
        EXPECT_EQ(log.find(trouble), std::string::npos) << trouble << "\n" << log;

    ASSERT_TRUE(mX.SendDeleteWindow(mWindow));
    std::optional<int> status = WaitChild(mPid, 10s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
    mPid = -1;
}

} // namespace
