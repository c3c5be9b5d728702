// A preferences file that does not load whole is kept aside before the
// first save replaces it, so that what could not be read is not lost.
#include "platform/AssetNames.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace {

const char kKey[] = "Qu1LLoRyQRRR";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class PrefsDamagedSaveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mFolder.Path().empty());
        ClearRegisteredFiles();
        SetAssetFolders(mFolder.Path().c_str(), mFolder.Path().c_str(), mFolder.Path().c_str());
        UseKey(kKey);
        TPrefs prefs(true);
        prefs.SetString("curuser", "1", -1, false);
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetString("name", "Bob", 1, true);
        mWhole = ReadAll(mFile);
    }
    void TearDown() override
    {
        ClearConfig();
        ClearRegisteredFiles();
    }
    static void UseKey(const char* key) { SetConfig("encryptionkey", key); }
    int LogCount(const std::string& piece) const
    {
        int count = 0;
        for (const std::string& line : mLog.Lines())
            count += line.find(piece) != std::string::npos;
        return count;
    }

    TTempFolder mFolder{"prefsdamaged"};
    TLogCapture mLog{mFolder.File("log")};
    const std::string mFile = mFolder.File("prefs.dat");
    const std::string mKept = mFolder.File("prefs.dat.bad");
    std::string mWhole;
};

TEST_F(PrefsDamagedSaveTest, FirstSaveAfterADamagedLoadKeepsTheOldFile)
{
    struct Case {
        const char* what;
        const char* readKey; // the key the damaged file is read with
        std::string bytes;
        int usersRead;
    } const cases[] = {
        {"cut short", kKey, mWhole.substr(0, mWhole.size() - 4), 2},
        {"a stray byte at the end", kKey, mWhole + "!", 2},
        {"written with another key", "AnotherKeyXX", mWhole, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(mKept.c_str());
        WriteAll(mFile, c.bytes);
        UseKey(c.readKey);
        mLog.Restart();
        TPrefs prefs(true);
        EXPECT_TRUE(prefs.IsDamaged());
        EXPECT_EQ(prefs.GetUserCount(), c.usersRead);
        prefs.SetString("name", "Cy", 2, true);
        EXPECT_FALSE(prefs.IsDamaged());
        EXPECT_EQ(ReadAll(mKept), c.bytes);
        EXPECT_EQ(LogCount("is kept as"), 1);

        // Later saves leave the kept file alone.
        prefs.SetString("name", "Dee", 3, true);
        EXPECT_EQ(ReadAll(mKept), c.bytes);
        EXPECT_EQ(LogCount("is kept as"), 1);
        TPrefs reread(false);
        EXPECT_FALSE(reread.IsDamaged());
        EXPECT_STREQ(reread.GetString("name", "?", 3).c_str(), "Dee");
        UseKey(kKey);
    }
}

TEST_F(PrefsDamagedSaveTest, WholeOrMissingFilesKeepNothing)
{
    for (bool present : {true, false}) {
        SCOPED_TRACE(present ? "whole file" : "no file");
        if (!present)
            std::remove(mFile.c_str());
        TPrefs prefs(true);
        EXPECT_FALSE(prefs.IsDamaged());
        prefs.SetString("name", "Cy", 2, true);
        EXPECT_FALSE(Exists(mKept));
    }
}

TEST_F(PrefsDamagedSaveTest, NewerDamageReplacesAnOlderKeptFile)
{
    WriteAll(mKept, "older damage");
    const std::string damaged = mWhole.substr(0, 12);
    WriteAll(mFile, damaged);
    TPrefs prefs(true);
    prefs.SetString("name", "Cy", 0, true);
    EXPECT_EQ(ReadAll(mKept), damaged);

    // A failed save keeps nothing and tries again next time.
    WriteAll(mFile, damaged);
    std::remove(mKept.c_str());
    TPrefs again(true);
    TPrefs::SetCommitHook([] { return false; });
    EXPECT_FALSE(again.Save());
    TPrefs::SetCommitHook(nullptr);
    EXPECT_FALSE(Exists(mKept));
    EXPECT_TRUE(again.IsDamaged());
    EXPECT_TRUE(again.Save());
    EXPECT_EQ(ReadAll(mKept), damaged);
}

} // namespace
