#include "game/show/ShowScriptLua.h"

#include "game/show/GameSettings.h"
#include "game/show/ShowController.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/vo/VOTable.h"
#include "platform/Log.h"
#include "ui/LuaBinding.h"

namespace {

void StartIdleAnimations()
{
    Quillory::IdleAnimController::Instance()->Start();
}

void StopIdleAnimations()
{
    if (Quillory::IdleAnimController* idle = Quillory::IdleAnimController::Existing())
        idle->Stop();
}

bool PlayVoiceOver(int32_t id)
{
    std::shared_ptr<KVO::KVOElem> row = KVO::VOTable::Instance()->FindById(id);
    if (!row) {
        WriteLog("PlayVoiceOver: no voice-over row %d", id);
        return false;
    }
    // The line's events run by themselves.
    row->MakePlayEvent();
    return true;
}

void StudioTour(bool on)
{
    ShowController::Instance()->SetStudioTour(on);
}

void UseSubtitles(bool on)
{
    GameSettings::Instance()->SetUserInt(TString("useSubtitles"), on ? 1 : 0);
}

// The main menu's choice: the next show continues the player's saved show.
// Without an argument it asks for the saved show, as the menus call it.
int SetContinue(lua_State* L)
{
    const bool on = lua_isnoneornil(L, 1) || lua_toboolean(L, 1);
    ShowController::Instance()->GetRecord().continueSavedShow = on;
    return 0;
}

bool HasSavedShow()
{
    return GameRecord::HasSavedShow();
}

} // namespace

void RegisterShowScriptLua(lua_State* L)
{
    if (!L)
        return;
    LuaBind<&StartIdleAnimations>(L, "StartIdleAnimations");
    LuaBind<&StopIdleAnimations>(L, "StopIdleAnimations");
    LuaBind<&PlayVoiceOver>(L, "PlayVoiceOver");
    LuaBind<&UseSubtitles>(L, "UseSubtitles");
    LuaBind<&StudioTour>(L, "StudioTour");
    LuaBind<&SetContinue>(L, "SetContinue");
    LuaBind<&HasSavedShow>(L, "HasSavedShow");
}
