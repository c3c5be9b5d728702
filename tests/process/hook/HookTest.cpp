// The framework entry with a test-hook library beside the executable.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include "app/Application.h"
#include "app/PlatformMain.h"
#include "platform/Settings.h"

namespace {

std::string gCommandLine;
std::string gHooked;
std::string gSecond;

void RecordingGameMain(TApplication*, const char* commandLine)
{
    gCommandLine = commandLine ? commandLine : "";
    gHooked = GetConfig("hooked").c_str();
    gSecond = GetConfig("second").c_str();
}

TEST(TestHook, ReplacesTheCommandLineBeforeStartUpReadsIt)
{
    char data[] = "/tmp/quillory-hook-XXXXXX";
    ASSERT_NE(mkdtemp(data), nullptr);
    setenv("XDG_DATA_HOME", data, 1);
    setenv("XDG_RUNTIME_DIR", data, 1);

    // Without the hook this would end at once: "-wnd=0" names no window.
    EXPECT_EQ(PlatformMain("-wnd=0", 1, &RecordingGameMain, false), 0);
    EXPECT_EQ(gCommandLine, "options=hooked=yes&second=2 --multiple");
    EXPECT_EQ(gHooked, "yes");
    EXPECT_EQ(gSecond, "2");
    std::string command = std::string("rm -rf '") + data + "'";
    EXPECT_EQ(system(command.c_str()), 0);
}

} // namespace
