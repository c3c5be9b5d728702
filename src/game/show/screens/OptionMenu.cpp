#include "game/show/screens/OptionMenu.h"

#include "game/show/GameSettings.h"
#include "game/show/GameSettingsHost.h"
#include "platform/Log.h"
#include "ui/Button.h"
#include "ui/Slider.h"
#include "ui/WindowManager.h"

namespace {

constexpr const char* kFullScreenButton = "btn_fullscreen";
constexpr const char* kSubtitlesButton = "btn_subtitles";
constexpr const char* kMuteButton = "btn_mute";
constexpr const char* kSoundSlider = "slider_sound";
constexpr const char* kVoiceSlider = "slider_vo";
constexpr const char* kExitButton = "btn_exit";
constexpr const char* kCreditsButton = "btn_credits";

constexpr int32_t kDefaultLevel = 750;

GameSettings* Settings()
{
    GameSettings* settings = GameSettings::Instance();
    if (!settings)
        WriteLog("OptionMenu: no game settings; the options are neither shown nor stored");
    return settings;
}

} // namespace

bool RegisterOptionMenu(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("OptionsMenu"), &OptionMenu::GetCreator);
}

TWindow* OptionMenu::GetCreator()
{
    return new OptionMenu();
}

OptionMenu::OptionMenu() = default;
OptionMenu::~OptionMenu() = default;

int32_t OptionMenu::SliderLevel(float value)
{
    return int32_t(value * 1000.0f);
}

TButton* OptionMenu::FindToggle(const char* name)
{
    TButton* button = CastToButton(FindChild(TString(name)));
    if (!button)
        WriteLog("OptionMenu: no button \"%s\"; its option keeps its stored value", name);
    return button;
}

TSlider* OptionMenu::FindSlider(const char* name)
{
    TSlider* slider = TWindow::Cast<TSlider>(FindChild(TString(name)));
    if (!slider)
        WriteLog("OptionMenu: no slider \"%s\"; its level keeps its stored value", name);
    return slider;
}

void OptionMenu::PostInit(const TStyle& style)
{
    if (GameSettings* settings = Settings())
        LoadValues(*settings);
    TWindow::PostInit(style);
}

void OptionMenu::LoadValues(GameSettings& settings)
{
    if (TButton* button = FindToggle(kFullScreenButton))
        button->SetToggleState(settings.IsFullScreen());
    if (TButton* button = FindToggle(kSubtitlesButton))
        button->SetToggleState(settings.GetUserInt(TString("useSubtitles"), 0) == 1);
    if (TButton* button = FindToggle(kMuteButton))
        button->SetToggleState(settings.GetUserInt(TString("soundoff"), 0) == 1);
    // Not quiet: each slider reports its change, which nobody acts on.
    if (TSlider* slider = FindSlider(kSoundSlider))
        slider->SetValue(float(settings.GetUserInt(TString("soundlevel"), kDefaultLevel) / 1000.0), false);
    if (TSlider* slider = FindSlider(kVoiceSlider))
        slider->SetValue(float(settings.GetUserInt(TString("volevel"), kDefaultLevel) / 1000.0), false);
}

bool OptionMenu::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgButtonPress)
        return false;
    if (message->GetName() == kExitButton)
        Close();
    else if (message->GetName() == kCreditsButton)
        OpenCredits();
    return false;
}

void OptionMenu::Close()
{
    if (GameSettings* settings = Settings()) {
        StoreValues(*settings);
        settings->ApplyUserSound();
    }
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->DoPopModal(TString(kModalName)))
        WriteLog("OptionMenu: no modal \"%s\" to close", kModalName);
}

void OptionMenu::StoreValues(GameSettings& settings)
{
    if (TButton* button = FindToggle(kSubtitlesButton))
        settings.SetUserInt(TString("useSubtitles"), button->IsOn() ? 1 : 0);
    if (TButton* button = FindToggle(kFullScreenButton)) {
        settings.SetUserInt(TString("fullscreen"), button->IsOn() ? 1 : 0);
        // The stored choice stands even when the display cannot switch.
        if (GameSettingsHost* host = settings.GetHost())
            host->SetFullScreen(button->IsOn());
    }
    if (TButton* button = FindToggle(kMuteButton))
        settings.SetUserInt(TString("soundoff"), button->IsOn() ? 1 : 0);
    if (TSlider* slider = FindSlider(kSoundSlider))
        settings.SetUserInt(TString("soundlevel"), SliderLevel(slider->GetValue()));
    if (TSlider* slider = FindSlider(kVoiceSlider))
        settings.SetUserInt(TString("volevel"), SliderLevel(slider->GetValue()));
}

void OptionMenu::OpenCredits()
{
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->RunWindowString(this, TString(kCreditsCode)))
        WriteLog("OptionMenu: the credits did not open");
}
