// The game played through real X input (XTest) under xvfb-run: a key on the
// title opens the widgets dialog, a click on its close button closes it.
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

constexpr auto kStartTimeout = 20s;
constexpr int kPictureWidth = 800;
constexpr int kPictureHeight = 600;
// The widgets dialog (assets/widgets.lua) in picture coordinates: 480 x 400
// centred, its close button 160 x 40 at (300, 340) inside it.
constexpr int kDialogX = 160, kDialogY = 100, kDialogW = 480, kDialogH = 400;
constexpr int kCloseX = kDialogX + 300 + 80, kCloseY = kDialogY + 340 + 20;

// A window's client area on the root window, and where the picture lies in it.
struct Placement {
    int rootX = 0, rootY = 0;
    int width = 0, height = 0;
    double scale = 1.0;
    int offsetX = 0, offsetY = 0;

    int ToWindowX(int x) const { return offsetX + int(x * scale); }
    int ToWindowY(int y) const { return offsetY + int(y * scale); }
};

class GameInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mX.IsOpen()) << "no X server: run under xvfb-run";
        int event = 0, error = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(mX.GetDisplay(), &event, &error, &major, &minor))
            << "the X server has no XTest extension";
    }

    void TearDown() override
    {
        if (mPid > 0)
            KillChild(mPid);
    }

    void StartGame()
    {
        ChildOptions options;
        std::string buildDir = std::filesystem::path(QUILLORY_BINARY).parent_path().string();
        options.arguments = {"-wd=" + buildDir};
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
        mPlace = Locate();
        ASSERT_GT(mPlace.width, 0);
    }

    std::string ReadLog()
    {
        std::ifstream in(mData.Path() + "/Dunmere/Quillory/logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    Placement Locate()
    {
        Display* d = mX.GetDisplay();
        Placement p;
        Window root = 0, child = 0;
        int x = 0, y = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        if (!XGetGeometry(d, mWindow, &root, &x, &y, &w, &h, &border, &depth))
            return p;
        XTranslateCoordinates(d, mWindow, root, 0, 0, &p.rootX, &p.rootY, &child);
        p.width = int(w);
        p.height = int(h);
        p.scale = std::min(double(w) / kPictureWidth, double(h) / kPictureHeight);
        p.offsetX = int((w - kPictureWidth * p.scale) / 2);
        p.offsetY = int((h - kPictureHeight * p.scale) / 2);
        return p;
    }

    // The dialog's area as the window shows it now, one word per pixel.
    std::vector<unsigned long> DialogPixels()
    {
        int x0 = mPlace.ToWindowX(kDialogX), y0 = mPlace.ToWindowY(kDialogY);
        int w = int(kDialogW * mPlace.scale), h = int(kDialogH * mPlace.scale);
        std::vector<unsigned long> pixels;
        XImage* image = XGetImage(mX.GetDisplay(), mWindow, x0, y0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        pixels.reserve(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
        return pixels;
    }

    // Share of pixels that differ between two grabs of the dialog's area.
    static double Difference(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b)
    {
        if (a.size() != b.size() || a.empty())
            return 1.0;
        size_t differ = 0;
        for (size_t i = 0; i < a.size(); ++i)
            differ += a[i] != b[i];
        return double(differ) / double(a.size());
    }

    void PressKey(KeySym key)
    {
        Display* d = mX.GetDisplay();
        KeyCode code = XKeysymToKeycode(d, key);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, 60);
        XFlush(d);
    }

    // Moves the pointer there first, as a hand does, then clicks.
    void ClickAt(int pictureX, int pictureY)
    {
        Display* d = mX.GetDisplay();
        int screen = DefaultScreen(d);
        int x = mPlace.rootX + mPlace.ToWindowX(pictureX);
        int y = mPlace.rootY + mPlace.ToWindowY(pictureY);
        XTestFakeMotionEvent(d, screen, x - 20, y - 10, CurrentTime);
        XTestFakeMotionEvent(d, screen, x, y, 80);
        XTestFakeButtonEvent(d, 1, True, 300);
        XTestFakeButtonEvent(d, 1, False, 80);
        XFlush(d);
    }

    XClient mX;
    TempFolder mData;
    TempFolder mRuntime;
    pid_t mPid = -1;
    Window mWindow = 0;
    Placement mPlace;
};

TEST_F(GameInputTest, AKeyOpensTheWidgetsDialogAndAClickOnCloseClosesIt)
{
    StartGame();
    if (HasFatalFailure())
        return;

    // The title alone: the picture settles within a few frames.
    std::this_thread::sleep_for(300ms);
    std::vector<unsigned long> title = DialogPixels();
    ASSERT_FALSE(title.empty()) << "the window's pixels cannot be read";

    PressKey(XK_space);
    std::vector<unsigned long> dialog;
    ASSERT_TRUE(WaitUntil([&] {
        dialog = DialogPixels();
        return Difference(dialog, title) > 0.5;
    }, 10s)) << "the dialog did not open on a key";

    // The dialog stays up on its own.
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(Difference(DialogPixels(), title), 0.5);

    ClickAt(kCloseX, kCloseY);
    EXPECT_TRUE(WaitUntil([&] { return Difference(DialogPixels(), title) < 0.01; }, 10s))
        << "the dialog did not close on a click on its close button";

    // Back on the title, a key opens it again.
    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(DialogPixels(), title) > 0.5; }, 10s))
        << "the title did not take a key after the dialog closed";

    ASSERT_TRUE(mX.SendDeleteWindow(mWindow));
    std::optional<int> status = WaitChild(mPid, 5s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
    mPid = -1;
}

} // namespace
