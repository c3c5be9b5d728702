// The game binary as a real process under an X server (run through
// xvfb-run): its window, closing it, and the single-instance rule.
#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <sstream>
#include <thread>

#include "ProcessSupport.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 20s;
// How soon a closed window's process must end. ThreadSanitizer makes the
// exit itself slow: it lists the loaded modules again at every library the
// GL driver unloads. AddressSanitizer's unoptimised build takes close to a
// second for the same shut-down on a busy machine (1,063 ms seen).
#if defined(__SANITIZE_THREAD__)
constexpr int kCloseMs = 4000;
#elif defined(__SANITIZE_ADDRESS__)
constexpr int kCloseMs = 2500;
#else
constexpr int kCloseMs = 1000;
#endif

// Each test gets its own data and runtime folders, so the log, the
// preferences and the single-instance lock are its own.
class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mX.IsOpen()) << "no X server: run under xvfb-run";
        ASSERT_FALSE(mData.Path().empty());
        ASSERT_FALSE(mRuntime.Path().empty());
    }

    void TearDown() override
    {
        for (pid_t pid : mChildren)
            KillChild(pid);
    }

    pid_t Start(std::vector<std::string> arguments = {})
    {
        ChildOptions options;
        options.arguments = std::move(arguments);
        options.environment = {"XDG_DATA_HOME=" + mData.Path(), "XDG_RUNTIME_DIR=" + mRuntime.Path()};
        for (std::string& entry : ChildSanitizerEnvironment())
            options.environment.push_back(std::move(entry));
        pid_t pid = StartChild(options);
        if (pid > 0)
            mChildren.push_back(pid);
        return pid;
    }

    std::string ReadLog()
    {
        std::ifstream in(mData.Path() + "/Dunmere/Quillory/logfile.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The game logs its first idle event once start-up is over: by then its
    // window has been shown and has asked for the focus.
    bool WaitForStartUp()
    {
        return WaitUntil([&] { return ReadLog().find("First idle event") != std::string::npos; },
                         kStartTimeout);
    }

    // Closes the window as a window manager would and expects a clean end
    // within kCloseMs.
    void CloseAndExpectExit(pid_t pid, Window window)
    {
        ASSERT_TRUE(mX.SendDeleteWindow(window));
        auto sent = std::chrono::steady_clock::now();
        std::optional<int> status = WaitChild(pid, 5s);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        ASSERT_TRUE(status.has_value()) << "still running 5 s after the close";
        EXPECT_EQ(*status, 0);
        EXPECT_LT(took.count(), kCloseMs) << "closing took " << took.count() << " ms";
    }

    XClient mX;
    TempFolder mData;
    TempFolder mRuntime;
    std::vector<pid_t> mChildren;
};

TEST_F(ProcessTest, OpensItsWindowAndEndsWhenTheWindowIsClosed)
{
    pid_t pid = Start();
    ASSERT_GT(pid, 0);
    Window window = mX.WaitForWindowOfProcess(pid, kStartTimeout);
    ASSERT_NE(window, 0u) << "no window appeared";
    EXPECT_FALSE(mX.GetTitle(window).empty());
    EXPECT_TRUE(WaitUntil([&] { return mX.GetFocus() == window; }, 10s))
        << "the window did not take the focus when shown";

    // It keeps running while nothing happens.
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(IsRunning(pid));

    CloseAndExpectExit(pid, window);

    std::string log = ReadLog();
    EXPECT_NE(log.find("Quillory, version "), std::string::npos) << log;
}

TEST_F(ProcessTest, SecondCopyBringsTheFirstToTheFrontAndEnds)
{
    pid_t first = Start();
    ASSERT_GT(first, 0);
    Window window = mX.WaitForWindowOfProcess(first, kStartTimeout);
    ASSERT_NE(window, 0u);
    // Its start-up asks for the focus (more than once); only after that is
    // over can another window keep the focus.
    ASSERT_TRUE(WaitForStartUp()) << ReadLog();
    ASSERT_TRUE(WaitUntil([&] { return mX.GetFocus() == window; }, 10s))
        << "the window did not take the focus when shown";

    // Something else has the focus when the second copy starts.
    Window other = mX.MakeFocusedWindow();
    ASSERT_TRUE(WaitUntil([&] { return mX.GetFocus() == other; }, 10s));

    pid_t second = Start();
    ASSERT_GT(second, 0);
    std::optional<int> status = WaitChild(second, kStartTimeout);
    ASSERT_TRUE(status.has_value()) << "the second copy kept running";
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(mX.FindWindowOfProcess(second), 0u);

    EXPECT_TRUE(WaitUntil([&] { return mX.GetFocus() == window; }, 10s))
        << "the first copy did not come to the front";
    EXPECT_TRUE(IsRunning(first));

    CloseAndExpectExit(first, window);
}

TEST_F(ProcessTest, WithMultipleBothCopiesRun)
{
    pid_t first = Start();
    ASSERT_GT(first, 0);
    Window firstWindow = mX.WaitForWindowOfProcess(first, kStartTimeout);
    ASSERT_NE(firstWindow, 0u);

    pid_t second = Start({"--multiple"});
    ASSERT_GT(second, 0);
    Window secondWindow = mX.WaitForWindowOfProcess(second, kStartTimeout);
    ASSERT_NE(secondWindow, 0u) << "the copy with --multiple did not open a window";
    EXPECT_NE(firstWindow, secondWindow);
    EXPECT_TRUE(IsRunning(first));

    CloseAndExpectExit(second, secondWindow);
    EXPECT_TRUE(IsRunning(first));
    CloseAndExpectExit(first, firstWindow);
}

TEST_F(ProcessTest, ForeignParentWindowEndsWithMinusOne)
{
    // There are no foreign windows to run inside: every "-wnd=" value is no
    // window of ours. -1 reaches the parent as 255.
    const char* cases[] = {"-wnd=0", "-wnd=1A2B", "-wnd=zz", "--multiple -wnd=ffffffff"};
    for (const char* arguments : cases) {
        std::vector<std::string> args;
        std::istringstream words(arguments);
        for (std::string word; words >> word;)
            args.push_back(word);
        pid_t pid = Start(args);
        ASSERT_GT(pid, 0);
        std::optional<int> status = WaitChild(pid, kStartTimeout);
        ASSERT_TRUE(status.has_value()) << arguments;
        EXPECT_EQ(*status, 255) << arguments;
        EXPECT_EQ(mX.FindWindowOfProcess(pid), 0u) << arguments;
    }
}

TEST_F(ProcessTest, WithoutADisplayItSaysWhyAndEndsWithMinusOne)
{
    // No X server answers there; SDL must not fall back to a screenless driver.
    const std::string errors = mData.Path() + "/stderr.txt";
    ChildOptions options;
    options.environment = {"XDG_DATA_HOME=" + mData.Path(), "XDG_RUNTIME_DIR=" + mRuntime.Path(),
                           "DISPLAY=:4711"};
    for (std::string& entry : ChildSanitizerEnvironment())
        options.environment.push_back(std::move(entry));
    options.stderrPath = errors;
    pid_t pid = StartChild(options);
    ASSERT_GT(pid, 0);
    mChildren.push_back(pid);
    std::optional<int> status = WaitChild(pid, kStartTimeout);
    ASSERT_TRUE(status.has_value()) << "still running without a display";
    EXPECT_EQ(*status, 255);

    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("the video system cannot be started"), std::string::npos) << text.str();
    EXPECT_NE(ReadLog().find("the video system cannot be started"), std::string::npos) << ReadLog();
}

TEST_F(ProcessTest, WorkingFolderWithABlankIsQuotedThrough)
{
    // A working folder whose name holds a blank, with its own settings.
    TempFolder work;
    std::string folder = work.Path() + "/my folder";
    ASSERT_TRUE(std::filesystem::create_directories(folder + "/assets"));
    {
        std::ofstream settings(folder + "/assets/settings.xml");
        settings << "<settings><firstpeek>0</firstpeek><flavour>plain</flavour></settings>\n";
    }

    pid_t pid = Start({"-wd=" + folder, "--multiple"});
    ASSERT_GT(pid, 0);
    Window window = mX.WaitForWindowOfProcess(pid, kStartTimeout);
    ASSERT_NE(window, 0u);
    CloseAndExpectExit(pid, window);

    std::string log = ReadLog();
    EXPECT_NE(log.find("Switching current directory to: " + folder), std::string::npos) << log;
}

} // namespace
