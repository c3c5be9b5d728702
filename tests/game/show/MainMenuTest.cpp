// The main menu built by a script, with the game settings over a temporary
// preferences file: what it shows for no player and for a player with
// winnings, when it offers to continue, the continue request a refresh
// forgets, the money texts, and a menu that is gone never refreshed.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "game/show/GameRecord.h"
#include "game/show/ShowController.h"
#include "game/show/ShowScriptLua.h"
#include "game/show/screens/MainMenu.h"
#include "render/FontCache.h"
#include "render/TextServices.h"
#include "support/SyntheticFont.h"
#include "ui/HostedScriptSupport.h"
#include "ui/Text.h"

namespace {

constexpr char kMenuScript[] = R"(
PushModal("menu")
MainMenu{ name = "mainmenu", x = 0, y = 0, w = 800, h = 600,
    Text{ name = "txt_welcome", x = 0, y = 10, w = 800, h = 30, label = "" },
    Text{ name = "txt_earnings", x = 0, y = 50, w = 800, h = 30, label = "" },
    Text{ name = "txt_rank", x = 0, y = 90, w = 800, h = 30, label = "" },
    Button{ name = "btn_ContinueGame", x = 300, y = 200, w = 160, h = 40 },
}()
)";

// The bytes of a saved show at the board (two right answers, five board
// questions played), as the game writes them.
std::string BoardSave()
{
    std::string data;
    auto i32 = [&data](int32_t value) {
        for (int i = 0; i < 4; ++i)
            data += char((uint32_t(value) >> (8 * i)) & 0xFF);
    };
    auto u8 = [&data](int value) { data += char(value); };
    i32(1), i32(0), i32(1), i32(3), i32(3);
    for (int flag : {1, 0, 1, 0, 1, 0, 1, 1})
        u8(flag);
    i32(2), i32(5);
    for (auto [number, used] : {std::pair{7, 0}, {2, 1}, {12, 0}, {0, 1}, {16, 0}})
        i32(number), u8(used);
    i32(20), i32(0);
    i32(5);
    for (int flag : {0, 1, 1, 0, 0})
        u8(flag);
    i32(2);
    return data;
}

class MainMenuTest : public uitest::HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        mkdir((mRoot + "/user").c_str(), 0755);
        mFace = synthetic_font::Bytes();
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        SetTextServices(mFonts.get(), nullptr);
        mApp.strings = {{"welcome", "Welcome back, %1%!"}};
        mSettingsHost.windows = mManager.get();
        mSettingsHost.labels = {{"rank1", "Pencil Sharpener"}, {"rank8", "Professor"}};
        mSettings = GameSettings::Create(&mSettingsHost);
        ASSERT_TRUE(RegisterMainMenu(mManager.get()));
        RegisterShowScriptLua(mScript->GetState());
    }
    void TearDown() override
    {
        ShowController::Instance()->GetRecord().continueSavedShow = false;
        mManager->DoPopModal(TString("menu"));
        Pump();
        GameSettings::Destroy();
        ClearConfig();
        HostedScriptFixture::TearDown();
        SetTextServices(nullptr, nullptr);
        mFonts.reset();
    }

    TMainMenu* Menu()
    {
        TModalWindow* top = mManager->GetTopModal();
        return top ? TWindow::Cast<TMainMenu>(top->FindChild(TString("mainmenu"))) : nullptr;
    }
    std::string Text(const char* name)
    {
        TText* text = TWindow::Cast<TText>(Menu()->FindChild(TString(name)));
        return text ? text->TText::GetText().c_str() : "<no text>";
    }
    bool Shown(const char* name)
    {
        TWindow* child = Menu()->FindChild(TString(name));
        return child && child->HasFlags(kWindowShown);
    }
    void WriteSave(const std::string& player, const std::string& bytes)
    {
        std::filesystem::create_directories(mRoot + "/user/saves");
        std::ofstream(mRoot + "/user/saves/" + player, std::ios::binary) << bytes;
    }

    settingstest::FakeSettingsHost mSettingsHost;
    GameSettings* mSettings = nullptr;
    std::vector<uint8_t> mFace;
    std::unique_ptr<TFontCache> mFonts;
};

