#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "game/show/GameMain.h"
#include "platform/AssetNames.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"

namespace {

class FullScreenPreference : public ::testing::Test {
protected:
    std::string folder;

    void SetUp() override
    {
        char name[] = "/tmp/fullscreenprefXXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        SetAssetFolders(folder.c_str(), folder.c_str(), folder.c_str());
        SetConfig("encryptionkey", "test key");
    }

    void TearDown() override
    {
        ClearConfig();
        std::system(("rm -rf " + folder).c_str());
    }
};

TEST_F(FullScreenPreference, TheCurrentUsersValueDecidesAndOnlyOneMeansFullScreen)
{
    EXPECT_TRUE(FullScreenPreferred()) << "no preferences yet";
    {
        TPrefs prefs(true);
        prefs.SetInt("fullscreen", 0, -1, true);
    }
    EXPECT_FALSE(FullScreenPreferred()) << "the shared slot without a current user";
    {
        TPrefs prefs(true);
        prefs.SetInt("curuser", 1, -1, false);
        prefs.SetInt("fullscreen", 1, 1, true);
    }
    EXPECT_TRUE(FullScreenPreferred()) << "the current user's own value";
    {
        TPrefs prefs(true);
        prefs.SetInt("fullscreen", 2, 1, true);
    }
    EXPECT_FALSE(FullScreenPreferred()) << "2 opens a window";
    {
        TPrefs prefs(true);
        prefs.SetInt("curuser", 0, -1, true);
    }
    EXPECT_TRUE(FullScreenPreferred()) << "a user without the key: the default";
}

} // namespace
