#include "game/show/GameSettings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "game/show/GameSettingsHost.h"
#include "platform/Log.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"
#include "script/Script.h"
#include "sound/SoundGroup.h"
#include "sound/SoundManager.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"

namespace {

GameSettings* gInstance = nullptr;

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenHeight = 600;
constexpr int32_t kDefaultLevel = 750;
constexpr int32_t kMaxLevel = 1000;
constexpr int kRankCount = 7;
constexpr int32_t kRankDefaults[kRankCount] = {250000, 500000, 1500000, 3000000, 10000000, 30000000, 50000000};

const TString kCurUser("curuser");
const TString kFullScreen("fullscreen");
const TString kName("name");
const TString kSoundLevel("soundlevel");
const TString kMusicLevel("musiclevel");
const TString kVoLevel("volevel");
const TString kSoundOff("soundoff");
const TString kSubtitles("useSubtitles");
const TString kEarnings("Earnings");
const TString kHonors("HonorsEngaged");

// A level as a volume; levels edited outside 0..1000 are held to it.
float LevelVolume(int32_t level, const TString& key)
{
    if (level < 0 || level > kMaxLevel) {
        WriteLog("GameSettings: \"%s\" %d is outside 0..%d; held to it", key.c_str(), level, kMaxLevel);
        level = std::clamp(level, 0, kMaxLevel);
    }
    return float(level / 1000.0);
}

// The window script's Lua state, when there is one.
lua_State* ScriptState(GameSettingsHost& host)
{
    TWindowManager* windows = host.GetWindowManager();
    auto* script = windows ? dynamic_cast<TScript*>(windows->GetScript()) : nullptr;
    return script ? script->GetState() : nullptr;
}

} // namespace

GameSettings* GameSettings::Create(GameSettingsHost* host)
{
    Destroy();
    gInstance = new GameSettings(host);
    return gInstance;
}

GameSettings* GameSettings::Instance()
{
    return gInstance;
}

void GameSettings::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

GameSettings::GameSettings(GameSettingsHost* host)
    : mHost(host)
{
    if (!mHost) {
        mOwnHost = std::make_unique<GameSettingsHost>();
        mHost = mOwnHost.get();
    }
    if (lua_State* L = ScriptState(*mHost))
        RegisterLua(L);
    else
        WriteLog("GameSettings: no window script; the settings' Lua functions are not published");

    SetConfig("encryptionkey", kPrefsKey);
    mStore = std::make_unique<TPrefs>(true);

    const int32_t user = GetCurrentUser();
    if (user < GetNumUsers()) {
        mStore->SetInt(kCurUser, user, -1, true);
        if (user >= 0)
            ApplySound(user);
    }
    if (user < -1 || user >= GetNumUsers())
        WriteLog("GameSettings: \"curuser\" %d names no profile (%d profiles); none is current", user,
                 GetNumUsers());
}

GameSettings::~GameSettings() = default;

// ---------------------------------------------------------------- display and sound

void GameSettings::ApplyStartup()
{
    const int32_t user = GetCurrentUser();
    const bool fullScreen = mStore->GetInt(kFullScreen, 1, user) == 1;
    mHost->CreateDisplay(kScreenWidth, kScreenHeight, fullScreen);
    ApplySound(user);
}

void GameSettings::OnDisplayModeChanged()
{
    mStore->SetInt(kFullScreen, IsFullScreen() ? 1 : 0, -1, true);
}

bool GameSettings::IsFullScreen() const
{
    return mHost->IsFullScreen();
}

void GameSettings::ApplyUserSound()
{
    ApplySound(GetCurrentUser());
}

void GameSettings::ApplySound(int32_t user)
{
    TSoundManager* sound = mHost->GetSoundManager();
    if (!sound)
        return;
    // Music follows "soundlevel" and the effects "musiclevel".
    sound->SetGroupVolume(kSoundGroupMusic, LevelVolume(mStore->GetInt(kSoundLevel, kDefaultLevel, user), kSoundLevel));
    sound->SetGroupVolume(kSoundGroupEffects,
                          LevelVolume(mStore->GetInt(kMusicLevel, kDefaultLevel, user), kMusicLevel));
    sound->SetGroupVolume(kSoundGroupVoice, LevelVolume(mStore->GetInt(kVoLevel, kDefaultLevel, user), kVoLevel));
    sound->SetMasterVolume(mStore->GetInt(kSoundOff, 0, user) == 0 ? 1.0f : 0.0f);
}

bool GameSettings::ToggleFullScreen()
{
    const bool fullScreen = !mHost->IsFullScreen();
    if (!mHost->SetFullScreen(fullScreen))
        return false;
    mStore->SetInt(kFullScreen, fullScreen ? 1 : 0, -1, true);
    return true;
}

void GameSettings::ToggleSoundMute()
{
    const int32_t user = GetCurrentUser();
    if (!IsWritable(user, kSoundOff.c_str()))
        return;
    const int32_t off = mStore->GetInt(kSoundOff, 0, user) == 0 ? 1 : 0;
    mStore->SetInt(kSoundOff, off, user, true);
    if (TSoundManager* sound = mHost->GetSoundManager())
        sound->SetMasterVolume(off == 0 ? 1.0f : 0.0f);
}

// ---------------------------------------------------------------- users

bool GameSettings::IsWritable(int32_t user, const char* key) const
{
    if (user >= -1 && user < GetNumUsers())
        return true;
    WriteLog("GameSettings: user %d has no profile; \"%s\" not stored", user, key);
    return false;
}

