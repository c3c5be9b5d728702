#pragma once
#include <cstdint>
#include <memory>

#include "game/show/GameSettings.h"
#include "ui/Liveness.h"
#include "ui/Window.h"

class TSound;
class TSoundInstance;
class TWindowManager;
namespace KEvent {
class Event;
}

// The title screen ("MainMenu" in scripts): greets the current player and
// shows their winnings, rank and, when they have a saved show, the
// "btn_ContinueGame" button; plays the cold-open music. Its script owns the
// buttons; it gives the scripts SetWelcomeName, StopMusic, HonorsAvail,
// SetHonors and PlayHonorsVO. The settings refresh it when the player
// changes and the show's end does. Main thread only.
class TMainMenu : public TWindow, public GameSettingsMenu {
public:
    static constexpr const char* kMusic = "music/coldopen_dv.ogg?group=";
    static constexpr int32_t kHonorsLine = 108;

    TMainMenu();
    ~TMainMenu() override;

    const char* GetClassName() const override { return "TMainMenu"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TMainMenu::GetCreator); }

    void PostInit(const TStyle& style) override;
    // The texts and the Continue button from the current player; the music
    // starts when none plays unless keepMusic. A continue asked for before
    // is forgotten: the choice comes after the last refresh.
    void Refresh(bool keepMusic) override;

    void SetWelcomeName();
    void StopMusic();
    bool HonorsAvail();
    void SetHonors(bool on);
    void PlayHonorsVO();

    // "0", "999", "1,000", "-2,500": groups of three digits.
    static TString FormatMoney(int32_t amount);

    const std::shared_ptr<TSoundInstance>& GetMusicVoice() const { return mMusicVoice; }
    const std::shared_ptr<KEvent::Event>& GetHonorsEvent() const { return mHonorsEvent; }
    const TLiveness& GetLiveness() const { return mLiveness; }

private:
    std::shared_ptr<TSound> mMusic;
    std::shared_ptr<TSoundInstance> mMusicVoice;
    std::shared_ptr<KEvent::Event> mHonorsEvent;
    TLiveness mLiveness;
};

// Makes "MainMenu" a window type of the manager's scripts; false without a
// manager or when the script refuses it.
bool RegisterMainMenu(TWindowManager* windows);
