// The player choice window and the game's text edit, run by the window
// script with the game settings over a temporary preferences file: the
// profiles handed to the script (also hostile names, which must stay data),
// the selected profile, the one-argument SetCurrentUser, the prompt that
// the first key or click clears, the typing clicks, the accept button
// following the text, and the player screens' scripts end to end.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "game/show/screens/ChoosePlayer.h"
#include "game/show/screens/CustomTextEdit.h"
#include "platform/AssetManager.h"
#include "render/FontCache.h"
#include "render/TextServices.h"
#include "sound/Sound.h"
#include "support/OggWriter.h"
#include "support/SyntheticFont.h"
#include "ui/Button.h"
#include "ui/HostedScriptSupport.h"
#include "ui/Text.h"

namespace {

using uitest::Ev;

constexpr int32_t kBackspace = 8, kEnter = 13, kDelete = 46;

class PlayerChoiceTest : public uitest::HostedScriptFixture {
protected:
    void SetUp() override
    {
        HostedScriptFixture::SetUp();
        mkdir((mRoot + "/user").c_str(), 0755);
        mFace = synthetic_font::Bytes();
        for (const char* font : {"fonts/default.mvec", "fonts/bold.mvec"})
            RegisterMemoryFile(font, mFace.data(), uint32_t(mFace.size()));
        mFonts = std::make_unique<TFontCache>(mFace.data(), mFace.size());
        SetTextServices(mFonts.get(), nullptr);
        SetAssetManager(&mAssetManager);
        RegisterSoundAssetLoader();
        mOgg = EncodeOgg(MakeSine(22050, 1, 0.05));
        for (int32_t k = 1; k <= TCustomTextEdit::kTypingSounds; ++k)
            RegisterMemoryFile(StrFormat("sfx/sfx_typing_%02d.ogg", k).c_str(), mOgg.data(), uint32_t(mOgg.size()));
        for (const char* face : {"button_normal", "button_pressed", "button_rollover", "button_on", "panel"})
            AddFile(std::string("ui/") + face + ".png", std::string(QUILLORY_ASSET_DIR) + "/ui/" + face + ".png");
        for (const char* script : {"chooseplayer", "entername", "deleteplayer"})
            AddFile(std::string("assets/scripts/") + script + ".lua",
                    std::string(QUILLORY_SOURCE_DIR) + "/assets/scripts/" + script + ".lua");
        mApp.strings = {{"player_name_prompt", "Type your name"},
                        {"player_name_taken", "Taken"},
                        {"player_name_empty", "Empty"}};
        mSettingsHost.windows = mManager.get();
        mSettings = GameSettings::Create(&mSettingsHost);
        mSettings->SetMainMenu(&mMenu);
        ASSERT_TRUE(RegisterChoosePlayer(mManager.get()));
        ASSERT_TRUE(RegisterCustomTextEdit(mManager.get()));
    }
    void TearDown() override
    {
        GameSettings::Destroy();
        ClearConfig();
        Pump();
        HostedScriptFixture::TearDown();
        TAssetMap::ClearLoaders();
        SetAssetManager(nullptr);
        SetTextServices(nullptr, nullptr);
        mFonts.reset();
    }

    void AddFile(const std::string& name, const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        std::ostringstream text;
        text << in.rdbuf();
        AddAsset(name, text.str());
    }

    TWindow* Find(const std::string& name)
    {
        TModalWindow* top = mManager->GetTopModal();
        return top ? top->FindChild(TString(name.c_str())) : nullptr;
    }
    TCustomTextEdit* Edit(const std::string& name) { return TWindow::Cast<TCustomTextEdit>(Find(name)); }
    static std::string Shown(TWindow* window)
    {
        TText* text = TWindow::Cast<TText>(window);
        return text ? text->TText::GetText().c_str() : "<no text>";
    }
    bool IsShown(const std::string& name)
    {
        TWindow* window = Find(name);
        return window && window->HasFlags(kWindowShown);
    }

