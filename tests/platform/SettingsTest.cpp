#include "platform/Settings.h"

#include <string>

#include <gtest/gtest.h>

#include "XmlTestSupport.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { ClearConfig(); }
    void TearDown() override { ClearConfig(); }
};

TString T(const char* text)
{
    return TString(text);
}

} // namespace

TEST_F(Settings, SetAndGet)
{
    SetConfig(T("volume"), T("5"));
    SetConfig(T("volume"), T("7"));
    EXPECT_EQ(GetConfig(T("volume")), T("7"));
    EXPECT_TRUE(GetConfig(T("Volume")).IsEmpty()); // keys are case-sensitive

    // Reading a missing key inserts nothing.
    size_t size = gSettingsMap.size();
    EXPECT_TRUE(GetConfig(T("missing")).IsEmpty());
    EXPECT_FALSE(IsEnabled(T("missing")));
    EXPECT_EQ(gSettingsMap.size(), size);

    ClearConfig();
    EXPECT_TRUE(GetConfig(T("volume")).IsEmpty());
    EXPECT_TRUE(gSettingsMap.empty());
}

TEST_F(Settings, KeysAreInByteOrder)
{
    for (const char* key : {"b", "\xE9t\xE9", "B", "a", ""})
        SetConfig(T(key), T("1"));
    std::string order;
    for (const auto& entry : gSettingsMap)
        order += std::string("[") + entry.first.c_str() + "]";
    EXPECT_EQ(order, "[][B][a][b][\xE9t\xE9]");
}

TEST_F(Settings, IsEnabledReadsAnInteger)
{
    struct Case {
        const char* value;
        bool enabled;
    } cases[] = {
        {"1", true}, {"2", true}, {"-1", true}, {" 7", true}, {"3 apples", true},
        {"", false}, {"0", false}, {"yes", false}, {"true", false}, {" ", false},
    };
    for (const Case& c : cases) {
        SetConfig(T("key"), T(c.value));
        EXPECT_EQ(IsEnabled(T("key")), c.enabled) << "'" << c.value << "'";
    }
}

TEST_F(Settings, LoadsTheSettingsElement)
{
    TTempLogFolder log;
    SetConfig(T("version"), T("kept"));
    EXPECT_TRUE(LoadSettingsFile(TString(FixtureAsset("settings/settings.xml").c_str())));
    EXPECT_EQ(GetConfig(T("volume")), T("7")); // the later element wins
    EXPECT_EQ(GetConfig(T("Volume")), T("case counts"));
    EXPECT_EQ(GetConfig(T("firstpeek")), T("0"));
    EXPECT_EQ(GetConfig(T("encryptionkey")), T("k3y")); // attributes ignored
    EXPECT_EQ(GetConfig(T("version")), T("kept"));
    // Comments inside "settings" give no keys.
    EXPECT_EQ(gSettingsMap.size(), 5u);
    EXPECT_EQ(log.Lines().size(), 0u);
}

TEST_F(Settings, MissingFileOrElementChangesNothing)
{
    SetConfig(T("volume"), T("3"));
    EXPECT_FALSE(LoadSettingsFile(TString(FixtureAsset("settings/no-such.xml").c_str())));
    EXPECT_FALSE(LoadSettingsFile(TString(FixtureAsset("settings/no-settings.xml").c_str())));
    EXPECT_EQ(GetConfig(T("volume")), T("3"));
    EXPECT_EQ(gSettingsMap.size(), 1u);
}
