#include "OsTestSupport.h"
#include "ProcessSupport.h"

#include <cstdlib>

#include "os/system/Instance.h"

namespace {

class Instance : public OsMessageFixture {
protected:
    TempFolder runtime;
    std::string savedRuntime;
    bool hadRuntime = false;
    std::string name;

    void SetUp() override
    {
        OsMessageFixture::SetUp();
        ASSERT_FALSE(runtime.path.empty());
        if (const char* r = getenv("XDG_RUNTIME_DIR")) {
            hadRuntime = true;
            savedRuntime = r;
        }
        setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
        name = OsInstanceName(runtime.path + "/Game/Quillory");
    }

    void TearDown() override
    {
        OsReleaseInstance();
        if (hadRuntime)
            setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        OsMessageFixture::TearDown();
    }
};

TEST(OsInstanceName, LowerCasedWithoutSeparators)
{
    EXPECT_EQ(OsInstanceName("/opt/Dunmere/Quillory"), "optdunmerequillory");
    EXPECT_EQ(OsInstanceName("C:/Games/X.EXE"), "cgamesx.exe");
    EXPECT_EQ(OsInstanceName("/a/B"), OsInstanceName("/A/b"));

    // Long paths stay short and distinct.
    std::string deep = "/" + std::string(200, 'd') + "/quillory";
    std::string other = "/" + std::string(199, 'd') + "e/quillory";
    std::string a = OsInstanceName(deep);
    std::string b = OsInstanceName(other);
    EXPECT_LE(a.size(), 64u);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, OsInstanceName(deep));
    EXPECT_NE(a.find("quillory"), std::string::npos);
}

TEST_F(Instance, LockFileLivesInTheRuntimeFolder)
{
    EXPECT_EQ(OsInstanceLockPath(name), runtime.path + "/" + name + "_MUTEX.lock");
    unsetenv("XDG_RUNTIME_DIR");
    std::string shared = OsInstanceLockPath(name);
    EXPECT_EQ(shared, "/tmp/" + name + "-" + std::to_string(getuid()) + "_MUTEX.lock");
}

TEST_F(Instance, SecondCopyIsRefusedAndPingsTheFirst)
{
    ASSERT_EQ(OsClaimInstance(name), OsInstanceClaim::First);
    EXPECT_EQ(OsClaimInstance(name), OsInstanceClaim::First);  // again in the same process
    EXPECT_EQ(OsTakeInstancePings(), 0);
    EXPECT_EQ(RunHelper({"claim", name}), 11);
    EXPECT_TRUE(WaitFor([] { static int total = 0; total += OsTakeInstancePings(); return total == 1; }));
    EXPECT_EQ(RunHelper({"claim", name}), 11);
    EXPECT_EQ(RunHelper({"claim", name + "-other"}), 10);  // another program

    OsReleaseInstance();
    EXPECT_EQ(RunHelper({"claim", name}), 10);
}

TEST_F(Instance, APingRaisesTheWindowDuringThePump)
{
    ASSERT_EQ(OsClaimInstance(name), OsInstanceClaim::First);
    OsShowWindow(window, OsShow::Show);
    OsShowWindow(window, OsShow::Minimize);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    calls.clear();
    EXPECT_EQ(RunHelper({"claim", name}), 11);
    OsMessage m;
    ASSERT_TRUE(WaitFor([&] {
        Peek(&m);
        return !calls.empty();
    }));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].message, OsMsg::Size);
    EXPECT_EQ(calls[0].wParam, OsSize::Restored);
    EXPECT_TRUE(calls[0].duringPeek);
    EXPECT_EQ(calls[1].message, OsMsg::ActivateApp);
    EXPECT_EQ(calls[1].wParam, 1u);
    EXPECT_EQ(OsGetForegroundWindow(), window);
}

TEST_F(Instance, TheLockDiesWithItsProcess)
{
    HelperProcess p = StartHelper({"claim-hold", name, "20000"}, true);
    ASSERT_GT(p.pid, 0);
    ASSERT_EQ(ReadLine(p.out), "10");
    EXPECT_EQ(OsClaimInstance(name), OsInstanceClaim::AlreadyRunning);
    kill(p.pid, SIGKILL);
    WaitHelper(p);
    EXPECT_EQ(OsClaimInstance(name), OsInstanceClaim::First);
}

// A program started by the game (a browser, say) must not keep the game's
// lock alive after the game has ended.
TEST_F(Instance, StartedProgramsDoNotInheritTheLock)
{
    EXPECT_EQ(RunHelper({"claim-spawn", name, "1000"}), 10);
    EXPECT_EQ(OsClaimInstance(name), OsInstanceClaim::First);
}

TEST_F(Instance, AnUnusableLockFileIsAFailureNotAHang)
{
    setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    std::string lock = OsInstanceLockPath(name);
    ASSERT_EQ(symlink("/nonexistent/target", lock.c_str()), 0);
    EXPECT_EQ(OsClaimInstance(name), OsInstanceClaim::Failed);
}

} // namespace
