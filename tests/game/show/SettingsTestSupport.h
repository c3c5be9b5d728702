#pragma once
// The game settings over a preferences file in a temporary user folder,
// with a fake application: a display that remembers its mode, a real sound
// manager without a device (its volumes read back), labels from a map.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/show/GameSettings.h"
#include "game/show/GameSettingsHost.h"
#include "platform/AssetNames.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "sound/SoundGroup.h"
#include "sound/SoundManager.h"
#include "support/TempFolder.h"

namespace settingstest {

class FakeSettingsHost : public GameSettingsHost {
public:
    struct Display {
        int32_t width, height;
        bool fullScreen;
    };
    std::vector<Display> displays; // every CreateDisplay
    bool fullScreen = true;
    bool switchWorks = true;
    TSoundManager sound;
    TWindowManager* windows = nullptr;
    std::map<std::string, std::string> labels;
    TStringTable* strings = nullptr; // when set, labels come from it

    void CreateDisplay(int32_t width, int32_t height, bool full) override
    {
        displays.push_back({width, height, full});
        fullScreen = full;
    }
    bool IsFullScreen() override { return fullScreen; }
    bool SetFullScreen(bool full) override
    {
        if (switchWorks)
            fullScreen = full;
        return switchWorks;
    }
    TSoundManager* GetSoundManager() override { return &sound; }
    TWindowManager* GetWindowManager() override { return windows; }
    TString GetString(const TString& label) override
    {
        if (strings) {
            TString text;
            strings->GetString(text, label);
            return text;
        }
        auto found = labels.find(label.c_str());
        return found == labels.end() ? TString("#####") : TString(found->second.c_str());
    }

    // Volumes as the sound manager holds them (group volumes without the
    // master).
    float Master() { return sound.GetGroupVolume(-1); }
    float Group(int32_t group)
    {
        const float master = Master();
        return master > 0 ? sound.GetGroupVolume(group) / master : -1.0f;
    }
};

// Records the main menu's refreshes.
class MenuProbe : public GameSettingsMenu {
public:
    std::vector<bool> refreshes;
    void Refresh(bool flag) override { refreshes.push_back(flag); }
};

class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mFolder.Path().empty());
        ClearRegisteredFiles();
        SetAssetFolders(mFolder.Path().c_str(), mFolder.Path().c_str(), mFolder.Path().c_str());
    }
    void TearDown() override
    {
        GameSettings::Destroy();
        ClearConfig();
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }

    GameSettings& Make()
    {
        mLog.Restart();
        return *GameSettings::Create(&mHost);
    }

    // A raw store on the same file, with the game's key (for preparing and
    // checking files byte-independently of the settings object).
    static void WithStore(const std::function<void(TPrefs&)>& work)
    {
        SetConfig("encryptionkey", GameSettings::kPrefsKey);
        TPrefs prefs(true);
        work(prefs);
        prefs.Save();
    }
    static int StoredInt(const char* key, int def, int user)
    {
        SetConfig("encryptionkey", GameSettings::kPrefsKey);
        return TPrefs(false).GetInt(key, def, user);
    }
    static std::string StoredString(const char* key, int user)
    {
        SetConfig("encryptionkey", GameSettings::kPrefsKey);
        return TPrefs(false).GetString(key, "(missing)", user).c_str();
    }

    std::string FileBytes() const
    {
        std::ifstream in(mFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string KeptBytes() const
    {
        std::ifstream in(mFile + ".bad", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void WriteFile(const std::string& bytes) const
    {
        std::ofstream out(mFile, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    bool LogHas(const std::string& piece) const { return mLog.Text().find(piece) != std::string::npos; }

    TTempFolder mFolder{"settingstest"};
    TLogCapture mLog{mFolder.File("log")};
    const std::string mFile = mFolder.File("prefs.dat");
    FakeSettingsHost mHost;
};

} // namespace settingstest
