// The game's main script (assets/scripts/mainloop.lua) run by the window
// script without a display: the title layer comes up, a key on it opens the
// widgets dialog (assets/widgets.lua, drawn with the textures the build
// makes), and that dialog's close button brings the title back. Labels go
// through the game's string table, as in the game.
#include <gtest/gtest.h>

#include "StringTableHost.h"
#include "game/show/GameMain.h"
#include "platform/StringTable.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Slider.h"
#include "ui/Text.h"
#include "ui/TextEdit.h"
#include "ui/WindowScriptSupport.h"

namespace {

const char* const kUiTextures[] = {
    "button_normal", "button_pressed", "button_rollover", "button_on", "check_off", "check_on",
    "radio_off", "radio_on", "slider_top", "slider_mid", "slider_bot", "slider_thumb",
    "slider_thumb_roll", "round_normal", "round_pressed", "round_rollover", "round_mask", "panel",
    "title_backdrop",
};

class MainScriptTest : public uitest::WindowScriptFixture {
protected:
    void SetUp() override
    {
        mScriptHost = &mStrings;
        WindowScriptFixture::SetUp();
        RegisterGameWindowTypes(mManager.get());
        // Under the names the game opens them by: the main script as an
        // asset, dialog files through "assets/" paths.
        AddGameAsset("scripts/mainloop.lua", std::string(QUILLORY_SOURCE_DIR) + "/assets/scripts/mainloop.lua");
        AddGameAsset("assets/title.lua", std::string(QUILLORY_SOURCE_DIR) + "/assets/title.lua");
        AddGameAsset("assets/widgets.lua", std::string(QUILLORY_SOURCE_DIR) + "/assets/widgets.lua");
        for (const char* name : kUiTextures)
            AddGameAsset(std::string("ui/") + name + ".png", std::string(QUILLORY_ASSET_DIR) + "/ui/" + name + ".png");
        AddGameAsset("strings.xml", std::string(QUILLORY_SOURCE_DIR) + "/assets/strings.xml");
        ASSERT_TRUE(mStrings.table.Load(TString("strings.xml")));
        mManager->SetTranslateLabels(true);
    }

    void AddGameAsset(const std::string& name, const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::ostringstream text;
        text << in.rdbuf();
        mAssets.push_back(std::make_unique<std::string>(text.str()));
        RegisterMemoryFile(name.c_str(), mAssets.back()->data(), uint32_t(mAssets.back()->size()));
    }

    void Settle(int passes = 3)
    {
        for (int i = 0; i < passes; ++i) {
            Tick(20);
            Pump();
        }
    }

    TWindow* Find(const char* name) { return mManager->GetTopModal()->FindChild(TString(name)); }

    // A left click at a point of the window (its centre by default).
    void Click(TWindow* window, int32_t x = -1, int32_t y = -1)
    {
        ASSERT_NE(window, nullptr);
        const TPoint p =
            window->ClientToScreen({x < 0 ? window->GetWidth() / 2 : x, y < 0 ? window->GetHeight() / 2 : y});
        mManager->HandleEvent(uitest::Ev(kEventMouseMove, p.x, p.y));
        mManager->HandleEvent(uitest::Ev(kEventLeftDown, p.x, p.y));
        mManager->HandleEvent(uitest::Ev(kEventLeftUp, p.x, p.y));
        Settle();
    }

