#include "game/show/screens/MainMenu.h"

#include <cstdio>
#include <string>

#include "game/show/GameRecord.h"
#include "game/show/ShowController.h"
#include "game/show/event/Event.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/screens/ScreenChildren.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOTable.h"
#include "platform/Log.h"
#include "sound/Sound.h"
#include "sound/SoundGroup.h"
#include "sound/SoundInstance.h"
#include "ui/LuaBinding.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

void SetChildText(TWindow& menu, const char* name, const TString& text)
{
    if (TText* child = TWindow::Cast<TText>(menu.FindChild(TString(name))))
        child->SetText(text);
    else
        WriteLog("MainMenu: no text \"%s\"", name);
}

void ShowChild(TWindow& menu, const char* name, bool shown)
{
    if (TWindow* child = menu.FindChild(TString(name)))
        child->SetFlags(shown ? uint32_t(kWindowShown) : 0u);
    else
        WriteLog("MainMenu: no \"%s\"", name);
}

} // namespace

bool RegisterMainMenu(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("MainMenu"), &TMainMenu::GetCreator);
}

TWindow* TMainMenu::GetCreator()
{
    return new TMainMenu();
}

TMainMenu::TMainMenu()
{
    TWindowScript* script = GetWindowScript();
    if (lua_State* L = script ? script->GetState() : nullptr) {
        LuaBind<&TMainMenu::SetWelcomeName>(L, "SetWelcomeName", this);
        LuaBind<&TMainMenu::StopMusic>(L, "StopMusic", this);
        LuaBind<&TMainMenu::HonorsAvail>(L, "HonorsAvail", this);
        LuaBind<&TMainMenu::SetHonors>(L, "SetHonors", this);
        LuaBind<&TMainMenu::PlayHonorsVO>(L, "PlayHonorsVO", this);
    } else {
        WriteLog("MainMenu: no window script; its functions are not bound");
    }
    if (GameSettings* settings = GameSettings::Instance())
        settings->SetMainMenu(this);
    else
        WriteLog("MainMenu: no player settings; the menu shows no player");
    mMusic = TSound::Create(TString(kMusic), true, -1);
}

TMainMenu::~TMainMenu()
{
    // Nobody refreshes a menu that is gone.
    GameSettings* settings = GameSettings::Instance();
    if (settings && settings->GetMainMenu() == this)
        settings->SetMainMenu(nullptr);
    StopMusic();
    // The honours line is let go, not cut: it runs to its end by itself.
    mHonorsEvent.reset();
}

void TMainMenu::PostInit(const TStyle& style)
{
    TWindow::PostInit(style);
    Refresh(false);
}

void TMainMenu::Refresh(bool keepMusic)
{
    if (!keepMusic && !mMusicVoice && mMusic)
        mMusicVoice = mMusic->Play(0);
    SetWelcomeName();
    GameSettings* settings = GameSettings::Instance();
    SetChildText(*this, "txt_earnings", TString("$ ") + FormatMoney(settings ? settings->GetEarnings() : 0));
    SetChildText(*this, "txt_rank", settings ? settings->GetRankTitle() : TString());
    // Only a save the show would accept is offered.
    ShowChild(*this, "btn_ContinueGame", settings && settings->GetNumUsers() > 0 && GameRecord::HasSavedShow());
    ShowController::Instance()->GetRecord().continueSavedShow = false;
}

void TMainMenu::SetWelcomeName()
{
    TWindow* welcome = FindChild(TString("txt_welcome"));
    if (!welcome)
        return;
    GameSettings* settings = GameSettings::Instance();
    if (!settings || settings->GetNumUsers() == 0) {
        welcome->SetFlags(0);
        return;
    }
    TString text = ShowScreens::LookupLabel(TString("welcome"));
    text.Replace(TString("%1%"), settings->GetCurrentUserName(), TString::kAll);
    if (TText* label = TWindow::Cast<TText>(welcome))
        label->SetText(text);
    welcome->SetFlags(kWindowShown);
}

void TMainMenu::StopMusic()
{
    if (!mMusicVoice)
        return;
    mMusicVoice->Stop();
    mMusicVoice.reset();
}

bool TMainMenu::HonorsAvail()
{
    GameSettings* settings = GameSettings::Instance();
    return settings && settings->IsHonorsAvailable();
}

void TMainMenu::SetHonors(bool on)
{
    if (mHonorsEvent && !mHonorsEvent->IsFinished())
        mHonorsEvent->Skip();
    mHonorsEvent.reset();
    if (GameSettings* settings = GameSettings::Instance())
        settings->SetHonorsEngaged(on);
}

void TMainMenu::PlayHonorsVO()
{
    std::shared_ptr<KVO::KVOElem> line = KVO::VOTable::Instance()->FindById(kHonorsLine);
    if (!line) {
        WriteLog("MainMenu: no voice-over line %d for the honours", int(kHonorsLine));
        return;
    }
    mHonorsEvent = KEvent::MakePlaySound(line->AudioFile, kSoundGroupVoice);
}

TString TMainMenu::FormatMoney(int32_t amount)
{
    // The magnitude in 64 bits: the lowest amount has no 32-bit opposite.
    int64_t rest = amount < 0 ? -int64_t(amount) : int64_t(amount);
    std::string text;
    for (; rest >= 1000; rest /= 1000) {
        char group[8];
        std::snprintf(group, sizeof group, ",%03d", int(rest % 1000));
        text.insert(0, group);
    }
    text.insert(0, std::to_string(rest));
    if (amount < 0)
        text.insert(0, "-");
    return TString(text.c_str());
}
