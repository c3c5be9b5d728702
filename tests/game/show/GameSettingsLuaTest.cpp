// The settings' Lua functions as the menu scripts call them, in the window
// manager's script.
#include <sys/stat.h>

#include "SettingsTestSupport.h"
#include "ui/WindowScriptSupport.h"

namespace {

class GameSettingsLuaTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        mkdir((mRoot + "/user").c_str(), 0755);
        mSettingsHost.windows = mManager.get();
        mSettings = GameSettings::Create(&mSettingsHost);
    }
    void TearDown() override
    {
        GameSettings::Destroy();
        ClearConfig();
        WindowScriptFixture::TearDown();
    }

    settingstest::FakeSettingsHost mSettingsHost;
    GameSettings* mSettings = nullptr;
};

TEST_F(GameSettingsLuaTest, ScriptsManageProfilesThroughTheTenFunctions)
{
    for (const char* name : {"ToggleFullScreen", "ToggleSoundMute", "SetCurrentGameMode", "GetNumUsers",
                             "CreateNewUser", "SetCurrentUser", "ChangeCurrentUserName", "DeleteUser",
                             "IsNameInUse", "QuitToMainMenu"})
        EXPECT_EQ(Eval(std::string("type(") + name + ")"), "function") << name;

    // Each step in order: a Lua expression, what it gives, and then the
    // current user and the number of profiles.
    struct Step {
        const char* lua;
        const char* result;
        int current, users;
    } const steps[] = {
        {"GetNumUsers()", "0", -1, 0},
        {"CreateNewUser('Ann')", "nil", 0, 1},
        {"CreateNewUser('Bob')", "nil", 1, 2},
        {"GetNumUsers()", "2", 1, 2},
        {"IsNameInUse('Bob')", "true", 1, 2},
        {"IsNameInUse('bob')", "false", 1, 2},
        {"ChangeCurrentUserName('Robert')", "nil", 1, 2},
        {"IsNameInUse('Robert') and not IsNameInUse('Bob')", "true", 1, 2},
        {"SetCurrentUser(0.9, true)", "nil", 0, 2},  // numbers are truncated
        {"SetCurrentUser(2, true)", "nil", 0, 2},    // no such user
        {"SetCurrentUser(1)", "nil", 1, 2},          // a missing flag is false
        {"DeleteUser(0)", "nil", 0, 1},              // the last user left
        {"DeleteUser(7)", "nil", 0, 1},
        {"ToggleSoundMute()", "nil", 0, 1},
        {"SetCurrentGameMode(1)", "nil", 0, 1},
        {"SetCurrentGameMode(2.5)", "nil", 0, 1},
        {"ToggleFullScreen()", "true", 0, 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.lua);
        EXPECT_EQ(Eval(s.lua), s.result);
        EXPECT_EQ(mSettings->GetCurrentUser(), s.current);
        EXPECT_EQ(mSettings->GetNumUsers(), s.users);
    }
    EXPECT_STREQ(mSettings->GetCurrentUserName().c_str(), "Robert");
    EXPECT_EQ(mSettings->GetUserInt("soundoff", 0), 1);
    EXPECT_EQ(mSettings->GetGameMode(), 1);
    EXPECT_FALSE(mSettingsHost.fullScreen);
    mSettingsHost.switchWorks = false;
    EXPECT_EQ(Eval("ToggleFullScreen()"), "false");
}

TEST_F(GameSettingsLuaTest, QuitToMainMenuLeavesTheBottomLayer)
{
    PushDialog("options");
    PushDialog("credits");
    ASSERT_EQ(mManager->GetModalCount(), 3u);
    EXPECT_EQ(Eval("QuitToMainMenu()"), "nil");
    EXPECT_EQ(mManager->GetModalCount(), 1u);
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    Eval("QuitToMainMenu()"); // already at the bottom
    EXPECT_EQ(mManager->GetModalCount(), 1u);
}

TEST_F(GameSettingsLuaTest, FunctionsOutliveTheSettingsAsNoOps)
{
    Eval("CreateNewUser('Ann')");
    GameSettings::Destroy();
    const struct {
        const char* lua;
        const char* result;
    } calls[] = {
        {"GetNumUsers()", "0"},       {"IsNameInUse('Ann')", "false"}, {"ToggleFullScreen()", "false"},
        {"CreateNewUser('Bob')", "nil"}, {"QuitToMainMenu()", "nil"},
    };
    for (const auto& c : calls)
        EXPECT_EQ(Eval(c.lua), c.result) << c.lua;

    // A new instance publishes its own functions over the old ones.
    mSettings = GameSettings::Create(&mSettingsHost);
    EXPECT_EQ(Eval("GetNumUsers()"), "1");
    EXPECT_EQ(Eval("IsNameInUse('Bob')"), "false");
}

} // namespace
