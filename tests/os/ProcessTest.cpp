#include <gtest/gtest.h>

#include "ProcessSupport.h"

#include <cstdlib>
#include <regex>
#include <set>

#include "os/system/Process.h"

namespace {

class Process : public ::testing::Test {
protected:
    TempFolder temp;
    std::string out;

    void SetUp() override
    {
        ASSERT_FALSE(temp.path.empty());
        out = temp.path + "/args";
        setenv("QUILLORY_HELPER_OUT", out.c_str(), 1);
        unsetenv("QUILLORY_URL_OPENER");
    }
    void TearDown() override
    {
        unsetenv("QUILLORY_HELPER_OUT");
        unsetenv("QUILLORY_URL_OPENER");
    }

    // What the stand-in opener recorded: "1\0<url>\0" for one argument.
    static std::string Recorded(const std::string& arg) { return std::string("1") + '\0' + arg + '\0'; }
};

// Text that a shell would expand, split or run.
std::string HostileUrl(const std::string& folder)
{
    return "http://example.test/a b?x=1&y=$(touch " + folder + "/PWNED);`touch " + folder +
           "/PWNED2` | cat > " + folder + "/PWNED3 'q' \"d\" * ~ \\n\t%20";
}

TEST_F(Process, TheArgumentArrivesByteForByte)
{
    std::string url = HostileUrl(temp.path);
    EXPECT_EQ(OsRunProgram(QUILLORY_OS_HELPER, url.c_str()), 0);
    EXPECT_EQ(ReadFile(out), Recorded(url));
    EXPECT_FALSE(std::filesystem::exists(temp.path + "/PWNED"));
    EXPECT_FALSE(std::filesystem::exists(temp.path + "/PWNED2"));
    EXPECT_FALSE(std::filesystem::exists(temp.path + "/PWNED3"));
}

TEST_F(Process, OpenUrlUsesTheGivenProgramOrTheEnvironmentOpener)
{
    std::string url = HostileUrl(temp.path);
    ASSERT_TRUE(OsOpenUrl(url.c_str(), QUILLORY_OS_HELPER));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(out) == Recorded(url); }));
    EXPECT_FALSE(std::filesystem::exists(temp.path + "/PWNED"));

    std::filesystem::remove(out);
    setenv("QUILLORY_URL_OPENER", QUILLORY_OS_HELPER, 1);
    ASSERT_TRUE(OsOpenUrl("https://example.test/", nullptr));
    EXPECT_TRUE(WaitFor([&] { return ReadFile(out) == Recorded("https://example.test/"); }));
}

TEST_F(Process, OpenUrlRefusesWhatAnOpenerWouldMisread)
{
    setenv("QUILLORY_URL_OPENER", QUILLORY_OS_HELPER, 1);
    EXPECT_FALSE(OsOpenUrl(nullptr));
    EXPECT_FALSE(OsOpenUrl(""));
    EXPECT_FALSE(OsOpenUrl("--help"));
    EXPECT_FALSE(OsOpenUrl("-x http://a/"));
    EXPECT_FALSE(OsOpenUrl("http://a/", "/nonexistent/opener"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(Process, ExitStatusAndMissingPrograms)
{
    unsetenv("QUILLORY_HELPER_OUT");
    EXPECT_EQ(OsRunProgram(QUILLORY_OS_HELPER, "no-such-mode"), 3);
    EXPECT_EQ(OsRunProgram("true", "ignored"), 0);  // found through PATH
    EXPECT_EQ(OsRunProgram("false", "ignored"), 1);
    EXPECT_EQ(OsRunProgram("/nonexistent/program", "x"), -1);
    EXPECT_EQ(OsStartProgram("/nonexistent/program", "x"), -1);
    EXPECT_EQ(OsRunProgram(nullptr, "x"), -1);
    EXPECT_EQ(OsRunProgram("", "x"), -1);
    EXPECT_GT(OsStartProgram("true", "x"), 0);
}

TEST(OsProcess, ExecutablePathIsThisProgram)
{
    std::string path = OsExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path[0], '/');
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").string(), path);
}

TEST(OsProcess, TestHookLoadsOnlyAnExportingLibraryByPath)
{
    OsTestHookFn hook = OsLoadTestHook(QUILLORY_TEST_HOOK);
    ASSERT_NE(hook, nullptr);
    char original[] = "--axtest";
    char* commandLine = original;
    void* w = hook(&commandLine);
    EXPECT_EQ(w, reinterpret_cast<void*>(uintptr_t(0x5EED)));
    EXPECT_STREQ(commandLine, "--hooked options=a=1");
    OsUnloadTestHook();

    EXPECT_EQ(OsLoadTestHook(QUILLORY_NO_HOOK), nullptr);
    EXPECT_EQ(OsLoadTestHook("/nonexistent/dnHarness.so"), nullptr);
    EXPECT_EQ(OsLoadTestHook("dnHarness.so"), nullptr);  // never searched for
    EXPECT_EQ(OsLoadTestHook(QUILLORY_OS_HELPER), nullptr);  // not a library
    OsUnloadTestHook();
}

TEST(OsProcess, GuidsAreRandomVersion4)
{
    std::set<std::string> seen;
    const std::regex shape("^\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}$");
    for (int i = 0; i < 64; ++i) {
        OsGuid g;
        ASSERT_TRUE(OsNewGuid(&g));
        EXPECT_EQ(g.bytes[6] >> 4, 4);
        EXPECT_EQ(g.bytes[8] & 0xC0, 0x80);
        std::string s = OsGuidToString(g);
        EXPECT_TRUE(std::regex_match(s, shape)) << s;
        seen.insert(s);
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_FALSE(OsNewGuid(nullptr));
    OsGuid fixed;
    for (int i = 0; i < 16; ++i)
        fixed.bytes[i] = uint8_t(i * 17);
    EXPECT_EQ(OsGuidToString(fixed), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

} // namespace
