// The options dialog built by the game's own script: what it shows of the
// current player's stored options, that nothing changes while it is open,
// what Done stores and applies, the credits button, and dialogs that lack
// widgets.
#include <gtest/gtest.h>

#include <string>

#include "OptionsTestSupport.h"
#include "sound/SoundGroup.h"
#include "ui/Button.h"
#include "ui/Text.h"

namespace {

using optionstest::OptionsFixture;

// Opens the options as a menu does, and again each time they close,
// counting the closes.
constexpr char kMenu[] = R"(return function()
    while true do
        local w = PushModal("options menu")
        ReadFile("scripts/options.lua")
        DoFitToChildren()
        WaitForCloseMessage(w)
        gOptionsClosed = (gOptionsClosed or 0) + 1
    end
end)";

class OptionMenuTest : public OptionsFixture {
protected:
    OptionMenu* Open()
    {
        EXPECT_TRUE(Run(kMenu)) << mLog.Text();
        return Top<OptionMenu>("options");
    }
    TButton* Toggle(const char* name) { return Top<TButton>(name); }
    TSlider* Slider(const char* name) { return Top<TSlider>(name); }
    // A click on "btn_exit", then the passes that deliver the close.
    void Done()
    {
        Click(Top<TButton>("btn_exit"));
        for (int i = 0; i < 3; ++i) {
            Pump();
            Tick(20);
        }
    }
    int Stored(const char* key, int user) { return mSettings->GetStore().GetInt(TString(key), -7, user); }
    float Volume(int32_t group) { return mSettingsHost.sound.GetGroupVolume(group); }
};

TEST_F(OptionMenuTest, TheWidgetsShowThePlayersStoredOptions)
{
    mSettings->CreateNewUser(TString("Ann"));
    mSettings->SetUserInt(TString("useSubtitles"), 1);
    mSettings->SetUserInt(TString("soundoff"), 2); // only 1 counts as on
    mSettings->SetUserInt(TString("soundlevel"), 400);
    mSettings->SetUserInt(TString("volevel"), 900);
    mSettingsHost.fullScreen = false;
    OptionMenu* menu = Open();
    ASSERT_NE(menu, nullptr) << mLog.Text();
    EXPECT_STREQ(menu->GetClassName(), "OptionMenu");
    EXPECT_FALSE(Toggle("btn_fullscreen")->IsOn());
    EXPECT_TRUE(Toggle("btn_subtitles")->IsOn());
    EXPECT_FALSE(Toggle("btn_mute")->IsOn());
    EXPECT_FLOAT_EQ(Slider("slider_sound")->GetValue(), 0.4f);
    EXPECT_FLOAT_EQ(Slider("slider_vo")->GetValue(), 0.9f);
    EXPECT_FALSE(LogHas("OptionMenu")) << mLog.Text();
}

TEST_F(OptionMenuTest, ANewPlayerSeesTheDefaults)
{
    mSettings->CreateNewUser(TString("Bob"));
    mSettingsHost.fullScreen = true;
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(Toggle("btn_fullscreen")->IsOn());
    EXPECT_FALSE(Toggle("btn_subtitles")->IsOn());
    EXPECT_FALSE(Toggle("btn_mute")->IsOn());
    EXPECT_FLOAT_EQ(Slider("slider_sound")->GetValue(), 0.75f);
    EXPECT_FLOAT_EQ(Slider("slider_vo")->GetValue(), 0.75f);
}

