#include "SettingsTestSupport.h"

#include <algorithm>

#include "game/show/GameLoop.h"

namespace {

using settingstest::MenuProbe;
using settingstest::SettingsFixture;

class GameSettingsTest : public SettingsFixture {};

TEST_F(GameSettingsTest, FreshStoreOpensFullScreenWithDefaultSound)
{
    GameSettings& settings = Make();
    EXPECT_EQ(settings.GetNumUsers(), 0);
    EXPECT_EQ(settings.GetCurrentUser(), -1);
    EXPECT_STREQ(settings.GetCurrentUserName().c_str(), "");
    EXPECT_EQ(settings.GetEarnings(), 0);
    EXPECT_FALSE(settings.GetHonorsEngaged());
    EXPECT_EQ(settings.GetGameMode(), 0);
    EXPECT_EQ(GetConfig("encryptionkey"), TString(GameSettings::kPrefsKey));

    settings.ApplyStartup();
    ASSERT_EQ(mHost.displays.size(), 1u);
    EXPECT_EQ(mHost.displays[0].width, 800);
    EXPECT_EQ(mHost.displays[0].height, 600);
    EXPECT_TRUE(mHost.displays[0].fullScreen);
    EXPECT_FLOAT_EQ(mHost.Master(), 1.0f);
    for (int32_t group : {kSoundGroupMusic, kSoundGroupEffects, kSoundGroupVoice})
        EXPECT_FLOAT_EQ(mHost.Group(group), 0.75f) << group;
}

TEST_F(GameSettingsTest, StartupModeComesFromTheCurrentUsersSlot)
{
    struct Case {
        const char* what;
        int shared;    // -99: not stored
        int curuser;   // -99: not stored
        int own;       // the current user's value; -99: not stored
        bool fullScreen;
    } const cases[] = {
        {"nothing stored", -99, -99, -99, true},
        {"shared 0 without a current user", 0, -99, -99, false},
        {"shared 0 with curuser -1", 0, -1, -99, false},
        {"the user's 1 over a shared 0", 0, 0, 1, true},
        {"the user's 0 over a shared 1", 1, 0, 0, false},
        {"a user without the key reads the default", 0, 0, -99, true},
        {"2 opens a window", -99, 0, 2, false},
        {"-1 opens a window", -99, 0, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(mFile.c_str());
        WithStore([&](TPrefs& prefs) {
            prefs.SetString("name", "Ann", 0, false);
            if (c.shared != -99)
                prefs.SetInt("fullscreen", c.shared, -1, false);
            if (c.curuser != -99)
                prefs.SetInt("curuser", c.curuser, -1, false);
            if (c.own != -99)
                prefs.SetInt("fullscreen", c.own, 0, false);
        });
        mHost.displays.clear();
        Make().ApplyStartup();
        ASSERT_EQ(mHost.displays.size(), 1u);
        EXPECT_EQ(mHost.displays[0].fullScreen, c.fullScreen);
    }
}

TEST_F(GameSettingsTest, SoundLevelsGoToTheirGroupsAndMuteToTheMaster)
{
    struct Case {
        int sound, music, vo, off; // -99: not stored
        float group0, group1000, group3000, master;
    } const cases[] = {
        {-99, -99, -99, -99, 0.75f, 0.75f, 0.75f, 1.0f},
        // Group 0 (music) follows "soundlevel", group 1000 (effects) "musiclevel".
        {300, 600, 900, 0, 0.3f, 0.6f, 0.9f, 1.0f},
        {0, 1000, 1, 0, 0.0f, 1.0f, 0.001f, 1.0f},
        {500, 500, 500, 1, 0.5f, 0.5f, 0.5f, 0.0f},
        {500, 500, 500, 7, 0.5f, 0.5f, 0.5f, 0.0f},
        // Levels edited by hand beyond 0..1000 are held to it.
        {5000, -20, 750, 0, 1.0f, 0.0f, 0.75f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sound << " " << c.music << " " << c.vo << " " << c.off);
        std::remove(mFile.c_str());
        WithStore([&](TPrefs& prefs) {
            prefs.SetString("name", "Ann", 0, false);
            prefs.SetInt("curuser", 0, -1, false);
            const std::pair<const char*, int> values[] = {
                {"soundlevel", c.sound}, {"musiclevel", c.music}, {"volevel", c.vo}, {"soundoff", c.off}};
            for (const auto& [key, value] : values)
                if (value != -99)
                    prefs.SetInt(key, value, 0, false);
        });
        // Creation applies the current user's sound; ApplyStartup again.
        mHost.sound.SetMasterVolume(0.5f);
        GameSettings& settings = Make();
        for (int pass = 0; pass < 2; ++pass) {
            // Read the groups with the master at 1 so muted ones still show.
            const float master = mHost.Master();
            mHost.sound.SetMasterVolume(1.0f);
            EXPECT_FLOAT_EQ(mHost.Group(kSoundGroupMusic), c.group0);
            EXPECT_FLOAT_EQ(mHost.Group(kSoundGroupEffects), c.group1000);
            EXPECT_FLOAT_EQ(mHost.Group(kSoundGroupVoice), c.group3000);
            EXPECT_FLOAT_EQ(master, c.master);
            settings.ApplyStartup();
        }
    }
    EXPECT_TRUE(LogHas("\"soundlevel\" 5000 is outside 0..1000"));
    EXPECT_TRUE(LogHas("\"musiclevel\" -20 is outside 0..1000"));
}

TEST_F(GameSettingsTest, NewUserTakesTheCurrentUsersSoundAndBecomesCurrent)
{
    MenuProbe menu;
    GameSettings& settings = Make();
    settings.SetMainMenu(&menu);
    settings.CreateNewUser("Ann");
    EXPECT_EQ(settings.GetNumUsers(), 1);
    EXPECT_EQ(settings.GetCurrentUser(), 0);
    settings.SetUserInt("soundlevel", 300);
    settings.SetUserInt("musiclevel", 400);
    settings.SetUserInt("volevel", 200);
    settings.SetUserInt("soundoff", 1);
    settings.SetUserInt("useSubtitles", 1);
    settings.AddEarnings(1234);
    settings.SetHonorsEngaged(true);

    settings.CreateNewUser("Bob");
    EXPECT_EQ(settings.GetNumUsers(), 2);
    EXPECT_EQ(settings.GetCurrentUser(), 1);
    EXPECT_STREQ(settings.GetCurrentUserName().c_str(), "Bob");
    EXPECT_EQ(menu.refreshes, (std::vector<bool>{true, true}));
    // The new user's sound is applied: muted, music 0.3, effects 0.4.
    EXPECT_FLOAT_EQ(mHost.Master(), 0.0f);

    // In the file, each key in its slot.
    struct Key {
        const char* key;
        int user, value;
    } const keys[] = {
        {"curuser", -1, 1},     {"soundlevel", 1, 300}, {"musiclevel", 1, 400}, {"soundoff", 1, 1},
        {"useSubtitles", 1, 0}, {"Earnings", 1, 0},     {"Earnings", 0, 1234},  {"volevel", 0, 200},
    };
    for (const Key& k : keys)
        EXPECT_EQ(StoredInt(k.key, -99, k.user), k.value) << k.key << " of " << k.user;
    // Not copied: the new user reads the defaults.
    EXPECT_EQ(StoredInt("volevel", -99, 1), -99);
    EXPECT_EQ(StoredInt("HonorsEngaged", -99, 1), -99);
    EXPECT_EQ(settings.GetUserInt("volevel", 750), 750);
    EXPECT_FALSE(settings.GetHonorsEngaged());
    EXPECT_EQ(StoredString("name", 0), "Ann");
    EXPECT_EQ(StoredString("name", 1), "Bob");

    // A first user made with no current user starts from the defaults.
    std::remove(mFile.c_str());
    GameSettings& fresh = Make();
    fresh.CreateNewUser("Cy");
    EXPECT_EQ(StoredInt("soundlevel", -99, 0), 750);
    EXPECT_EQ(StoredInt("musiclevel", -99, 0), 750);
    EXPECT_EQ(StoredInt("soundoff", -99, 0), 0);
}

TEST_F(GameSettingsTest, DeletingAUserPicksTheNextCurrentUser)
{
    struct Case {
        int users, current, remove;
        int countAfter, currentAfter;
        bool refreshed;
        const char* remaining; // names in order
    } const cases[] = {
        {3, 0, 0, 2, 1, true, "B C"},    // the last remaining user
        {3, 2, 2, 2, 1, true, "A B"},    // the one before
        {3, 2, 1, 2, 0, true, "A C"},
        {1, 0, 0, 0, -1, true, ""},      // none left
        {3, 1, 3, 3, 2, true, "A B C"},  // the count: nothing removed, the last one current
        {3, 1, 4, 3, 1, false, "A B C"}, // beyond: nothing at all
        {3, 1, -1, 3, 2, true, "A B C"}, // negative: nothing removed, the last one current
        {3, 1, INT32_MIN, 3, 2, true, "A B C"},
        {0, -1, 0, 0, -1, true, ""},     // an empty store stores -1 again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.users << " users, delete " << c.remove);
        std::remove(mFile.c_str());
        WithStore([&](TPrefs& prefs) {
            for (int i = 0; i < c.users; ++i)
                prefs.SetString("name", std::string(1, char('A' + i)).c_str(), i, false);
            prefs.SetInt("curuser", c.current, -1, false);
        });
        MenuProbe menu;
        GameSettings& settings = Make();
        settings.SetMainMenu(&menu);
        settings.DeleteUser(c.remove);
        EXPECT_EQ(settings.GetNumUsers(), c.countAfter);
        EXPECT_EQ(settings.GetCurrentUser(), c.currentAfter);
        EXPECT_EQ(StoredInt("curuser", -99, -1), c.currentAfter);
        EXPECT_EQ(menu.refreshes, c.refreshed ? std::vector<bool>{false} : std::vector<bool>{});
        std::string names;
        for (int i = 0; i < settings.GetNumUsers(); ++i)
            names += (i ? " " : "") + std::string(settings.GetUserName(i).c_str());
        EXPECT_EQ(names, c.remaining);
    }
}

TEST_F(GameSettingsTest, SwitchingUsersAppliesTheirSoundAndRefreshesTheMenu)
{
    WithStore([](TPrefs& prefs) {
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetString("name", "Bob", 1, false);
        prefs.SetInt("soundoff", 1, 1, false);
        prefs.SetInt("curuser", 0, -1, false);
    });
    MenuProbe menu;
    GameSettings& settings = Make();
    settings.SetMainMenu(&menu);

    settings.SetCurrentUser(1, true);
    EXPECT_EQ(settings.GetCurrentUser(), 1);
    EXPECT_FLOAT_EQ(mHost.Master(), 0.0f);
    EXPECT_EQ(StoredInt("curuser", -99, -1), 1);

    settings.SetCurrentUser(5, true); // beyond the users: nothing
    settings.SetCurrentUser(2, false);
    EXPECT_EQ(settings.GetCurrentUser(), 1);
    EXPECT_EQ(menu.refreshes, (std::vector<bool>{true}));

    mHost.sound.SetMasterVolume(0.5f);
    settings.SetCurrentUser(-1, false); // no current user: stored, no sound applied
    EXPECT_EQ(settings.GetCurrentUser(), -1);
    EXPECT_EQ(StoredInt("curuser", -99, -1), -1);
    EXPECT_FLOAT_EQ(mHost.Master(), 0.5f);
    EXPECT_EQ(menu.refreshes, (std::vector<bool>{true, false}));

    settings.SetCurrentUser(0, false);
    EXPECT_FLOAT_EQ(mHost.Master(), 1.0f);
    settings.SetMainMenu(nullptr);
    settings.SetCurrentUser(1, true);
    EXPECT_EQ(menu.refreshes.size(), 3u);
}

TEST_F(GameSettingsTest, RenamingAndNamesInUse)
{
    GameSettings& settings = Make();
    settings.ChangeCurrentUserName("Nobody"); // no profile to rename
    EXPECT_EQ(settings.GetNumUsers(), 0);

    settings.CreateNewUser("Ann");
    settings.CreateNewUser("Bob");
    settings.ChangeCurrentUserName("Robert");
    EXPECT_STREQ(settings.GetUserName(1).c_str(), "Robert");
    EXPECT_EQ(StoredString("name", 1), "Robert");
    EXPECT_STREQ(settings.GetUserName(2).c_str(), "");
    EXPECT_STREQ(settings.GetUserName(-1).c_str(), "");

    struct Case {
        const char* name;
        bool inUse;
    } const cases[] = {
        {"Ann", true}, {"Robert", true}, {"ann", false}, {"An", false},
        {"Ann ", false}, {"Bob", false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings.IsNameInUse(c.name), c.inUse) << c.name;
}

TEST_F(GameSettingsTest, RankTitlesFollowEarningsAgainstTheThresholds)
{
    for (int k = 1; k <= 8; ++k)
        mHost.labels["rank" + std::to_string(k)] = "title " + std::to_string(k);
    WithStore([](TPrefs& prefs) {
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetInt("curuser", 0, -1, false);
    });
    GameSettings& settings = Make();

    struct Case {
        int32_t earnings;
        const char* title;
    } const cases[] = {
        {INT32_MIN, "title 1"}, {0, "title 1"},         {250000, "title 1"},  {250001, "title 2"},
        {500000, "title 2"},    {1500000, "title 3"},   {3000000, "title 4"}, {3000001, "title 5"},
        {10000000, "title 5"},  {30000000, "title 6"},  {50000000, "title 7"}, {50000001, "title 8"},
        {INT32_MAX, "title 8"},
    };
    for (const Case& c : cases) {
        settings.SetUserInt("Earnings", c.earnings);
        EXPECT_STREQ(settings.GetRankTitle().c_str(), c.title) << c.earnings;
    }

    // Thresholds from the settings; an empty one is the default.
    SetConfig("rank1n", "100");
    SetConfig("rank2n", "");
    settings.SetUserInt("Earnings", 101);
    EXPECT_STREQ(settings.GetRankTitle().c_str(), "title 2");
    settings.SetUserInt("Earnings", 500001);
    EXPECT_STREQ(settings.GetRankTitle().c_str(), "title 3");
    EXPECT_EQ(GameSettings::GetConfigInt("rank2n", 7), 7);
    EXPECT_EQ(GameSettings::GetConfigInt("missing", -4), -4);
    EXPECT_EQ(GameSettings::GetConfigInt("rank1n", 7), 100);
}

TEST_F(GameSettingsTest, RankTitlesAndWelcomeAreInTheGamesStringTable)
{
    std::ifstream in(std::string(QUILLORY_SOURCE_DIR) + "/assets/strings.xml", std::ios::binary);
    const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RegisterMemoryFile("strings.xml", xml.data(), uint32_t(xml.size()));
    TStringTable table;
    ASSERT_TRUE(table.Load("strings.xml"));
    mHost.strings = &table;
    GameSettings& settings = Make();
    settings.CreateNewUser("Ann");

    const int32_t earnings[] = {0, 250001, 500001, 1500001, 3000001, 10000001, 30000001, 50000001};
    std::vector<std::string> titles;
    for (int32_t amount : earnings) {
        settings.SetUserInt("Earnings", amount);
        const std::string title = settings.GetRankTitle().c_str();
        EXPECT_FALSE(title.empty());
        EXPECT_EQ(title.find("#####"), std::string::npos) << amount;
        EXPECT_EQ(std::count(titles.begin(), titles.end(), title), 0) << title;
        titles.push_back(title);
    }
    TString welcome;
    EXPECT_TRUE(table.GetString(welcome, "welcome", settings.GetCurrentUserName()));
    EXPECT_NE(std::string(welcome.c_str()).find("Ann"), std::string::npos) << welcome.c_str();
    RegisterMemoryFile("strings.xml", nullptr, 0);
}

TEST_F(GameSettingsTest, EarningsAndHonours)
{
    GameSettings& settings = Make();
    settings.CreateNewUser("Ann");

    settings.AddEarnings(3999999);
    EXPECT_FALSE(settings.IsHonorsAvailable());
    settings.AddEarnings(1);
    EXPECT_TRUE(settings.IsHonorsAvailable());
    EXPECT_EQ(StoredInt("Earnings", -99, 0), 4000000);

    // Long play saturates instead of wrapping round to a negative total.
    settings.AddEarnings(INT32_MAX);
    EXPECT_EQ(settings.GetEarnings(), INT32_MAX);
    EXPECT_TRUE(settings.IsHonorsAvailable());
    settings.AddEarnings(-5);
    EXPECT_EQ(settings.GetEarnings(), INT32_MAX - 5);

    // Honours are kept in memory until the next write of any key.
    settings.SetHonorsEngaged(true);
    EXPECT_TRUE(settings.GetHonorsEngaged());
    EXPECT_EQ(StoredInt("HonorsEngaged", -99, 0), -99);
    settings.SetUserInt("volevel", 100);
    EXPECT_EQ(StoredInt("HonorsEngaged", -99, 0), 1);
    settings.SetHonorsEngaged(false);
    EXPECT_FALSE(settings.GetHonorsEngaged());
}

TEST_F(GameSettingsTest, DisplayModeIsRememberedInTheSharedSlot)
{
    WithStore([](TPrefs& prefs) {
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetInt("curuser", 0, -1, false);
        prefs.SetInt("fullscreen", 1, 0, false);
    });
    GameSettings& settings = Make();
    mHost.fullScreen = true;

    EXPECT_TRUE(settings.ToggleFullScreen());
    EXPECT_FALSE(mHost.fullScreen);
    EXPECT_FALSE(settings.IsFullScreen());
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 0);
    EXPECT_EQ(StoredInt("fullscreen", -99, 0), 1); // the user's own value stays

    mHost.switchWorks = false;
    EXPECT_FALSE(settings.ToggleFullScreen());
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 0);

    mHost.fullScreen = true; // the mode changed some other way
    settings.OnDisplayModeChanged();
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 1);
}

