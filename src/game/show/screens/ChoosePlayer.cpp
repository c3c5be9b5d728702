#include "game/show/screens/ChoosePlayer.h"

#include <cstdio>
#include <string>

#include "game/show/GameSettings.h"
#include "platform/Log.h"
#include "ui/Button.h"
#include "ui/LuaBinding.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

bool RegisterChoosePlayer(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("ChoosePlayerWindow"), &TChoosePlayer::GetCreator);
}

TString LuaQuoted(const TString& text)
{
    std::string out = "'";
    for (uint32_t i = 0; i < text.Length(); ++i) {
        const auto c = static_cast<unsigned char>(text.c_str()[i]);
        if (c == '\'' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 32 && c < 127) {
            out += char(c);
        } else {
            // Three digits, so a digit after it is not read into it.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03u", unsigned(c));
            out += escape;
        }
    }
    out += '\'';
    return TString(out.c_str(), uint32_t(out.size()));
}

TWindow* TChoosePlayer::GetCreator()
{
    return new TChoosePlayer();
}

TChoosePlayer::TChoosePlayer()
{
    TWindowScript* script = GetWindowScript();
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L) {
        WriteLog("TChoosePlayer: no window script; its functions are not bound");
        return;
    }
    LuaBind<&TChoosePlayer::SetPlayerChoices>(L, "SetPlayerChoices");
    LuaBind<&TChoosePlayer::GetCurrentSelectedUser>(L, "GetCurrentSelectedUser", this);
    LuaBind<&TChoosePlayer::GetSelectedPlayerName>(L, "GetSelectedPlayerName", this);
    LuaBind<&TChoosePlayer::SetCurrentUser>(L, "SetCurrentUser");
}

TChoosePlayer::~TChoosePlayer() = default;

void TChoosePlayer::PostInit(const TStyle& style)
{
    TWindow::PostInit(style);
    SetPlayerChoices();
}

TString TChoosePlayer::ButtonName(int32_t index)
{
    return StrFormat("btn_prof%d", index);
}

int32_t TChoosePlayer::GetCurrentSelectedUser()
{
    for (int32_t i = 0; i < kProfileButtons; ++i) {
        TButton* button = TWindow::Cast<TButton>(FindChild(ButtonName(i)));
        if (button && button->IsOn())
            return i;
    }
    return 0;
}

TString TChoosePlayer::GetSelectedPlayerName()
{
    const GameSettings* settings = GameSettings::Instance();
    const int32_t user = GetCurrentSelectedUser();
    if (!settings || user >= settings->GetNumUsers())
        return TString();
    return settings->GetUserName(user);
}

TString TChoosePlayer::ChoicesCall(int32_t current, int32_t count, const std::vector<TString>& names)
{
    std::string table = "{";
    for (size_t i = 0; i < names.size() && i < size_t(kProfileButtons); ++i) {
        table += LuaQuoted(names[i]).c_str();
        table += ',';
    }
    table += '}';
    const std::string call =
        "UpdatePlayerChoices( " + std::to_string(current) + ", " + std::to_string(count) + ", " + table + " )";
    return TString(call.c_str(), uint32_t(call.size()));
}

void TChoosePlayer::SetPlayerChoices()
{
    const GameSettings* settings = GameSettings::Instance();
    const int32_t count = settings ? settings->GetNumUsers() : 0;
    std::vector<TString> names;
    for (int32_t i = 0; i < count && i < kProfileButtons; ++i)
        names.push_back(settings->GetUserName(i));
    const int32_t current = settings ? settings->GetCurrentUser() : -1;
    TWindowManager* manager = GetWindowManager();
    TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
    if (!script) {
        WriteLog("SetPlayerChoices: no window script");
        return;
    }
    script->RunString(ChoicesCall(current, count, names));
}

void TChoosePlayer::SetCurrentUser(int32_t index)
{
    if (GameSettings* settings = GameSettings::Instance())
        settings->SetCurrentUser(index, false);
    else
        WriteLog("SetCurrentUser(%d): no game settings", index);
}