    std::vector<std::unique_ptr<std::string>> mAssets;
    showtest::StringTableHost mStrings;
};

TEST_F(MainScriptTest, TitleLayerStaysUntilAKeyOrAClick)
{
    const int depthBefore = std::stoi(Eval("GetWindowDepth()"));
    ASSERT_TRUE(mScript->RunFile(TString("scripts/mainloop.lua"))) << mLog.Text();
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(Eval("GetWindowDepth()"), std::to_string(depthBefore + 1));
    ASSERT_NE(Find("title"), nullptr);
    // An opaque picture under everything, so nothing of a closed dialog
    // stays on the screen; the name and the prompt from the string table.
    TImage* backdrop = TWindow::Cast<TImage>(Find("backdrop"));
    ASSERT_NE(backdrop, nullptr);
    EXPECT_EQ(backdrop->GetWidth(), 800);
    EXPECT_EQ(backdrop->GetHeight(), 600);
    EXPECT_NE(backdrop->GetTexture(), nullptr);
    EXPECT_EQ(Eval("GetLabel('name')"), "Quillory");
    EXPECT_EQ(Eval("GetLabel('prompt')").rfind("Press any key", 0), 0u);

    // Time and idle passes alone leave it up.
    for (int i = 0; i < 5; ++i) {
        Tick(100);
        Pump();
    }
    ASSERT_NE(Find("title"), nullptr);
    EXPECT_EQ(Eval("GetWindowDepth()"), std::to_string(depthBefore + 1));

    // A key nobody handles reaches the script as "press any key" and opens
    // the widgets dialog over the title.
    mManager->HandleEvent(uitest::Ev(kEventKeyDown, 0, 0, 'A'));
    Settle();
    EXPECT_EQ(Eval("GetWindowDepth()"), std::to_string(depthBefore + 2));
    EXPECT_NE(Find("widgets"), nullptr);
    EXPECT_TRUE(mScript->IsWaiting());
    EXPECT_FALSE(LogHas("rror")) << mLog.Text();
}

TEST_F(MainScriptTest, WidgetsDialogHasEveryWidgetAndItsCloseButtonReturnsToTheTitle)
{
    ASSERT_TRUE(mScript->RunFile(TString("scripts/mainloop.lua"))) << mLog.Text();
    TModalWindow* title = mManager->GetTopModal();
    // A click on the title opens the dialog too.
    Click(Find("title"), 400, 300);
    TModalWindow* dialog = mManager->GetTopModal();
    ASSERT_NE(dialog, title);

    // One of every kind, sized by its images where the style leaves it open.
    TImage* panel = TWindow::Cast<TImage>(Find("panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetWidth(), 480);
    EXPECT_NE(panel->GetTexture(), nullptr);
    for (const char* name : {"hello", "music", "round", "easy", "medium", "hard", "subtitles", "close"})
        EXPECT_NE(TWindow::Cast<TButton>(Find(name)), nullptr) << name;
    EXPECT_NE(TWindow::Cast<TText>(Find("link")), nullptr);
    ASSERT_NE(TWindow::Cast<TTextEdit>(Find("playername")), nullptr);
    TSlider* volume = TWindow::Cast<TSlider>(Find("volume"));
    ASSERT_NE(volume, nullptr);
    EXPECT_TRUE(volume->IsHorizontal());
    EXPECT_EQ(volume->GetHeight(), 22); // the thumb across the 12-pixel rail
    EXPECT_TRUE(TWindow::Cast<TButton>(Find("easy"))->IsOn());
    // Every label is the string table's text.
    EXPECT_EQ(Eval("GetLabel('heading')"), "Every widget");
    EXPECT_EQ(Eval("GetLabel('close')"), "Close");
    // A text edit's text is the player's, never translated.
    EXPECT_EQ(Eval("GetLabel('playername')"), "Player");
    EXPECT_FALSE(LogHas("Missing string")) << mLog.Text();

    // The widgets answer: a radio switches its group, the slider drags,
    // the name typed in shows in the hello button's greeting.
    Click(Find("hard"));
    EXPECT_TRUE(TWindow::Cast<TButton>(Find("hard"))->IsOn());
    EXPECT_FALSE(TWindow::Cast<TButton>(Find("easy"))->IsOn());
    const TPoint thumb = volume->ClientToScreen({5, 10});
    const TPoint to = volume->ClientToScreen({180, 10});
    mManager->HandleEvent(uitest::Ev(kEventMouseMove, thumb.x, thumb.y));
    mManager->HandleEvent(uitest::Ev(kEventLeftDown, thumb.x, thumb.y));
    mManager->HandleEvent(uitest::Ev(kEventMouseMove, to.x, to.y));
    mManager->HandleEvent(uitest::Ev(kEventLeftUp, to.x, to.y));
    Settle();
    EXPECT_FLOAT_EQ(volume->GetValue(), 0.75f);
    Eval("SetLabel('playername', 'Ada')");
    Click(Find("hello"));
    EXPECT_EQ(Eval("GetLabel('status')"), "Hello, Ada!");

    // Close: back to the title, which waits for the next key.
    Click(Find("close"));
    EXPECT_EQ(mManager->GetTopModal(), title);
    EXPECT_NE(Find("title"), nullptr);
    EXPECT_TRUE(mScript->IsWaiting());
    mManager->HandleEvent(uitest::Ev(kEventKeyDown, 0, 0, 'B'));
    Settle();
    EXPECT_NE(mManager->GetTopModal(), title);
    EXPECT_NE(Find("volume"), nullptr);
    EXPECT_FALSE(LogHas("rror")) << mLog.Text();
}

} // namespace