TEST_F(GameSettingsTest, MuteTogglesAndGameModeTakesZeroOrOne)
{
    GameSettings& settings = Make();
    settings.CreateNewUser("Ann");
    settings.ToggleSoundMute();
    EXPECT_EQ(StoredInt("soundoff", -99, 0), 1);
    EXPECT_FLOAT_EQ(mHost.Master(), 0.0f);
    settings.ToggleSoundMute();
    EXPECT_EQ(StoredInt("soundoff", -99, 0), 0);
    EXPECT_FLOAT_EQ(mHost.Master(), 1.0f);
    settings.SetUserInt("soundoff", 2); // any non-zero value is muted; one toggle unmutes
    settings.ToggleSoundMute();
    EXPECT_EQ(StoredInt("soundoff", -99, 0), 0);

    struct Case {
        int32_t mode, after;
    } const modes[] = {{1, 1}, {2, 1}, {-1, 1}, {0, 0}, {INT32_MIN, 0}, {1, 1}};
    for (const Case& c : modes) {
        settings.SetCurrentGameMode(c.mode);
        EXPECT_EQ(settings.GetGameMode(), c.after) << c.mode;
    }
}

TEST_F(GameSettingsTest, DestroyDoesNotWriteAndCreateReadsBack)
{
    GameSettings& settings = Make();
    settings.CreateNewUser("Ann");
    settings.AddEarnings(700);
    settings.SetHonorsEngaged(true); // not written
    const std::string before = FileBytes();
    GameSettings::Destroy();
    EXPECT_EQ(GameSettings::Instance(), nullptr);
    EXPECT_EQ(FileBytes(), before);

    GameSettings& again = Make();
    EXPECT_EQ(GameSettings::Instance(), &again);
    EXPECT_EQ(again.GetCurrentUser(), 0);
    EXPECT_STREQ(again.GetCurrentUserName().c_str(), "Ann");
    EXPECT_EQ(again.GetEarnings(), 700);
    EXPECT_FALSE(again.GetHonorsEngaged());
}

