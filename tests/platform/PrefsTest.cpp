#include "platform/AssetNames.h"
#include "platform/Encryptor.h"
#include "platform/Prefs.h"
#include "platform/Settings.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char kKey[] = "Qu1LLoRyQRRR";

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void PutU16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void PutU32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

uint32_t GetU32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// Prefs file pieces, made the way the format describes them.
Bytes Chunk(const char* tag, const Bytes& payload, uint32_t length)
{
    Bytes b(tag, tag + 4);
    PutU32(b, length);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes Chunk(const char* tag, const Bytes& payload)
{
    return Chunk(tag, payload, uint32_t(payload.size()));
}

Bytes User(uint32_t slot)
{
    Bytes p;
    PutU16(p, slot);
    return Chunk("USER", p);
}

Bytes Encipher(const Bytes& plain, const char* key = kKey)
{
    TEncryptor e(key);
    Bytes out(e.Encrypt(plain.data(), uint32_t(plain.size()), nullptr, 0, false));
    e.Encrypt(plain.data(), uint32_t(plain.size()), out.data(), uint32_t(out.size()), false);
    return out;
}

Bytes EntryPlain(const std::string& key, const std::string& value)
{
    Bytes p;
    PutU16(p, uint32_t(key.size() + 1));
    p.insert(p.end(), key.begin(), key.end());
    p.push_back(0);
    p.insert(p.end(), value.begin(), value.end());
    p.push_back(0);
    return p;
}

Bytes Entry(const std::string& key, const std::string& value)
{
    return Chunk("KVPR", Encipher(EntryPlain(key, value)));
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes& p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

class PrefsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mFolder.Path().empty());
        ClearRegisteredFiles();
        SetAssetFolders(mFolder.Path().c_str(), mFolder.Path().c_str(), mFolder.Path().c_str());
        SetConfig("encryptionkey", kKey);
    }
    void TearDown() override
    {
        TPrefs::SetCommitHook(nullptr);
        ClearConfig();
        ClearRegisteredFiles();
    }

    TTempFolder mFolder{"prefstest"};
    TLogCapture mLog{mFolder.File("log")};
    const std::string mFile = mFolder.File("prefs.dat");
};

}  // namespace

TEST_F(PrefsTest, ValuesRoundTripForSharedSlotAndUsers)
{
    {
        TPrefs prefs(true);
        EXPECT_EQ(prefs.GetUserCount(), 0);
        prefs.SetInt("volume", 5, 0, false);
        EXPECT_EQ(prefs.GetInt("volume", 7, 0), 5);
        EXPECT_EQ(prefs.GetInt("volume", 7, -1), 7);  // the shared slot has no such key
        prefs.SetString("curuser", "0", -1, false);
        prefs.SetString("name", "Ann", 0, false);
        prefs.SetString("name", "Dee", 3, false);
        prefs.SetString("empty", "", 3, false);
        prefs.SetString("word", "abc", 3, false);
        EXPECT_EQ(prefs.GetUserCount(), 4);
        EXPECT_TRUE(prefs.Save());
    }

    TPrefs prefs(true);
    EXPECT_EQ(prefs.GetUserCount(), 4);
    EXPECT_EQ(prefs.GetInt("volume", 7, 0), 5);
    EXPECT_EQ(prefs.GetInt("curuser", -1, -1), 0);
    EXPECT_STREQ(prefs.GetString("name", "?", 0).c_str(), "Ann");
    EXPECT_STREQ(prefs.GetString("name", "?", 3).c_str(), "Dee");
    EXPECT_STREQ(prefs.GetString("name", "?", 1).c_str(), "?");   // an empty slot
    EXPECT_STREQ(prefs.GetString("name", "?", 4).c_str(), "?");   // no such slot
    EXPECT_STREQ(prefs.GetString("name", "?", -2).c_str(), "?");  // below the shared slot
    EXPECT_STREQ(prefs.GetString("empty", "?", 3).c_str(), "");   // empty, not missing
    EXPECT_EQ(prefs.GetInt("word", 9, 3), 0);                      // letters
    EXPECT_EQ(prefs.GetInt("missing", -3, 3), -3);

    TString out;
    prefs.GetString(out, "name", "?", 3);
    EXPECT_STREQ(out.c_str(), "Dee");
    EXPECT_TRUE(mLog.Lines().empty());
}