TEST_F(OptionMenuTest, DoneStoresAndAppliesWhatTheWidgetsShowAndCloses)
{
    mSettings->CreateNewUser(TString("Ann"));
    mSettingsHost.fullScreen = true;
    ASSERT_NE(Open(), nullptr);
    Click(Toggle("btn_fullscreen"));
    Click(Toggle("btn_subtitles"));
    Slider("slider_sound")->SetValue(0.5f, false);
    Slider("slider_vo")->SetValue(0.7499f, false);
    mManager->DispatchMessages();
    // Nothing changes while the dialog is open.
    EXPECT_FALSE(Toggle("btn_fullscreen")->IsOn());
    EXPECT_TRUE(Toggle("btn_subtitles")->IsOn());
    EXPECT_EQ(Stored("useSubtitles", 0), 0);
    EXPECT_EQ(Stored("soundlevel", 0), 750);
    EXPECT_TRUE(mSettingsHost.fullScreen);
    EXPECT_FLOAT_EQ(Volume(kSoundGroupMusic), 0.75f);

    Done();
    EXPECT_EQ(Eval("gOptionsClosed"), "1") << mLog.Text();
    EXPECT_EQ(Stored("useSubtitles", 0), 1);
    EXPECT_EQ(Stored("fullscreen", 0), 0);
    EXPECT_EQ(Stored("soundoff", 0), 0);
    EXPECT_EQ(Stored("soundlevel", 0), 500);
    EXPECT_EQ(Stored("volevel", 0), 749); // truncated, not rounded
    EXPECT_FALSE(mSettingsHost.fullScreen);
    // The sound slider is the music group's, the voice slider the voice's;
    // the effects keep theirs.
    EXPECT_FLOAT_EQ(Volume(kSoundGroupMusic), 0.5f);
    EXPECT_FLOAT_EQ(Volume(kSoundGroupVoice), 0.749f);
    EXPECT_FLOAT_EQ(Volume(kSoundGroupEffects), 0.75f);
    EXPECT_FLOAT_EQ(mSettingsHost.Master(), 1.0f);
    // The values were written through to the file.
    EXPECT_EQ(TPrefs(false).GetInt(TString("volevel"), -7, 0), 749);

    // Again: mute on; a display that cannot switch still has the choice
    // stored.
    mSettingsHost.switchWorks = false;
    ASSERT_NE(Top<OptionMenu>("options"), nullptr);
    EXPECT_FALSE(Toggle("btn_fullscreen")->IsOn());
    Click(Toggle("btn_mute"));
    Click(Toggle("btn_fullscreen"));
    Done();
    EXPECT_EQ(Eval("gOptionsClosed"), "2");
    EXPECT_EQ(Stored("soundoff", 0), 1);
    EXPECT_EQ(Stored("fullscreen", 0), 1);
    EXPECT_FALSE(mSettingsHost.fullScreen);
    EXPECT_FLOAT_EQ(mSettingsHost.Master(), 0.0f);
}

TEST_F(OptionMenuTest, WithoutAPlayerTheSharedSlotKeepsTheOptions)
{
    ASSERT_EQ(mSettings->GetCurrentUser(), -1);
    ASSERT_NE(Open(), nullptr);
    Click(Toggle("btn_subtitles"));
    Slider("slider_vo")->SetValue(0.25f, true);
    Done();
    EXPECT_EQ(Stored("useSubtitles", -1), 1);
    EXPECT_EQ(Stored("volevel", -1), 250);
    EXPECT_FLOAT_EQ(Volume(kSoundGroupVoice), 0.25f);
}

// Every text of the window and its descendants.
void CollectTexts(TWindow* window, std::vector<TText*>& out)
{
    if (TText* text = TWindow::Cast<TText>(window))
        out.push_back(text);
    for (TWindow* child : window->GetChildren())
        CollectTexts(child, out);
}

// Every text shows the string table's words, and every widget lies inside
// its dialog.
void CheckDialog(TWindow* dialog, size_t texts)
{
    ASSERT_NE(dialog, nullptr);
    std::vector<TText*> found;
    CollectTexts(dialog, found);
    EXPECT_EQ(found.size(), texts);
    for (TText* text : found) {
        const std::string shown = text->GetText().c_str();
        EXPECT_FALSE(shown.empty() || shown == "#####" || shown.find('_') != std::string::npos)
            << uitest::Str(text->GetName()) << ": " << shown;
    }
    for (TWindow* child : dialog->GetChildren()) {
        const TRect r = child->GetRect();
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= dialog->GetWidth() && r.bottom <= dialog->GetHeight())
            << uitest::Str(child->GetName());
    }
}