// Damaged files: a log line, defaults, and whatever the file still holds.
TEST_F(GameSettingsTest, DamagedFilesGiveDefaultsAndKeepWhatReads)
{
    WithStore([](TPrefs& prefs) {
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetInt("Earnings", 900, 0, false);
        prefs.SetString("name", "Bob", 1, false);
        prefs.SetInt("Earnings", 800, 1, false);
        prefs.SetInt("curuser", 1, -1, false);
    });
    const std::string whole = FileBytes();

    struct Case {
        const char* what;
        std::string bytes;
        int users;          // profiles still there
        int current;        // "curuser" afterwards
        const char* log;    // a piece of the log line
    } const cases[] = {
        {"cut inside the last entry", whole.substr(0, whole.size() - 3), 2, 1, "cut short"},
        {"cut inside a header", whole.substr(0, whole.size() - 21), 2, 1, "chunk"},
        {"cut to a few bytes", whole.substr(0, 5), 0, -1, "chunk header"},
        {"a byte of garbage appended", whole + "x", 2, 1, "chunk header"},
        // The first block of the last entry (Bob's name) overwritten.
        {"an entry's bytes edited", whole.substr(0, whole.size() - 16) + "XXXXXXXX" + whole.substr(whole.size() - 8),
         2, 1, "TPrefs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.bytes);
        GameSettings& settings = Make();
        EXPECT_TRUE(LogHas(c.log)) << mLog.Text();
        EXPECT_EQ(settings.GetNumUsers(), c.users);
        EXPECT_EQ(settings.GetCurrentUser(), c.current);
        if (c.users == 2) {
            EXPECT_STREQ(settings.GetUserName(0).c_str(), "Ann");
            EXPECT_EQ(StoredInt("Earnings", -1, 0), 900);
        }
        settings.ApplyStartup(); // still works on defaults
        EXPECT_FALSE(mHost.displays.empty());
        // The first write keeps the damaged file beside the new one.
        settings.OnDisplayModeChanged();
        EXPECT_EQ(KeptBytes(), c.bytes);
    }

    // Written with another key: nothing deciphers, so no profile is read
    // and the game starts as on a first run.
    std::remove(mFile.c_str());
    SetConfig("encryptionkey", "SomeOtherKey");
    {
        TPrefs foreign(true);
        foreign.SetString("name", "Ann", 0, false);
        foreign.SetInt("curuser", 0, -1, true);
    }
    const std::string foreignBytes = FileBytes();
    GameSettings& settings = Make();
    EXPECT_TRUE(LogHas("does not decipher") || LogHas("damaged entry")) << mLog.Text();
    EXPECT_EQ(settings.GetNumUsers(), 0);
    EXPECT_EQ(settings.GetCurrentUser(), -1);
    settings.CreateNewUser("Ann");
    EXPECT_EQ(StoredString("name", 0), "Ann");
    EXPECT_EQ(KeptBytes(), foreignBytes);
}

TEST_F(GameSettingsTest, HandEditedValuesAreReadSafely)
{
    WithStore([](TPrefs& prefs) {
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetString("Earnings", "lots", 0, false);
        prefs.SetString("soundlevel", "loud", 0, false);
        prefs.SetInt("curuser", 0, -1, false);
    });
    {
        GameSettings& settings = Make();
        EXPECT_EQ(settings.GetEarnings(), 0);
        EXPECT_FLOAT_EQ(mHost.Group(kSoundGroupMusic), 0.0f);
        settings.AddEarnings(5);
        EXPECT_EQ(settings.GetEarnings(), 5);
    }

    // A current user that names no profile: logged; reads give defaults and
    // writes make no phantom profiles.
    for (int curuser : {7, -5}) {
        SCOPED_TRACE(curuser);
        WithStore([&](TPrefs& prefs) { prefs.SetInt("curuser", curuser, -1, false); });
        GameSettings& settings = Make();
        EXPECT_TRUE(LogHas("names no profile")) << mLog.Text();
        EXPECT_EQ(settings.GetCurrentUser(), curuser);
        EXPECT_EQ(settings.GetEarnings(), 0);
        settings.AddEarnings(100);
        settings.SetHonorsEngaged(true);
        settings.ToggleSoundMute();
        EXPECT_EQ(settings.GetNumUsers(), 1);
        EXPECT_TRUE(LogHas("has no profile"));
        settings.SetCurrentUser(0, false); // recovers
        EXPECT_EQ(settings.GetEarnings(), 5);
    }
}

} // namespace

namespace {

// The game loop hands the display-mode record to the settings.
TEST_F(GameSettingsTest, TheLoopsDisplayModeRecordIsStoredInTheSharedSlot)
{
    Make().ApplyStartup();
    TGameLoop loop(nullptr);
    mHost.fullScreen = false; // Alt+Enter made a window
    TPlatformEvent mode;
    mode.type = kEventFullScreen;
    EXPECT_TRUE(loop.Handle(mode));
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 0);
    mHost.fullScreen = true;
    loop.Handle(mode);
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 1);

    // Without settings the record is taken and nothing is stored.
    GameSettings::Destroy();
    mHost.fullScreen = false;
    EXPECT_TRUE(loop.Handle(mode));
    EXPECT_EQ(StoredInt("fullscreen", -99, -1), 1);
}

} // namespace