TEST_F(PrefsTest, FileHoldsSlotsInOrderWithEncipheredEntries)
{
    {
        TPrefs prefs(true);
        prefs.SetString("b", "2", 0, false);
        prefs.SetString("a", "", 0, false);
        prefs.SetString("Z", "shared", -1, true);
    }
    // Keys in byte order, "a" with an empty value stored as its NUL.
    const Bytes expected = Join({User(0), Entry("Z", "shared"), User(1), Entry("a", ""), Entry("b", "2")});
    const Bytes file = ReadBytes(mFile);
    EXPECT_EQ(file, expected);
    // "Z"/"shared": 2 + 2 + 7 = 11 plain bytes, enciphered into 16.
    EXPECT_EQ(GetU32(file, 10 + 4), 16u);
    // "a"/"": 2 + 2 + 1 = 5 plain bytes, one block.
    EXPECT_EQ(GetU32(file, 10 + 8 + 16 + 10 + 4), 8u);
    EXPECT_FALSE(Exists(mFile + ".tmp"));
}

TEST_F(PrefsTest, UserCountFollowsTheHighestSlot)
{
    TPrefs prefs(false);
    prefs.SetString("k", "v", -1, false);
    EXPECT_EQ(prefs.GetUserCount(), 0);
    prefs.SetString("k", "v", 3, false);
    EXPECT_EQ(prefs.GetUserCount(), 4);
    prefs.SetString("k", "v", 1, false);
    EXPECT_EQ(prefs.GetUserCount(), 4);
}

TEST_F(PrefsTest, DeleteUserRemovesThatUserAndNeverTheSharedSlot)
{
    TPrefs prefs(true);
    prefs.SetString("curuser", "1", -1, false);
    for (int u = 0; u < 3; ++u)
        prefs.SetString("name", StrFormat("u%d", u), u, false);

    prefs.DeleteUser(-1);  // outside: nothing
    prefs.DeleteUser(3);
    EXPECT_EQ(prefs.GetUserCount(), 3);

    prefs.DeleteUser(0);
    EXPECT_EQ(prefs.GetUserCount(), 2);
    EXPECT_STREQ(prefs.GetString("name", "?", 0).c_str(), "u1");
    EXPECT_STREQ(prefs.GetString("name", "?", 1).c_str(), "u2");
    EXPECT_STREQ(prefs.GetString("curuser", "?", -1).c_str(), "1");

    prefs.DeleteUser(1);  // the last user can be removed
    EXPECT_EQ(prefs.GetUserCount(), 1);
    EXPECT_STREQ(prefs.GetString("name", "?", 0).c_str(), "u1");
    ASSERT_TRUE(prefs.Save());

    TPrefs reloaded(true);
    EXPECT_EQ(reloaded.GetUserCount(), 1);
    EXPECT_STREQ(reloaded.GetString("name", "?", 0).c_str(), "u1");
    reloaded.DeleteUser(0);
    EXPECT_EQ(reloaded.GetUserCount(), 0);
    EXPECT_STREQ(reloaded.GetString("curuser", "?", -1).c_str(), "1");
}

TEST_F(PrefsTest, NothingIsWrittenWithoutSaveOrWhenDisabled)
{
    {
        TPrefs prefs(false);
        prefs.SetString("a", "1", 0, true);
        EXPECT_FALSE(prefs.Save());
    }
    EXPECT_FALSE(Exists(mFile));
    {
        TPrefs prefs(true);
        prefs.SetString("a", "1", 0, false);
    }  // the destructor does not save
    EXPECT_FALSE(Exists(mFile));
    {
        TPrefs prefs(true);
        EXPECT_EQ(prefs.GetUserCount(), 0);
        EXPECT_TRUE(prefs.Save());  // an empty store makes an empty file
    }
    EXPECT_TRUE(Exists(mFile));
    EXPECT_TRUE(ReadBytes(mFile).empty());
    TPrefs prefs(true);
    EXPECT_EQ(prefs.GetUserCount(), 0);
    EXPECT_TRUE(mLog.Lines().empty());
}

TEST_F(PrefsTest, MissingKeyIsLoggedAndTheStoreStillWorks)
{
    ClearConfig();
    TPrefs prefs(true);
    prefs.SetString("a", "1", 0, true);
    const std::vector<std::string> lines = mLog.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(": ERROR: No encryption key set before TPrefs construction!"), std::string::npos);

    // A store saved without the key does not read with it.
    SetConfig("encryptionkey", kKey);
    TPrefs other(false);
    EXPECT_STREQ(other.GetString("a", "?", 0).c_str(), "?");
}

