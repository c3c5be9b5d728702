#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"
#include "ui/Liveness.h"

struct lua_State;
class GameSettingsHost;
class TPrefs;

// The main menu as the settings see it: refreshed after every change of the
// current user. The menu sets itself and clears itself when it goes.
class GameSettingsMenu {
public:
    virtual void Refresh(bool flag) = 0;

protected:
    ~GameSettingsMenu() = default;
};

// Player profiles and per-player options over the preferences store
// ("user:prefs.dat"). The shared slot is user -1; profiles are users 0, 1,
// ... in order of creation. The current user is the shared "curuser".
// Main thread only; one instance.
class GameSettings {
public:
    // Cipher key of the preferences store: never change it, or every
    // player's file becomes unreadable.
    static constexpr const char* kPrefsKey = "QuillKeyMaps";
    // Earnings from which a player may play with honours.
    static constexpr int32_t kHonorsEarnings = 4000000;

    // Replaces any instance by a new one: registers the Lua functions in
    // the window manager's script (when there is one), sets the cipher key,
    // loads the store and applies the current user's sound. A null host
    // is the application's; a given one is not owned.
    static GameSettings* Create(GameSettingsHost* host = nullptr);
    static GameSettings* Instance();
    // Deletes the instance and its store without writing it.
    static void Destroy();

    ~GameSettings();
    GameSettings(const GameSettings&) = delete;
    GameSettings& operator=(const GameSettings&) = delete;

    // Opens the 800 x 600 display, full screen unless the current user's
    // "fullscreen" is other than 1, and applies the user's sound.
    void ApplyStartup();
    // The display mode may have changed: remember it in the shared slot.
    void OnDisplayModeChanged();
    bool IsFullScreen() const;
    // Sets the group volumes and the master volume from the current user's
    // levels and mute.
    void ApplyUserSound();

    int32_t GetCurrentUser() const;
    TString GetCurrentUserName() const;
    TString GetUserName(int32_t user) const;
    // The current user's key (the shared slot while there is none). Writes
    // go to the file at once; a current user that names no profile stores
    // nothing (logged).
    int32_t GetUserInt(const TString& key, int32_t def) const;
    void SetUserInt(const TString& key, int32_t value);
    int32_t GetEarnings() const;
    // Saturates at the limits of a 32-bit integer.
    void AddEarnings(int32_t amount);
    bool GetHonorsEngaged() const;
    // Kept in memory; reaches the file with the next write.
    void SetHonorsEngaged(bool engaged);
    bool IsHonorsAvailable() const;
    // The string-table text of "rank1" to "rank8" for the current user's
    // earnings against the thresholds "rank1n" to "rank7n".
    TString GetRankTitle() const;
    // The setting as an integer; `def` when it is empty or missing.
    static int32_t GetConfigInt(const TString& key, int32_t def);

    // Scripts' functions (registered under these names).
    bool ToggleFullScreen();
    void ToggleSoundMute();
    void SetCurrentGameMode(int32_t mode);
    int32_t GetNumUsers() const;
    void CreateNewUser(const TString& name);
    void SetCurrentUser(int32_t index, bool flag);
    void ChangeCurrentUserName(const TString& name);
    void DeleteUser(int32_t index);
    bool IsNameInUse(const TString& name) const;
    void QuitToMainMenu();

    // Publishes the ten functions above as Lua globals bound to this object
    // (no-ops once it is gone).
    void RegisterLua(lua_State* L);

    void SetMainMenu(GameSettingsMenu* menu) { mMainMenu = menu; }
    GameSettingsMenu* GetMainMenu() const { return mMainMenu; }
    GameSettingsHost* GetHost() const { return mHost; }
    int32_t GetGameMode() const { return mGameMode; }
    TPrefs& GetStore() const { return *mStore; }
    const TLiveness& GetLiveness() const { return mLiveness; }

private:
    explicit GameSettings(GameSettingsHost* host);

    // False (logged) when `user` names neither the shared slot nor a profile.
    bool IsWritable(int32_t user, const char* key) const;
    void ApplySound(int32_t user);

    GameSettingsHost* mHost;
    std::unique_ptr<GameSettingsHost> mOwnHost;
    std::unique_ptr<TPrefs> mStore;
    GameSettingsMenu* mMainMenu = nullptr;
    int32_t mGameMode = 0;
    TLiveness mLiveness;
};