    void Type(const std::string& text)
    {
        for (char c : text)
            mManager->HandleEvent(Ev(kEventChar, 0, 0, static_cast<unsigned char>(c)));
        Settle();
    }
    void Key(int32_t key)
    {
        TPlatformEvent event = Ev(kEventKeyDown, 0, 0, key);
        mManager->HandleEvent(event);
        Settle();
    }
    void Click(TWindow* window)
    {
        ASSERT_NE(window, nullptr);
        const TPoint p = window->ClientToScreen({window->GetWidth() / 2, window->GetHeight() / 2});
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp})
            mManager->HandleEvent(Ev(type, p.x, p.y));
        Settle();
    }
    void Settle()
    {
        for (int i = 0; i < 4; ++i) {
            Tick(20);
            Pump();
        }
    }
    // A script error, reported by the dialog library or by DoLuaString.
    bool LuaFailed() const { return LogHas("Lua error") || LogHas("Lua Error"); }
    size_t Voices() { return mSettingsHost.sound.GetActiveStreamCount(); }

    // A dialog of one text edit (with the given keys) and an accept button.
    TCustomTextEdit* EditDialog(const std::string& keys)
    {
        EXPECT_TRUE(Run("PushModal('d'); Window{ name = 'box', w = 400, h = 200,"
                        " TextEdit{ name = 'edit', x = 10, y = 10, w = 300, h = 30, " +
                        keys +
                        " },"
                        " Button{ name = 'btn_ok', x = 10, y = 100, w = 80, h = 30 } }()"))
            << mLog.Text();
        TCustomTextEdit* edit = Edit("edit");
        if (edit)
            mManager->SetFocus(edit);
        return edit;
    }

    // Records what the window hands the script.
    void RecordChoices()
    {
        ASSERT_TRUE(Run("function UpdatePlayerChoices(current, count, names)"
                        " got = { current = current, count = count, names = names } end"));
    }
    void MakeChooser()
    {
        ASSERT_TRUE(Run("PushModal('cp'); ChoosePlayerWindow{ name = 'chooser', w = 400, h = 300 }()"))
            << mLog.Text();
    }
    std::string LuaName(int index) { return Eval("got.names[" + std::to_string(index + 1) + "]"); }

    settingstest::FakeSettingsHost mSettingsHost;
    settingstest::MenuProbe mMenu;
    GameSettings* mSettings = nullptr;
    TAssetManager mAssetManager;
    std::vector<uint8_t> mFace;
    std::vector<uint8_t> mOgg;
    std::unique_ptr<TFontCache> mFonts;
};

TEST_F(PlayerChoiceTest, TheCallCarriesTheFirstTenNamesAndTheFullCount)
{
    EXPECT_STREQ(TChoosePlayer::ChoicesCall(-1, 0, {}).c_str(), "UpdatePlayerChoices( -1, 0, {} )");
    EXPECT_STREQ(TChoosePlayer::ChoicesCall(1, 2, {TString("Ann"), TString("Bob")}).c_str(),
                 "UpdatePlayerChoices( 1, 2, {'Ann','Bob',} )");

    RecordChoices();
    MakeChooser();
    EXPECT_EQ(Eval("got.current .. ' ' .. got.count .. ' ' .. table.getn(got.names)"), "-1 0 0");

    for (int i = 0; i < 12; ++i)
        mSettings->CreateNewUser(StrFormat("Player %d", i));
    mSettings->SetCurrentUser(11, false);
    EXPECT_EQ(Eval("(SetPlayerChoices())"), "nil");
    EXPECT_EQ(Eval("got.current .. ' ' .. got.count .. ' ' .. table.getn(got.names)"), "11 12 10");
    EXPECT_EQ(LuaName(9), "Player 9");
}

TEST_F(PlayerChoiceTest, HostileNamesReachTheScriptAsTheyWereStoredAndNeverRun)
{
    const std::vector<std::string> names = {
        "O'Brien",
        "back\\slash\\",
        "two\nlines\r",
        "'}) pwned = true --",
        "']] pwned = true --[['",
        "\\'); pwned = true; x = ('",
        "{'table'}",
        "<b>bold</b> [x] (y)",
        "%d %s %1% \"quoted\"",
        std::string("bytes \x01\x7f\xc3\xa9\xff", 11),
        "",
    };
    for (const std::string& name : names)
        mSettings->CreateNewUser(TString(name.c_str(), uint32_t(name.size())));
    RecordChoices();
    MakeChooser();
    EXPECT_EQ(Eval("got.count"), std::to_string(names.size()));
    EXPECT_EQ(Eval("pwned"), "nil");
    for (size_t i = 0; i < names.size() && i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(LuaName(int(i)), names[i]);
    }
    EXPECT_FALSE(LuaFailed()) << mLog.Text();
}