TEST_F(PrefsTest, DamagedFileKeepsWhatCameBeforeAndLogsOnce)
{
    const Bytes good = Join({User(0), Entry("a", "1"), User(1), Entry("b", "2")});
    const Bytes after = Join({User(2), Entry("c", "3")});

    Bytes noKeyNul;  // n = 3 bytes of key without a NUL
    PutU16(noKeyNul, 3);
    noKeyNul.insert(noKeyNul.end(), {'k', 'e', 'y', 'v', 0});
    Bytes noValueNul = EntryPlain("k", "v");
    noValueNul.pop_back();
    Bytes longKey = EntryPlain("k", "v");
    longKey[0] = 200;  // n beyond the payload
    Bytes padEight = Encipher({1, 2, 3, 4, 5, 6, 7, 8});
    padEight.resize(8);  // the first block alone deciphers to no bytes at all

    struct Case {
        const char* what;
        Bytes tail;
        bool atEnd = false;  // the file ends with it
    } cases[] = {
        {"slot above 1024", User(1025)},
        {"slot 65535", User(65535)},
        {"user chunk of one byte", Chunk("USER", {1})},
        {"length 0", Chunk("KVPR", {}, 0)},
        {"length above 4 MB", Chunk("KVPR", Bytes(16, 0), 4194305)},
        {"length beyond the file", Chunk("KVPR", Bytes(16, 0), 1000)},
        {"payload cut short", Chunk("USER", {2}, 2), true},
        {"header cut short", Bytes{'K', 'V', 'P', 'R', 16}, true},
        {"unknown tag", Chunk("ABCD", Bytes(8, 0))},
        {"unknown plain tag", Chunk("UFOS", {0, 0})},
        {"key without NUL", Chunk("KVPR", Encipher(noKeyNul))},
        {"value without NUL", Chunk("KVPR", Encipher(noValueNul))},
        {"key length beyond the payload", Chunk("KVPR", Encipher(longKey))},
        {"enciphered to nothing", Chunk("KVPR", padEight)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mLog.Restart();
        WriteBytes(mFile, c.atEnd ? Join({good, c.tail}) : Join({good, c.tail, after}));
        TPrefs prefs(false);
        EXPECT_STREQ(prefs.GetString("a", "?", -1).c_str(), "1");
        EXPECT_STREQ(prefs.GetString("b", "?", 0).c_str(), "2");
        EXPECT_STREQ(prefs.GetString("c", "?", 1).c_str(), "?");
        EXPECT_EQ(prefs.GetUserCount(), 1);
        EXPECT_EQ(mLog.Lines().size(), 1u);
    }

    // A whole file and an empty one log nothing.
    for (const Bytes& whole : {Join({good, after}), Bytes()}) {
        mLog.Restart();
        WriteBytes(mFile, whole);
        TPrefs prefs(false);
        EXPECT_EQ(prefs.GetUserCount(), whole.empty() ? 0 : 2);
        EXPECT_TRUE(mLog.Lines().empty());
    }
}

TEST_F(PrefsTest, EntryBeforeAnySlotIsSkipped)
{
    WriteBytes(mFile, Join({Entry("x", "9"), User(0), Entry("a", "1"), Entry("x", "8")}));
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetString("a", "?", -1).c_str(), "1");
    EXPECT_STREQ(prefs.GetString("x", "?", -1).c_str(), "8");
    EXPECT_EQ(mLog.Lines().size(), 1u);
}

TEST_F(PrefsTest, LoadedValueKeepsItsBytesButReadsUpToItsNul)
{
    // A value with bytes after its NUL is read as text up to the NUL and
    // written back unchanged.
    Bytes plain = EntryPlain("k", "ab");
    plain.insert(plain.end(), {'x', 'y'});
    const Bytes file = Join({User(0), Chunk("KVPR", Encipher(plain))});
    WriteBytes(mFile, file);
    {
        TPrefs prefs(true);
        EXPECT_STREQ(prefs.GetString("k", "?", -1).c_str(), "ab");
        EXPECT_TRUE(prefs.Save());
    }
    EXPECT_EQ(ReadBytes(mFile), file);
}