TEST_F(MainMenuTest, WithoutPlayersTheWelcomeIsHiddenAndNothingIsWon)
{
    ASSERT_TRUE(Run(kMenuScript));
    ASSERT_NE(Menu(), nullptr);
    EXPECT_EQ(mSettings->GetMainMenu(), static_cast<GameSettingsMenu*>(Menu()));
    EXPECT_FALSE(Shown("txt_welcome"));
    EXPECT_EQ(Text("txt_earnings"), "$ 0");
    EXPECT_EQ(Text("txt_rank"), "Pencil Sharpener");
    EXPECT_FALSE(Shown("btn_ContinueGame"));
}

TEST_F(MainMenuTest, APlayerIsGreetedWithTheirWinningsAndOfferedOnlyASoundSave)
{
    mSettings->CreateNewUser(TString("Ann"));
    mSettings->AddEarnings(4000000);
    ASSERT_TRUE(Run(kMenuScript));
    ASSERT_NE(Menu(), nullptr);
    EXPECT_TRUE(Shown("txt_welcome"));
    EXPECT_EQ(Text("txt_welcome"), "Welcome back, Ann!");
    EXPECT_EQ(Text("txt_earnings"), "$ 4,000,000");
    EXPECT_FALSE(Shown("btn_ContinueGame"));

    const struct {
        const char* what;
        std::string bytes;
        bool offered;
    } cases[] = {
        {"a saved show at the board", BoardSave(), true},
        {"an emptied save", "", false},
        {"a cut-off save", BoardSave().substr(0, 40), false},
        {"a save with bytes after it", BoardSave() + "x", false},
    };
    for (const auto& c : cases) {
        WriteSave("ann", c.bytes);
        Menu()->Refresh(true);
        EXPECT_EQ(Shown("btn_ContinueGame"), c.offered) << c.what;
    }
}

TEST_F(MainMenuTest, ARefreshForgetsTheContinueRequest)
{
    mSettings->CreateNewUser(TString("Ann"));
    ASSERT_TRUE(Run(kMenuScript));
    GameRecord& record = ShowController::Instance()->GetRecord();
    ASSERT_TRUE(Run("SetContinue()"));
    EXPECT_TRUE(record.continueSavedShow);
    Menu()->Refresh(true);
    EXPECT_FALSE(record.continueSavedShow);
    ASSERT_TRUE(Run("SetContinue(true)"));
    EXPECT_TRUE(record.continueSavedShow);
    ASSERT_TRUE(Run("SetContinue(false)"));
    EXPECT_FALSE(record.continueSavedShow);
}

TEST_F(MainMenuTest, MoneyIsWrittenInGroupsOfThree)
{
    const struct {
        int32_t amount;
        const char* text;
    } cases[] = {
        {0, "0"},           {999, "999"},       {1000, "1,000"},        {5000000, "5,000,000"},
        {-2500, "-2,500"},  {4000000, "4,000,000"}, {1001, "1,001"},    {2147483647, "2,147,483,647"},
        {-2147483647 - 1, "-2,147,483,648"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(TMainMenu::FormatMoney(c.amount).c_str()), c.text) << c.amount;
}

TEST_F(MainMenuTest, AMenuThatIsGoneIsNeitherRefreshedNorCalled)
{
    mSettings->CreateNewUser(TString("Ann"));
    ASSERT_TRUE(Run(kMenuScript));
    ASSERT_NE(mSettings->GetMainMenu(), nullptr);
    mManager->DoPopModal(TString("menu"));
    Pump();
    EXPECT_EQ(mSettings->GetMainMenu(), nullptr);
    // Switching players refreshes the menu when there is one: none now.
    mSettings->CreateNewUser(TString("Bo"));
    // The menu's functions outlive it as no-ops.
    EXPECT_TRUE(Run("StopMusic(); SetWelcomeName(); avail = HonorsAvail()"));
    EXPECT_EQ(Eval("avail"), "false");
}

} // namespace
