#include "platform/PackFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/AssetNames.h"
#include "platform/File.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::string;

void PutLE32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

struct PackEntry {
    std::string name;
    std::string data;
};

// A well-formed pack: magic, count, directory, then the entries' data.
Bytes BuildPack(const std::vector<PackEntry>& entries)
{
    uint32_t directory = 8;
    for (const PackEntry& e : entries)
        directory += 1 + static_cast<uint32_t>(e.name.size()) + 8;
    Bytes out = "DNPK";
    PutLE32(out, static_cast<uint32_t>(entries.size()));
    uint32_t offset = directory;
    for (const PackEntry& e : entries) {
        out += static_cast<char>(e.name.size());
        out += e.name;
        PutLE32(out, offset);
        PutLE32(out, static_cast<uint32_t>(e.data.size()));
        offset += static_cast<uint32_t>(e.data.size());
    }
    for (const PackEntry& e : entries)
        out += e.data;
    return out;
}

// One raw directory entry, for packs that lie about themselves.
Bytes RawEntry(const std::string& name, uint32_t offset, uint32_t size)
{
    Bytes out(1, static_cast<char>(name.size()));
    out += name;
    PutLE32(out, offset);
    PutLE32(out, size);
    return out;
}

Bytes Header(int32_t count)
{
    Bytes out = "DNPK";
    PutLE32(out, static_cast<uint32_t>(count));
    return out;
}

void WriteBytes(const std::string& path, const Bytes& bytes)
{
    if (fs::path(path).has_parent_path())
        fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadAsset(const char* name)
{
    TFileHandle* file = OpenAssetFile(name, kFileReadBinary);
    if (!file)
        return "<not open>";
    std::string text(FileGetSize(file), '\0');
    text.resize(FileRead(file, text.data(), static_cast<uint32_t>(text.size())));
    FileClose(file);
    return text;
}

std::vector<std::string> RegisteredNames()
{
    std::vector<std::string> names;
    TString name;
    while (FindRegisteredFile("", name, true))
        names.push_back(name.c_str());
    return names;
}

} // namespace

class PackFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mRoot.Path().empty());
        mOldCwd = fs::current_path();
        fs::current_path(mRoot.Path());
        ClearRegisteredFiles();
        ParseManifest("-*", true);
        UnmountFlatFiles();
    }

    void TearDown() override
    {
        ClearRegisteredFiles();
        UnmountFlatFiles();
        fs::current_path(mOldCwd);
    }

    TTempFolder mRoot{"packfile"};
    TLogCapture mLog{mRoot.File("log")};
    fs::path mOldCwd;
};

