#include "game/show/GameSettingsHost.h"

#include "app/Application.h"
#include "platform/StringTable.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"

void GameSettingsHost::CreateDisplay(int32_t width, int32_t height, bool fullScreen)
{
    if (TApplication* app = TApplication::Instance())
        app->CreateDisplay(width, height, fullScreen);
}

bool GameSettingsHost::IsFullScreen()
{
    TApplication* app = TApplication::Instance();
    return app && app->IsFullScreen();
}

bool GameSettingsHost::SetFullScreen(bool fullScreen)
{
    TApplication* app = TApplication::Instance();
    return app && app->SetFullScreen(fullScreen);
}

TSoundManager* GameSettingsHost::GetSoundManager()
{
    TApplication* app = TApplication::Instance();
    TSoundManager* sound = app ? app->GetSoundManager() : nullptr;
    return sound ? sound : TSoundManager::Current();
}

TWindowManager* GameSettingsHost::GetWindowManager()
{
    TApplication* app = TApplication::Instance();
    TWindowManager* windows = app ? app->GetWindowManager() : nullptr;
    return windows ? windows : ::GetWindowManager();
}

TString GameSettingsHost::GetString(const TString& label)
{
    TApplication* app = TApplication::Instance();
    TStringTable* strings = app ? app->GetStringTable() : nullptr;
    TString text;
    if (strings)
        strings->GetString(text, label, TString(), TString(), TString(), TString(), TString());
    else
        text = label;
    return text;
}
