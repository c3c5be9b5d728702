#pragma once
#include <cstdint>
#include <vector>

#include "platform/TString.h"
#include "ui/Liveness.h"
#include "ui/Window.h"

class TWindowManager;

// The player choice window (window type "ChoosePlayerWindow"). Its script
// builds up to ten profile buttons "btn_prof0".."btn_prof9" and defines the
// global UpdatePlayerChoices(current, count, names) before the window is
// made: once built, the window hands it the current profile (-1 for none),
// the number of profiles and the names of the first ten. Making the window
// publishes four Lua globals:
//   SetPlayerChoices()        the call above again (after a change)
//   GetCurrentSelectedUser()  the first toggled profile button, 0 if none
//   GetSelectedPlayerName()   that profile's name, "" if it has none
//   SetCurrentUser(index)     makes the profile current, the menu refreshed
//                             with the flag false (a second argument is
//                             ignored)
// SetPlayerChoices and SetCurrentUser work without the window; the other
// two answer 0 and "" once it is gone. Main thread only.
class TChoosePlayer : public TWindow {
public:
    static constexpr int32_t kProfileButtons = 10;

    TChoosePlayer();
    ~TChoosePlayer() override;

    const char* GetClassName() const override { return "TChoosePlayer"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TChoosePlayer::GetCreator); }

    // The window's own set-up, then the profiles handed to the script.
    void PostInit(const TStyle& style) override;

    int32_t GetCurrentSelectedUser();
    TString GetSelectedPlayerName();
    const TLiveness& GetLiveness() const { return mLiveness; }

    // "btn_prof<index>".
    static TString ButtonName(int32_t index);
    // The Lua call handing the profiles to the script; at most the first
    // kProfileButtons names go in, each as a quoted Lua string, so a name
    // is only ever data.
    static TString ChoicesCall(int32_t current, int32_t count, const std::vector<TString>& names);
    // Runs ChoicesCall for the settings' profiles in the window script.
    static void SetPlayerChoices();
    static void SetCurrentUser(int32_t index);

private:
    TLiveness mLiveness;
};

// Text as a Lua string literal: quotes, backslashes and every byte outside
// printable ASCII written as escapes.
TString LuaQuoted(const TString& text);

// Makes "ChoosePlayerWindow" a window type of the manager's scripts; false
// without a manager or when the script refuses it.
bool RegisterChoosePlayer(TWindowManager* windows);