int32_t GameSettings::GetNumUsers() const
{
    return mStore->GetUserCount();
}

int32_t GameSettings::GetCurrentUser() const
{
    return mStore->GetInt(kCurUser, -1, -1);
}

TString GameSettings::GetCurrentUserName() const
{
    return GetUserName(mStore->GetInt(kCurUser, 0, -1));
}

TString GameSettings::GetUserName(int32_t user) const
{
    if (user < 0)
        return TString();
    return mStore->GetString(kName, TString(), user);
}

int32_t GameSettings::GetUserInt(const TString& key, int32_t def) const
{
    return mStore->GetInt(key, def, GetCurrentUser());
}

void GameSettings::SetUserInt(const TString& key, int32_t value)
{
    const int32_t user = GetCurrentUser();
    if (IsWritable(user, key.c_str()))
        mStore->SetInt(key, value, user, true);
}

void GameSettings::CreateNewUser(const TString& name)
{
    const int32_t user = GetNumUsers();
    if (user + 1 > TPrefs::kMaxSlot) {
        WriteLog("GameSettings: %d profiles is the most the store holds; \"%s\" not made", user, name.c_str());
        return;
    }
    mStore->SetString(kName, name, user, true);

    // The new player starts with the current player's sound.
    const int32_t from = GetCurrentUser();
    const int32_t soundLevel = mStore->GetInt(kSoundLevel, kDefaultLevel, from);
    const int32_t musicLevel = mStore->GetInt(kMusicLevel, kDefaultLevel, from);
    const int32_t soundOff = mStore->GetInt(kSoundOff, 0, from);
    mStore->SetInt(kSoundLevel, soundLevel, user, false);
    mStore->SetInt(kMusicLevel, musicLevel, user, false);
    mStore->SetInt(kSoundOff, soundOff, user, false);
    mStore->SetInt(kSubtitles, 0, user, false);
    mStore->SetInt(kEarnings, 0, user, true);

    SetCurrentUser(user, true);
}

void GameSettings::SetCurrentUser(int32_t index, bool flag)
{
    if (index >= GetNumUsers())
        return;
    mStore->SetInt(kCurUser, index, -1, true);
    if (index >= 0)
        ApplySound(index);
    if (mMainMenu)
        mMainMenu->Refresh(flag);
}

void GameSettings::ChangeCurrentUserName(const TString& name)
{
    const int32_t user = mStore->GetInt(kCurUser, 0, -1);
    if (user >= 0 && IsWritable(user, kName.c_str()))
        mStore->SetString(kName, name, user, true);
    else if (user < 0)
        WriteLog("GameSettings: no current profile to rename");
}

void GameSettings::DeleteUser(int32_t index)
{
    mStore->DeleteUser(index);
    // The user before it becomes current, or the last one left.
    const int32_t next = index > 0 ? index - 1 : GetNumUsers() - 1;
    if (next >= GetNumUsers())
        return;
    mStore->SetInt(kCurUser, next, -1, true);
    if (next >= 0)
        ApplySound(next);
    if (mMainMenu)
        mMainMenu->Refresh(false);
}

bool GameSettings::IsNameInUse(const TString& name) const
{
    for (int32_t user = 0; user < GetNumUsers(); ++user) {
        const TString other = mStore->GetString(kName, TString(), user);
        if (other.Length() == name.Length() && std::memcmp(other.c_str(), name.c_str(), name.Length()) == 0)
            return true;
    }
    return false;
}

void GameSettings::SetCurrentGameMode(int32_t mode)
{
    if (mode == 0 || mode == 1)
        mGameMode = mode;
}

void GameSettings::QuitToMainMenu()
{
    TWindowManager* windows = mHost->GetWindowManager();
    if (!windows)
        return;
    while (TModalWindow* top = windows->GetTopModal()) {
        if (!top->GetParent() || !windows->DoPopModal(top->GetIdString()))
            break;
    }
}

// ---------------------------------------------------------------- earnings and rank

int32_t GameSettings::GetEarnings() const
{
    return GetUserInt(kEarnings, 0);
}

void GameSettings::AddEarnings(int32_t amount)
{
    const int64_t total = int64_t(GetEarnings()) + amount;
    SetUserInt(kEarnings, int32_t(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max())));
}

bool GameSettings::GetHonorsEngaged() const
{
    return GetUserInt(kHonors, 0) == 1;
}

void GameSettings::SetHonorsEngaged(bool engaged)
{
    const int32_t user = GetCurrentUser();
    if (IsWritable(user, kHonors.c_str()))
        mStore->SetInt(kHonors, engaged ? 1 : 0, user, false);
}

bool GameSettings::IsHonorsAvailable() const
{
    return GetEarnings() >= kHonorsEarnings;
}

TString GameSettings::GetRankTitle() const
{
    const int32_t earnings = GetEarnings();
    int rank = kRankCount + 1;
    for (int k = 1; k <= kRankCount; ++k) {
        if (earnings <= GetConfigInt(StrFormat("rank%dn", k), kRankDefaults[k - 1])) {
            rank = k;
            break;
        }
    }
    return mHost->GetString(StrFormat("rank%d", rank));
}

int32_t GameSettings::GetConfigInt(const TString& key, int32_t def)
{
    const TString value = GetConfig(key);
    return value.IsEmpty() ? def : std::atoi(value.c_str());
}