TEST_F(PrefsTest, InterruptedSaveLeavesTheOldFile)
{
    {
        TPrefs prefs(true);
        prefs.SetString("a", "old", 0, true);
    }
    const Bytes before = ReadBytes(mFile);
    ASSERT_FALSE(before.empty());

    TPrefs::SetCommitHook([] { return false; });  // "crash" before the rename
    {
        TPrefs prefs(true);
        prefs.SetString("a", "new", 0, false);
        prefs.SetString("b", "more", 1, true);
        EXPECT_FALSE(prefs.Save());
    }
    TPrefs::SetCommitHook(nullptr);
    EXPECT_EQ(ReadBytes(mFile), before);
    ASSERT_TRUE(Exists(mFile + ".tmp"));
    {
        TPrefs prefs(true);  // a leftover temporary file is not read
        EXPECT_STREQ(prefs.GetString("a", "?", 0).c_str(), "old");
        EXPECT_EQ(prefs.GetUserCount(), 1);
    }

    // The temporary file was complete.
    WriteBytes(mFile, ReadBytes(mFile + ".tmp"));
    {
        TPrefs prefs(true);
        EXPECT_STREQ(prefs.GetString("a", "?", 0).c_str(), "new");
        EXPECT_STREQ(prefs.GetString("b", "?", 1).c_str(), "more");
        prefs.SetString("c", "last", 1, true);
    }
    EXPECT_FALSE(Exists(mFile + ".tmp"));
    TPrefs prefs(true);
    EXPECT_STREQ(prefs.GetString("c", "?", 1).c_str(), "last");
    EXPECT_TRUE(mLog.Lines().empty());
}

TEST_F(PrefsTest, FailedSaveIsLoggedAndKeepsTheOldFile)
{
    TPrefs prefs(true);
    prefs.SetString("a", "old", 0, true);
    const Bytes before = ReadBytes(mFile);

    ASSERT_EQ(mkdir((mFile + ".tmp").c_str(), 0755), 0);  // the temporary file cannot open
    prefs.SetString("a", "new", 0, true);
    EXPECT_FALSE(prefs.Save());
    EXPECT_EQ(ReadBytes(mFile), before);
    EXPECT_EQ(mLog.Lines().size(), 2u);
    EXPECT_STREQ(prefs.GetString("a", "?", 0).c_str(), "new");  // memory is unchanged
}

TEST_F(PrefsTest, EntriesTooLongForAChunkAreRefused)
{
    const std::string longestKey(65534, 'k');  // n = 65535
    // Plain bytes: 2 + 2 ("k" and its NUL) + value + 1 must stay at most
    // 4,194,303 so that the enciphered chunk is at most 4,194,304 bytes.
    const std::string largestValue(4194298, 'v');
    {
        TPrefs prefs(true);
        prefs.SetString(longestKey.c_str(), "fits", -1, false);
        prefs.SetString((longestKey + "k").c_str(), "too long", -1, false);
        prefs.SetString("k", largestValue.c_str(), 0, false);
        prefs.SetString("k", (largestValue + "v").c_str(), 1, false);
        prefs.SetString("k", "slot 1024", 1023, false);
        prefs.SetString("k", "slot 1025", 1024, false);
        prefs.SetString("k", "below the shared slot", -2, false);
        EXPECT_EQ(mLog.Lines().size(), 4u);
        EXPECT_EQ(prefs.GetUserCount(), 1024);
        EXPECT_TRUE(prefs.Save());
    }
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetString(longestKey.c_str(), "?", -1).c_str(), "fits");
    EXPECT_EQ(prefs.GetString("k", "?", 0).Length(), largestValue.size());
    EXPECT_STREQ(prefs.GetString("k", "?", 1).c_str(), "?");
    EXPECT_STREQ(prefs.GetString("k", "?", 1023).c_str(), "slot 1024");
    EXPECT_EQ(prefs.GetUserCount(), 1024);
    EXPECT_EQ(mLog.Lines().size(), 4u);
}

TEST_F(PrefsTest, FullSizeEntryWithoutPaddingIsRefused)
{
    // 4,194,304 plain bytes whose last byte (the value's NUL) reads as a pad
    // count of 0: taken whole, it could never be written back in one chunk.
    const Bytes plain = EntryPlain("k", std::string(4194304 - 5, 'v'));
    Bytes cipher = Encipher(plain);
    cipher.resize(plain.size());  // drop the pad block
    WriteBytes(mFile, Join({User(0), Entry("a", "1"), Chunk("KVPR", cipher), Entry("b", "2")}));
    TPrefs prefs(false);
    EXPECT_STREQ(prefs.GetString("a", "?", -1).c_str(), "1");
    EXPECT_EQ(prefs.GetString("k", "?", -1), "?");
    EXPECT_EQ(prefs.GetString("b", "?", -1), "?");
    EXPECT_EQ(mLog.Lines().size(), 1u);
}