TEST_F(PlayerChoiceTest, TheSelectedProfileIsTheFirstToggledButton)
{
    mSettings->CreateNewUser(TString("Ann"));
    mSettings->CreateNewUser(TString("B'ob"));
    mSettings->CreateNewUser(TString("Cy"));
    RecordChoices();
    ASSERT_TRUE(Run("PushModal('cp'); ChoosePlayerWindow{ name = 'chooser', w = 400, h = 300,"
                    " BeginGroup(),"
                    " Button{ name = 'btn_prof0', type = kRadio, w = 10, h = 10 },"
                    " Button{ name = 'btn_prof1', type = kRadio, y = 20, w = 10, h = 10 },"
                    " Button{ name = 'btn_prof4', type = kRadio, y = 40, w = 10, h = 10 } }()"));
    EXPECT_EQ(Eval("GetCurrentSelectedUser()"), "0");
    EXPECT_EQ(Eval("GetSelectedPlayerName()"), "Ann");
    const struct {
        const char* button;
        const char* user;
        const char* name;
    } cases[] = {{"btn_prof1", "1", "B'ob"}, {"btn_prof4", "4", ""}, {"btn_prof0", "0", "Ann"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Eval(std::string("SetButtonToggleState('") + c.button + "', true)");
        EXPECT_EQ(Eval("GetCurrentSelectedUser()"), c.user);
        EXPECT_EQ(Eval("GetSelectedPlayerName()"), c.name);
    }

    // The one-argument SetCurrentUser: the menu refreshed with false.
    mMenu.refreshes.clear();
    Eval("SetCurrentUser(2, true)");
    EXPECT_EQ(mSettings->GetCurrentUser(), 2);
    EXPECT_EQ(mMenu.refreshes, std::vector<bool>{false});

    // Without the window two of them answer defaults; the others still work.
    ASSERT_TRUE(mManager->DoPopModal(mManager->GetTopModal()->GetIdString()));
    Pump();
    EXPECT_EQ(Eval("GetCurrentSelectedUser()"), "0");
    EXPECT_EQ(Eval("GetSelectedPlayerName()"), "");
    Eval("SetCurrentUser(1)");
    EXPECT_EQ(mSettings->GetCurrentUser(), 1);
    ASSERT_TRUE(Run("got = nil; SetPlayerChoices()"));
    EXPECT_EQ(Eval("got.current"), "1");
}

TEST_F(PlayerChoiceTest, TheFirstKeyReplacesThePromptWithATypingClick)
{
    TCustomTextEdit* edit = EditDialog("clearinitial = true, enablewindow = 'btn_ok', label = 'Your name?'");
    ASSERT_NE(edit, nullptr) << mLog.Text();
    EXPECT_STREQ(edit->GetClassName(), "TCustomTextEdit");
    EXPECT_FALSE(edit->IsCleared());
    EXPECT_STREQ(edit->GetText().c_str(), "Your name?");
    const size_t before = Voices();
    Type("J");
    EXPECT_STREQ(edit->GetText().c_str(), "J");
    EXPECT_TRUE(edit->IsCleared());
    EXPECT_EQ(Voices(), before + 1);
    EXPECT_TRUE(IsShown("btn_ok"));
    Type("o");
    EXPECT_STREQ(edit->GetText().c_str(), "Jo");
    EXPECT_EQ(Voices(), before + 2);
}

TEST_F(PlayerChoiceTest, APromptGoesOnTheFirstReleaseOrKey)
{
    struct Case {
        const char* what;
        bool click;
        int32_t key;
    } const cases[] = {{"click", true, 0}, {"backspace", false, kBackspace}, {"enter", false, kEnter}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TCustomTextEdit* edit = EditDialog("clearinitial = true, enablewindow = 'btn_ok', label = 'Prompt'");
        ASSERT_NE(edit, nullptr);
        const size_t before = Voices();
        if (c.click)
            Click(edit);
        else
            Type(std::string(1, char(c.key)));
        EXPECT_STREQ(edit->GetText().c_str(), "");
        EXPECT_TRUE(edit->IsCleared());
        EXPECT_FALSE(IsShown("btn_ok"));
        EXPECT_EQ(Voices(), before);
        // Cleared once: later text stays through clicks.
        Type("Al");
        Click(edit);
        EXPECT_STREQ(edit->GetText().c_str(), "Al");
        ASSERT_TRUE(mManager->DoPopModal(mManager->GetTopModal()->GetIdString()));
        Pump();
    }
}

TEST_F(PlayerChoiceTest, TheAcceptButtonFollowsTheText)
{
    TCustomTextEdit* edit = EditDialog("enablewindow = 'btn_ok', label = '', length = 4");
    ASSERT_NE(edit, nullptr);
    Eval("EnableWindow('btn_ok', false)");
    // Each step: keys (a string typed, or a key code), the text after it, the
    // button shown, the typing clicks it plays.
    struct Step {
        const char* typed;
        int32_t key;
        const char* text;
        bool shown;
        size_t clicks;
    } const steps[] = {
        {"a", 0, "a", true, 1},       {"\b", 0, "", false, 0},    {"\b", 0, "", false, 0},
        {"wxyz", 0, "wxyz", true, 4}, {"!", 0, "wxyz", true, 0},  {"\b\b\b", 0, "w", true, 0},
        {nullptr, 37, "w", true, 0},  {nullptr, kDelete, "", false, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.typed ? s.typed : std::to_string(s.key));
        const size_t before = Voices();
        if (s.typed)
            Type(s.typed);
        else
            Key(s.key);
        EXPECT_STREQ(edit->GetText().c_str(), s.text);
        EXPECT_EQ(IsShown("btn_ok"), s.shown);
        EXPECT_EQ(Voices(), before + s.clicks);
    }
}

TEST_F(PlayerChoiceTest, MarkupCharactersAreShownAsTyped)
{
    TCustomTextEdit* edit = EditDialog("length = 20, label = 'x\\\\y'");
    ASSERT_NE(edit, nullptr);
    mManager->SetFocus(nullptr);
    edit->Update();
    EXPECT_EQ(Shown(edit), "x\\\\y");
    mManager->SetFocus(edit);
    Type("<b>\\");
    mManager->SetFocus(nullptr);
    edit->Update();
    EXPECT_STREQ(edit->GetText().c_str(), "x\\y<b>\\");
    EXPECT_EQ(Shown(edit), "x\\\\y\\<b>\\\\");
}

TEST_F(PlayerChoiceTest, TheScreensMakeRenameDeleteAndChooseAPlayer)
{
    ASSERT_TRUE(Run("return function() result = DoModal('scripts/chooseplayer.lua') end")) << mLog.Text();
    ASSERT_TRUE(mScript->IsWaiting()) << mLog.Text();
    ASSERT_NE(Find("chooseplayer"), nullptr);
    // Every button lies on the panel, which lies on the screen.
    const TRect panel = Find("panel")->GetScreenRect();
    EXPECT_TRUE(panel.left >= 0 && panel.top >= 0 && panel.right <= 800 && panel.bottom <= 600);
    for (const char* name : {"btn_prof0", "btn_prof9", "btn_new", "btn_rename", "btn_delete", "btn_play", "btn_back"}) {
        const TRect r = Find(name)->GetScreenRect();
        EXPECT_TRUE(r.left >= panel.left && r.top >= panel.top && r.right <= panel.right && r.bottom <= panel.bottom)
            << name;
    }
    EXPECT_FALSE(IsShown("btn_prof0"));
    EXPECT_FALSE(IsShown("btn_play"));

    // A new player, typed with characters that mean something to Lua and
    // to the text markup.
    const std::string typed = "O'Ne\\il<b>]]--";
    Click(Find("btn_new"));
    ASSERT_NE(Find("entername"), nullptr) << mLog.Text();
    TCustomTextEdit* edit = Edit("txt_name");
    ASSERT_NE(edit, nullptr);
    EXPECT_STREQ(edit->GetText().c_str(), "Type your name");
    EXPECT_FALSE(IsShown("btn_ok"));
    Type(typed);
    EXPECT_TRUE(IsShown("btn_ok"));
    Click(Find("btn_ok"));
    ASSERT_EQ(mSettings->GetNumUsers(), 1) << mLog.Text();
    EXPECT_EQ(std::string(mSettings->GetUserName(0).c_str()), typed);
    EXPECT_EQ(mSettings->GetCurrentUser(), 0);
    EXPECT_TRUE(IsShown("btn_prof0"));
    EXPECT_FALSE(IsShown("btn_prof1"));
    EXPECT_EQ(Shown(Find("btn_prof0")->FindChild(TString("label"))), "O'Ne\\\\il\\<b>]]--");
    EXPECT_TRUE(IsShown("btn_play"));

    // Names refused in the entry dialog, which stays open saying why.
    const struct {
        const char* typed;
        const char* error;
    } refused[] = {{"   ", "Empty"}, {typed.c_str(), "Taken"}};
    for (const auto& r : refused) {
        SCOPED_TRACE(r.typed);
        Click(Find("btn_new"));
        Type(r.typed);
        Click(Find("btn_ok"));
        ASSERT_NE(Find("entername"), nullptr);
        EXPECT_EQ(Shown(Find("txt_error")), r.error);
        Click(Find("btn_cancel"));
        EXPECT_EQ(Find("entername"), nullptr);
        EXPECT_EQ(mSettings->GetNumUsers(), 1);
    }

    // Renamed: the field starts with the name, not a prompt.
    Click(Find("btn_rename"));
    edit = Edit("txt_name");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(std::string(edit->GetText().c_str()), typed);
    EXPECT_TRUE(IsShown("btn_ok"));
    Type("\b\b\b\b\b\b\b\b\b\b\b\b\b\b");
    EXPECT_FALSE(IsShown("btn_ok"));
    Type("Ann\r"); // Enter presses OK
    EXPECT_EQ(Find("entername"), nullptr);
    EXPECT_STREQ(mSettings->GetUserName(0).c_str(), "Ann");

    // A second player, deleted after a No and then a Yes.
    Click(Find("btn_new"));
    Type("Bea");
    Click(Find("btn_ok"));
    ASSERT_EQ(mSettings->GetNumUsers(), 2);
    EXPECT_EQ(mSettings->GetCurrentUser(), 1);
    EXPECT_EQ(Eval("GetCurrentSelectedUser()"), "1");
    for (const char* answer : {"btn_no", "btn_yes"}) {
        SCOPED_TRACE(answer);
        Click(Find("btn_delete"));
        ASSERT_NE(Find("deleteplayer"), nullptr);
        EXPECT_EQ(Shown(Find("txt_name")), "Bea");
        Click(Find(answer));
    }
    EXPECT_EQ(mSettings->GetNumUsers(), 1);
    EXPECT_FALSE(IsShown("btn_prof1"));

    // A full class has no New button.
    for (int i = 1; i < TChoosePlayer::kProfileButtons; ++i)
        mSettings->CreateNewUser(StrFormat("P%d", i));
    ASSERT_TRUE(Run("SetPlayerChoices()"));
    EXPECT_FALSE(IsShown("btn_new"));
    EXPECT_TRUE(IsShown("btn_prof9"));

    // Choosing a player and playing.
    Click(Find("btn_prof3"));
    EXPECT_EQ(Eval("GetButtonToggleState('btn_prof3')"), "true");
    EXPECT_EQ(Eval("GetButtonToggleState('btn_prof9')"), "false");
    EXPECT_EQ(Eval("GetCurrentSelectedUser()"), "3");
    EXPECT_EQ(mSettings->GetCurrentUser(), 3);
    Click(Find("btn_play"));
    EXPECT_EQ(Eval("result"), "play");
    EXPECT_EQ(mSettings->GetCurrentUser(), 3);
    EXPECT_FALSE(LuaFailed()) << mLog.Text();
}

} // namespace