TEST_F(PackFileTest, EntriesOpenByLowerCasedNameFromTheMapping)
{
    WriteBytes("Packs/Main.dnp", BuildPack({{"Sounds/Music.ogg", "OggS music"}, {"ui/x.png", "png!"}}));
    EXPECT_TRUE(AddFlatFile("::Packs/Main.dnp"));

    EXPECT_EQ(RegisteredNames(), (std::vector<std::string>{"sounds/music.ogg", "ui/x.png"}));
    TString locator = ResolveAssetPath("sounds/music.ogg", true);
    EXPECT_EQ(std::string(locator.c_str()), "@0:50,10");
    EXPECT_EQ(ReadAsset("sounds/music.ogg"), "OggS music");
    EXPECT_EQ(ReadAsset("Sounds/Music.OGG"), "OggS music");
    EXPECT_EQ(ReadAsset("assets/ui/x.png"), "png!");

    const uint8_t* data = nullptr;
    uint64_t size = 0;
    ASSERT_TRUE(GetFlatFileView(0, &data, &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, fs::file_size("Packs/Main.dnp"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 4), "DNPK");
    EXPECT_FALSE(GetFlatFileView(1, &data, &size));
    EXPECT_FALSE(GetFlatFileView(-1, &data, &size));
    EXPECT_EQ(GetFlatFileCount(), 1);
}

// Damaged packs: each registers what it safely can, with a log line where
// something was wrong, and nothing reads outside the file.
TEST_F(PackFileTest, DamagedPacksNeverReadPastTheirEnd)
{
    Bytes good = RawEntry("good.txt", 0, 4); // the magic itself
    struct Case {
        const char* what;
        Bytes bytes;
        bool mounted;
        std::vector<std::string> names;
        const char* log; // expected log text, or null for a silent result
    } cases[] = {
        {"empty file", "", false, {}, nullptr},
        {"truncated magic", "DNP", false, {}, nullptr},
        {"foreign magic", "PK\x03\x04" + Bytes(20, '\0'), false, {}, nullptr},
        {"no count", "DNPK\x01\x00", true, {}, "no entry count"},
        {"zero count", Header(0), true, {}, nullptr},
        {"negative count", Header(-5) + good, true, {}, "is negative"},
        {"count larger than the file", Header(1000000) + good, true, {"good.txt"},
         "directory ends after 1 of 1000000 entries"},
        {"largest count", Header(0x7fffffff) + good, true, {"good.txt"}, "directory ends after 1"},
        {"name past the end", Header(2) + good + Bytes(1, '\xff') + "short", true, {"good.txt"},
         "directory ends after 1 of 2"},
        {"fields past the end", Header(1) + RawEntry("cut.txt", 0, 4).substr(0, 10), true, {},
         "directory ends after 0 of 1"},
        {"data past the end", Header(3) + good + RawEntry("far.txt", 40, 100) + RawEntry("wrap.txt", 0xfffffff0u, 0x20),
         true, {"good.txt"}, "2 entries reach past the end of the file"},
        {"unnamed entry", Header(2) + RawEntry("", 0, 4) + good, true, {"good.txt"},
         "1 entries without a name"},
        {"empty entry at the end", Header(1) + RawEntry("end.txt", 24, 0), true, {"end.txt"}, nullptr},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = "bad" + std::to_string(index++) + ".dnp";
        WriteBytes(path, c.bytes);
        ClearRegisteredFiles();
        mLog.Restart();

        EXPECT_EQ(AddFlatFile(("::" + path).c_str()), c.mounted);
        EXPECT_EQ(RegisteredNames(), c.names);
        for (const std::string& name : c.names) {
            std::string text = ReadAsset(name.c_str());
            EXPECT_EQ(text, c.bytes.substr(name == "good.txt" ? 0 : c.bytes.size(), text.size()));
        }
        std::string log = mLog.Text();
        if (c.log)
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        else
            EXPECT_EQ(log.find("Flat file"), std::string::npos) << log;
    }
}

TEST_F(PackFileTest, LooseFileBeatsPackAndLaterPackWins)
{
    WriteBytes("assets/a.dnp", BuildPack({{"same.txt", "from a"}, {"x.txt", "pack x"}, {"only-a.txt", "a"}}));
    WriteBytes("assets/b.dnp", BuildPack({{"same.txt", "from b"}}));
    WriteBytes("assets/x.txt", "loose x");
    // A pack in a subfolder is mounted from that folder.
    WriteBytes("assets/Sub/Extra.dnp", BuildPack({{"extra/e.txt", "extra"}}));
    WriteBytes("assets/notapack.txt", "DNPK");
    LoadAssetManifest();

    EXPECT_EQ(ReadAsset("same.txt"), "from b");
    EXPECT_EQ(ReadAsset("x.txt"), "loose x");
    EXPECT_EQ(ReadAsset("only-a.txt"), "a");
    EXPECT_EQ(ReadAsset("extra/e.txt"), "extra");
    EXPECT_EQ(GetFlatFileCount(), 3);
    // The manifest does not hide pack entries.
    ParseManifest("only-a.txt", true);
    EXPECT_EQ(ReadAsset("only-a.txt"), "a");
}

TEST_F(PackFileTest, MountingAgainKeepsTheIndexAndOpenEntriesStayReadable)
{
    WriteBytes("first.dnp", BuildPack({{"one.txt", "1"}}));
    WriteBytes("p.dnp", BuildPack({{"e.txt", "old data"}}));
    ASSERT_TRUE(AddFlatFile("::first.dnp"));
    ASSERT_TRUE(AddFlatFile("::p.dnp"));
    EXPECT_EQ(std::string(ResolveAssetPath("e.txt", true).c_str()).substr(0, 3), "@1:");

    TFileHandle* open = OpenAssetFile("e.txt", kFileReadBinary);
    ASSERT_NE(open, nullptr);
    char first[3] = {};
    EXPECT_EQ(FileRead(open, first, 3), 3u);

    // Replace the file (a new inode, as an update would) and mount it again.
    fs::remove("p.dnp");
    WriteBytes("p.dnp", BuildPack({{"e.txt", "new data, longer"}}));
    ASSERT_TRUE(AddFlatFile("::p.dnp"));
    EXPECT_EQ(GetFlatFileCount(), 2);
    EXPECT_EQ(std::string(ResolveAssetPath("e.txt", true).c_str()).substr(0, 3), "@1:");
    EXPECT_EQ(ReadAsset("e.txt"), "new data, longer");

    char rest[5] = {};
    EXPECT_EQ(FileRead(open, rest, 5), 5u);
    EXPECT_EQ(std::string(first, 3) + std::string(rest, 5), "old data");
    FileClose(open);

    // A new pack takes the next index.
    WriteBytes("third.dnp", BuildPack({{"three.txt", "3"}}));
    ASSERT_TRUE(AddFlatFile("::third.dnp"));
    EXPECT_EQ(std::string(ResolveAssetPath("three.txt", true).c_str()).substr(0, 3), "@2:");
}

TEST_F(PackFileTest, UnmappablePackKeepsEntriesThatFailToOpen)
{
    Bytes pack = BuildPack({{"m.txt", "memory"}});
    RegisterMemoryFile("mem.dnp", pack.data(), static_cast<uint32_t>(pack.size()));
    EXPECT_FALSE(AddFlatFile("mem.dnp"));
    EXPECT_TRUE(AssetExists("m.txt"));
    EXPECT_EQ(OpenAssetFile("m.txt", kFileReadBinary), nullptr);

    const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
    uint64_t size = 7;
    EXPECT_TRUE(GetFlatFileView(0, &data, &size));
    EXPECT_EQ(data, nullptr);
    std::string log = mLog.Text();
    EXPECT_NE(log.find("Failed to open flat file mem.dnp"), std::string::npos) << log;
    EXPECT_NE(log.find("from flat file"), std::string::npos) << log;

    // A missing pack is passed over silently.
    EXPECT_FALSE(AddFlatFile("::missing.dnp"));
    EXPECT_EQ(GetFlatFileCount(), 1);
}
