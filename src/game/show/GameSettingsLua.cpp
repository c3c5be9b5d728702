#include "game/show/GameSettings.h"

#include "ui/LuaBinding.h"

void GameSettings::RegisterLua(lua_State* L)
{
    if (!L)
        return;
    using S = GameSettings;
    LuaBind<&S::ToggleFullScreen>(L, "ToggleFullScreen", this);
    LuaBind<&S::ToggleSoundMute>(L, "ToggleSoundMute", this);
    LuaBind<&S::SetCurrentGameMode>(L, "SetCurrentGameMode", this);
    LuaBind<&S::GetNumUsers>(L, "GetNumUsers", this);
    LuaBind<&S::CreateNewUser>(L, "CreateNewUser", this);
    LuaBind<&S::SetCurrentUser>(L, "SetCurrentUser", this);
    LuaBind<&S::ChangeCurrentUserName>(L, "ChangeCurrentUserName", this);
    LuaBind<&S::DeleteUser>(L, "DeleteUser", this);
    LuaBind<&S::IsNameInUse>(L, "IsNameInUse", this);
    LuaBind<&S::QuitToMainMenu>(L, "QuitToMainMenu", this);
}
