// Starting the video system where no display can be reached.
#include <gtest/gtest.h>

#include <SDL.h>
#include <stdlib.h>

#include <cstring>
#include <optional>
#include <string>

#include "os/window/Window.h"

namespace {

// Sets or clears an environment variable for the scope, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name)
    {
        if (const char* old = getenv(name))
            mOld = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (mOld)
            setenv(mName, mOld->c_str(), 1);
        else
            unsetenv(mName);
    }

private:
    const char* mName;
    std::optional<std::string> mOld;
};

class VideoStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillory-video-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mRuntime = pattern;
    }
    void TearDown() override
    {
        OsShutdownVideo();
        rmdir(mRuntime.c_str());
    }

    // What SDL starts by itself with the environment as it is now.
    std::string DriverSdlPicks()
    {
        if (SDL_VideoInit(nullptr) != 0)
            return std::string();
        std::string driver = SDL_GetCurrentVideoDriver();
        SDL_VideoQuit();
        return driver;
    }

    std::string mRuntime;
};

TEST_F(VideoStart, NoDisplayIsAFailureNotAWindowNobodySees)
{
    // No X server, no Wayland compositor, no driver asked for.
    ScopedEnv display("DISPLAY", nullptr);
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv runtime("XDG_RUNTIME_DIR", mRuntime.c_str());
    ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    std::string picked = DriverSdlPicks();
    if (picked != "offscreen" && picked != "dummy")
        GTEST_SKIP() << "SDL starts \"" << picked << "\" here, a driver with a screen";

    EXPECT_FALSE(OsInitVideo());
    EXPECT_FALSE(OsVideoReady());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_NE(std::strstr(SDL_GetError(), picked.c_str()), nullptr) << SDL_GetError();
    OsWindowParams params;
    EXPECT_EQ(OsCreateWindow(params), nullptr);
}

TEST_F(VideoStart, ScreenlessDriverRunsWhenAskedFor)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", mRuntime.c_str());
    ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
    EXPECT_TRUE(OsVideoReady());
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
}

} // namespace
