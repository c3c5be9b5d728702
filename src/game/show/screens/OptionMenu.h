#pragma once
#include "ui/Window.h"

class GameSettings;
class TButton;
class TSlider;
class TWindowManager;

// The current player's options dialog ("OptionsMenu" in scripts): full
// screen, subtitles and mute toggles ("btn_fullscreen", "btn_subtitles",
// "btn_mute"), sound and voice sliders ("slider_sound", "slider_vo"), and
// the buttons "btn_credits" (opens "scripts/credits.lua") and "btn_exit".
// The widgets show the stored values when the dialog is built; nothing is
// stored until "btn_exit", which stores and applies them and pops the
// modal "options menu" (the name the dialog must be pushed under). A
// missing widget keeps its stored value. Main thread only.
class OptionMenu : public TWindow {
public:
    static constexpr const char* kModalName = "options menu";
    static constexpr const char* kCreditsCode = "DoModal( 'scripts/credits.lua' );";

    OptionMenu();
    ~OptionMenu() override;

    const char* GetClassName() const override { return "OptionMenu"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&OptionMenu::GetCreator); }

    // Loads the stored values into the widgets, then the base's PostInit.
    void PostInit(const TStyle& style) override;
    // Button presses "btn_exit" and "btn_credits"; never handled, so the
    // script sees every message too.
    bool OnMessage(TMessage* message) override;

    // A slider's value as a stored level: x 1000, truncated.
    static int32_t SliderLevel(float value);

private:
    void LoadValues(GameSettings& settings);
    void StoreValues(GameSettings& settings);
    void Close();
    void OpenCredits();
    // The named descendant as a button / slider; null (logged) otherwise.
    TButton* FindToggle(const char* name);
    TSlider* FindSlider(const char* name);
};

// Makes "OptionsMenu" a window type of the manager's scripts; false without
// a manager or when the script refuses it.
bool RegisterOptionMenu(TWindowManager* windows);
