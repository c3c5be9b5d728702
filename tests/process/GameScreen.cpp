#include "GameScreen.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr auto kStartTimeout = 20s;
constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;

} // namespace

void GameScreenTest::SetUp()
{
    ASSERT_TRUE(mX.IsOpen()) << "no X server: run under xvfb-run";
    int event = 0, error = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(mX.GetDisplay(), &event, &error, &major, &minor))
        << "the X server has no XTest extension";
}

void GameScreenTest::TearDown()
{
    if (mPid > 0)
        KillChild(mPid);
}

void GameScreenTest::StartGame(const std::string& workingFolder)
{
    ChildOptions options;
    const std::string folder = workingFolder.empty()
                                   ? std::filesystem::path(QUILLORY_BINARY).parent_path().string()
                                   : workingFolder;
    options.arguments = {"-wd=" + folder};
    options.environment = {"XDG_DATA_HOME=" + mData.Path(), "XDG_RUNTIME_DIR=" + mRuntime.Path(),
                           "QUILLORY_AUDIO=null"};
    for (std::string& entry : ChildSanitizerEnvironment())
        options.environment.push_back(std::move(entry));
    mPid = StartChild(options);
    ASSERT_GT(mPid, 0);
    mWindow = mX.WaitForWindowOfProcess(mPid, kStartTimeout);
    ASSERT_NE(mWindow, 0u) << "no window appeared";
    ASSERT_TRUE(WaitUntil([&] { return ReadLog().find("First idle event") != std::string::npos; }, kStartTimeout))
        << ReadLog();
    ASSERT_TRUE(WaitUntil([&] { return mX.GetFocus() == mWindow; }, 10s));

    Display* d = mX.GetDisplay();
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    ASSERT_TRUE(XGetGeometry(d, mWindow, &root, &x, &y, &w, &h, &border, &depth));
    XTranslateCoordinates(d, mWindow, root, 0, 0, &mRootX, &mRootY, &child);
    mScale = std::min(double(w) / kPictureWidth, double(h) / kPictureHeight);
    mOffsetX = int((w - kPictureWidth * mScale) / 2);
    mOffsetY = int((h - kPictureHeight * mScale) / 2);
}

void GameScreenTest::CloseGame()
{
    ASSERT_TRUE(mX.SendDeleteWindow(mWindow));
    std::optional<int> status = WaitChild(mPid, 10s);
    ASSERT_TRUE(status.has_value()) << "still running 10 s after the close";
    EXPECT_EQ(*status, 0);
    mPid = -1;
}

std::string GameScreenTest::ReadLog()
{
    std::ifstream in(mData.Path() + "/Dunmere/Quillory/logfile.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<unsigned long> GameScreenTest::Pixels(const PictureArea& area)
{
    const int w = int(area.w * mScale), h = int(area.h * mScale);
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(mX.GetDisplay(), mWindow, ToWindowX(area.x), ToWindowY(area.y), unsigned(w),
                              unsigned(h), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

double GameScreenTest::Difference(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b)
{
    if (a.size() != b.size() || a.empty())
        return 1.0;
    size_t differ = 0;
    for (size_t i = 0; i < a.size(); ++i)
        differ += a[i] != b[i];
    return double(differ) / double(a.size());
}

void GameScreenTest::PressKey(unsigned long keysym)
{
    Display* d = mX.GetDisplay();
    const KeyCode code = XKeysymToKeycode(d, keysym);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, 60);
    XFlush(d);
}

std::string GameScreenTest::GameFolder(const char* mainScript)
{
    namespace fs = std::filesystem;
    const fs::path built = fs::path(QUILLORY_BINARY).parent_path() / "assets";
    const fs::path assets = fs::path(mGame.Path()) / "assets";
    std::error_code failed;
    fs::copy(built, assets, fs::copy_options::recursive | fs::copy_options::overwrite_existing, failed);
    EXPECT_FALSE(failed) << failed.message();
    if (mainScript)
        std::ofstream(assets / "scripts" / "mainloop.lua") << mainScript;
    return mGame.Path();
}

void GameScreenTest::MovePointer(int pictureX, int pictureY)
{
    Display* d = mX.GetDisplay();
    XTestFakeMotionEvent(d, DefaultScreen(d), mRootX + ToWindowX(pictureX), mRootY + ToWindowY(pictureY),
                         CurrentTime);
    XFlush(d);
}

void GameScreenTest::ClickAt(int pictureX, int pictureY)
{
    Display* d = mX.GetDisplay();
    const int screen = DefaultScreen(d);
    const int x = mRootX + ToWindowX(pictureX), y = mRootY + ToWindowY(pictureY);
    // Each step is sent and waited out here: the server's own delays do
    // not keep a release ahead of the next click's motion.
    auto step = [d](std::chrono::milliseconds pause) {
        XSync(d, False);
        std::this_thread::sleep_for(pause);
    };
    XTestFakeMotionEvent(d, screen, x - 20, y - 10, CurrentTime);
    step(std::chrono::milliseconds(40));
    XTestFakeMotionEvent(d, screen, x, y, CurrentTime);
    step(std::chrono::milliseconds(120));
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    step(std::chrono::milliseconds(120));
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    step(std::chrono::milliseconds(40));
}