TEST_F(OptionMenuTest, TheGameScriptsShowTheirWordsInsideTheirDialogs)
{
    OptionMenu* menu = Open();
    // The heading, the hint, five captions and two button labels.
    CheckDialog(menu, 9);
    Press(Top<TButton>("btn_credits"), "btn_credits");
    Pump();
    TWindow* credits = Top<TWindow>("credits");
    CheckDialog(credits, 2);
    EXPECT_EQ(credits->GetRect(), TRect(0, 0, 800, 600));
}

TEST_F(OptionMenuTest, SliderLevelsTruncate)
{
    const struct {
        float value;
        int32_t level;
    } cases[] = {{0.0f, 0}, {0.5f, 500}, {0.7499f, 749}, {0.75f, 750}, {0.9999f, 999}, {1.0f, 1000}};
    for (const auto& c : cases)
        EXPECT_EQ(OptionMenu::SliderLevel(c.value), c.level) << c.value;
}

TEST_F(OptionMenuTest, CreditsOpenOverTheOptionsAndCloseBackToThem)
{
    OptionMenu* menu = Open();
    ASSERT_NE(menu, nullptr);
    Click(Top<TButton>("btn_credits"));
    Pump();
    TCredits* credits = Top<TCredits>("roll");
    ASSERT_NE(credits, nullptr) << mLog.Text();
    EXPECT_EQ(mManager->GetModalCount(), 3u);

    Click(Top<TButton>("btn_close"));
    for (int i = 0; i < 3; ++i) {
        Pump();
        Tick(20);
    }
    EXPECT_EQ(Top<TCredits>("roll"), nullptr);
    EXPECT_EQ(Top<OptionMenu>("options"), menu);
    EXPECT_EQ(Eval("gOptionsClosed"), "nil");
    Done();
    EXPECT_EQ(Eval("gOptionsClosed"), "1") << mLog.Text();
}

TEST_F(OptionMenuTest, MissingOrWrongWidgetsKeepTheirStoredValues)
{
    mSettings->CreateNewUser(TString("Ann"));
    mSettings->SetUserInt(TString("soundlevel"), 300);
    mSettings->SetUserInt(TString("volevel"), 600);
    // Only the mute toggle and Done; the voice slider is a plain window.
    AddText("assets/scripts/options.lua", R"(OptionsMenu{ name = "options", x = 0, y = 0, w = 300, h = 200,
        Button{ name = "btn_mute", x = 10, y = 10, w = 24, h = 24, type = 1 },
        Window{ name = "slider_vo", x = 10, y = 50, w = 100, h = 20 },
        Button{ name = "btn_exit", x = 10, y = 100, w = 80, h = 30 },
    }())");
    ASSERT_NE(Open(), nullptr) << mLog.Text();
    EXPECT_TRUE(LogHas("\"slider_vo\"")) << mLog.Text();
    EXPECT_TRUE(LogHas("\"btn_fullscreen\""));
    Click(Toggle("btn_mute"));
    Done();
    EXPECT_EQ(Eval("gOptionsClosed"), "1") << mLog.Text();
    EXPECT_EQ(Stored("soundoff", 0), 1);
    EXPECT_EQ(Stored("soundlevel", 0), 300);
    EXPECT_EQ(Stored("volevel", 0), 600);
    EXPECT_EQ(Stored("fullscreen", 0), -7);
    EXPECT_FLOAT_EQ(mSettingsHost.Master(), 0.0f);
}

TEST_F(OptionMenuTest, WithoutSettingsTheDialogStillOpensAndCloses)
{
    GameSettings::Destroy();
    mSettings = nullptr;
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(LogHas("no game settings")) << mLog.Text();
    Done();
    EXPECT_EQ(Eval("gOptionsClosed"), "1") << mLog.Text();
}

} // namespace
