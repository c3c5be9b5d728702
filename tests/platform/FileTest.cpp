#include "platform/AssetNames.h"
#include "platform/DiskFileData.h"
#include "platform/File.h"
#include "platform/FlatFileMap.h"
#include "platform/Log.h"
#include "platform/MemoryFile.h"
#include "platform/PackFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteWhole(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Builds a pack holding the given entries, data placed after the directory.
std::string BuildPack(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string pack = "DNPK";
    PutU32(pack, static_cast<uint32_t>(entries.size()));
    uint32_t dirSize = 0;
    for (const auto& e : entries)
        dirSize += 1 + static_cast<uint32_t>(e.first.size()) + 8;
    uint32_t offset = 8 + dirSize;
    for (const auto& e : entries) {
        pack.push_back(static_cast<char>(e.first.size()));
        pack += e.first;
        PutU32(pack, offset);
        PutU32(pack, static_cast<uint32_t>(e.second.size()));
        offset += static_cast<uint32_t>(e.second.size());
    }
    for (const auto& e : entries)
        pack += e.second;
    return pack;
}

enum class Source { Memory, Pack, Disk };

const char* SourceName(Source s)
{
    switch (s) {
    case Source::Memory: return "memory";
    case Source::Pack: return "pack";
    case Source::Disk: return "disk";
    }
    return "?";
}

class FileInterface : public ::testing::Test {
protected:
    void SetUp() override
    {
        mRoot = mTemp.Path();
        ASSERT_FALSE(mRoot.empty());
        mUser = mRoot + "/user";
        mCommon = mRoot + "/common";
        mDesktop = mRoot + "/desktop";
        ASSERT_EQ(mkdir(mUser.c_str(), 0700), 0);
        ASSERT_EQ(mkdir(mCommon.c_str(), 0700), 0);
        ASSERT_EQ(mkdir(mDesktop.c_str(), 0700), 0);
        SetAssetFolders(mUser.c_str(), mCommon.c_str(), mDesktop.c_str());
    }

    void TearDown() override
    {
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }

    // Makes `bytes` openable from the given source; returns the asset name.
    std::string Provide(Source source, const std::string& bytes)
    {
        std::string name;
        switch (source) {
        case Source::Memory:
            mBuffers.push_back(std::make_unique<std::string>(bytes));
            name = "mem/file" + std::to_string(mBuffers.size()) + ".txt";
            RegisterMemoryFile(name.c_str(), mBuffers.back()->data(),
                               static_cast<uint32_t>(bytes.size()));
            break;
        case Source::Pack: {
            ++mPacks;
            std::string entry = "Data/Entry" + std::to_string(mPacks) + ".TXT";
            std::string path = mRoot + "/p" + std::to_string(mPacks) + ".dnp";
            WriteWhole(path, BuildPack({{"Other.bin", "zz"}, {entry, bytes}}));
            AddFlatFile(("::" + path).c_str());
            name = "data/entry" + std::to_string(mPacks) + ".txt";
            break;
        }
        case Source::Disk: {
            ++mDisk;
            std::string file = "disk" + std::to_string(mDisk) + ".txt";
            WriteWhole(mUser + "/" + file, bytes);
            name = "user:" + file;
            break;
        }
        }
        return name;
    }

    TTempFolder mTemp{"quillory-file"};
    TLogCapture mLog{mTemp.File("log")};
    std::string mRoot, mUser, mCommon, mDesktop;
    std::vector<std::unique_ptr<std::string>> mBuffers;
    int mPacks = 0;
    int mDisk = 0;
};

const Source kSources[] = {Source::Memory, Source::Pack, Source::Disk};

TEST_F(FileInterface, EmptyHandleGivesDefaults)
{
    TFileHandle empty;
    char buf[8] = "xxxxxxx";
    EXPECT_FALSE(empty.IsOpen());
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.Tell(), -1);
    EXPECT_EQ(empty.GetSize(), 0u);
    EXPECT_EQ(empty.Read(buf, 4), 0u);
    EXPECT_EQ(empty.Write(buf, 4), 0u);
    empty.Seek(3, kSeekStart);
    empty.Unget();
    EXPECT_EQ(empty.Tell(), -1);

    // The free functions give the same on an empty handle and on null.
    for (TFileHandle* h : {&empty, static_cast<TFileHandle*>(nullptr)}) {
        EXPECT_TRUE(FileNotOpen(h));
        EXPECT_TRUE(FileEof(h));
        EXPECT_EQ(FileTell(h), -1);
        EXPECT_EQ(FileGetSize(h), 0u);
        EXPECT_EQ(FileRead(h, buf, 4), 0u);
        EXPECT_EQ(FileWrite(h, buf, 4), 0u);
        EXPECT_EQ(FileGetc(h), -1);
        EXPECT_EQ(FileGets(h, buf, sizeof buf), nullptr);
        EXPECT_EQ(buf[0], '\0');
        FileSeek(h, 1, kSeekStart);
        FileUngetc(h);
    }
    FileClose(nullptr);

    EXPECT_EQ(OpenAssetFile("no/such/file.txt", kFileReadBinary), nullptr);
    EXPECT_EQ(OpenAssetFile("", kFileReadBinary), nullptr);
    EXPECT_EQ(OpenAssetFile("user:missing.txt", kFileReadBinary), nullptr);
}

TEST_F(FileInterface, TextReadDropsCarriageReturnsOnEverySource)
{
    for (Source source : kSources) {
        SCOPED_TRACE(SourceName(source));
        std::string name = Provide(source, std::string("a\r\nb", 4));

        TFileHandle* text = OpenAssetFile(name.c_str(), kFileReadText);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(FileGetSize(text), 4u);
        char buf[8] = {};
        EXPECT_EQ(FileRead(text, buf, 4), 3u);
        EXPECT_EQ(std::string(buf, 3), "a\nb");
        EXPECT_EQ(FileRead(text, buf, 4), 0u);
        EXPECT_TRUE(FileEof(text));
        FileClose(text);

        // A request cut short by dropped CRs is topped up from what follows.
        TFileHandle* again = OpenAssetFile(name.c_str(), kFileReadText);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(FileRead(again, buf, 2), 2u);
        EXPECT_EQ(std::string(buf, 2), "a\n");
        EXPECT_EQ(FileGetc(again), 'b');
        FileClose(again);

        // Unknown modes read as text.
        TFileHandle* odd = OpenAssetFile(name.c_str(), 9);
        ASSERT_NE(odd, nullptr);
        EXPECT_EQ(FileRead(odd, buf, 4), 3u);
        FileClose(odd);

        TFileHandle* binary = OpenAssetFile(name.c_str(), kFileReadBinary);
        ASSERT_NE(binary, nullptr);
        EXPECT_EQ(FileRead(binary, buf, 8), 4u);
        EXPECT_EQ(std::string(buf, 4), std::string("a\r\nb", 4));
        FileClose(binary);
    }
}

TEST_F(FileInterface, GetsReturnsSameLinesOnEverySource)
{
    struct Case {
        const char* label;
        std::string bytes;
        int mode;
        std::vector<std::string> lines;   // lines returned before the null
    };
    const Case cases[] = {
        {"final LF", "one\ntwo\n", kFileReadBinary, {"one\n", "two\n"}},
        {"no final line end", "one\ntwo", kFileReadBinary, {"one\n"}},
        {"CRLF binary", "x\r\ny\r\n", kFileReadBinary, {"x\r", "\n", "y\r", "\n"}},
        {"CRLF text", "x\r\ny\r\n", kFileReadText, {"x\n", "y\n"}},
        {"long line split", "abcdefgh\n", kFileReadBinary, {"abcde", "fgh\n"}},
        {"empty file", "", kFileReadBinary, {}},
    };
    for (const Case& c : cases) {
        for (Source source : kSources) {
            SCOPED_TRACE(std::string(c.label) + " / " + SourceName(source));
            std::string name = Provide(source, c.bytes);
            TFileHandle* f = OpenAssetFile(name.c_str(), c.mode);
            ASSERT_NE(f, nullptr);
            char buf[6];
            for (const std::string& want : c.lines) {
                char* end = FileGets(f, buf, sizeof buf);
                ASSERT_NE(end, nullptr);
                EXPECT_EQ(std::string(buf), want);
                EXPECT_EQ(end, buf + want.size());
                EXPECT_EQ(*end, '\0');
            }
            EXPECT_EQ(FileGets(f, buf, sizeof buf), nullptr);
            FileClose(f);
        }
    }
}

TEST_F(FileInterface, GetsWithSizeOneReadsNothing)
{
    for (Source source : kSources) {
        SCOPED_TRACE(SourceName(source));
        TFileHandle* f = OpenAssetFile(Provide(source, "ab\n").c_str(), kFileReadBinary);
        ASSERT_NE(f, nullptr);
        char buf[4] = "zzz";
        EXPECT_EQ(FileGets(f, buf, 1), buf);
        EXPECT_EQ(buf[0], '\0');
        EXPECT_EQ(FileTell(f), 0);
        EXPECT_EQ(FileGets(f, buf, 0), nullptr);
        EXPECT_EQ(FileGetc(f), 'a');
        FileClose(f);
    }
}

TEST_F(FileInterface, SeekTellUngetAgreeOnEverySource)
{
    for (Source source : kSources) {
        SCOPED_TRACE(SourceName(source));
        TFileHandle* f = OpenAssetFile(Provide(source, "0123456789").c_str(), kFileReadBinary);
        ASSERT_NE(f, nullptr);
        FileSeek(f, 3, kSeekStart);
        EXPECT_EQ(FileTell(f), 3);
        FileSeek(f, 2, kSeekCurrent);
        EXPECT_EQ(FileTell(f), 5);
        FileSeek(f, -4, kSeekEnd);
        EXPECT_EQ(FileTell(f), 6);
        EXPECT_EQ(FileGetc(f), '6');
        FileUngetc(f);
        EXPECT_EQ(FileGetc(f), '6');
        EXPECT_EQ(FileGetc(f), '7');
        // Size does not move the position.
        EXPECT_EQ(FileGetSize(f), 10u);
        EXPECT_EQ(FileTell(f), 8);
        EXPECT_EQ(FileGetc(f), '8');
        EXPECT_EQ(FileGetc(f), '9');
        EXPECT_EQ(FileGetc(f), -1);
        EXPECT_TRUE(FileEof(f));
        FileClose(f);
    }
}

TEST_F(FileInterface, MemoryAndPackSeeksClampToTheEnd)
{
    struct Case {
        int32_t offset;
        int origin;
        int32_t want;   // from position 4 of 10
    };
    const Case cases[] = {
        {-5, kSeekStart, 10},    // negative compares as huge
        {20, kSeekStart, 10},
        {7, kSeekCurrent, 10},
        {-5, kSeekCurrent, 10},  // before the start wraps, then clamps
        {5, kSeekEnd, 10},
        {-10, kSeekEnd, 0},
        {1, 7, 4},               // unknown origin leaves the position
    };
    for (Source source : {Source::Memory, Source::Pack}) {
        TFileHandle* f = OpenAssetFile(Provide(source, "0123456789").c_str(), kFileReadBinary);
        ASSERT_NE(f, nullptr);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(SourceName(source)) + " offset " + std::to_string(c.offset) +
                         " origin " + std::to_string(c.origin));
            FileSeek(f, 4, kSeekStart);
            FileSeek(f, c.offset, c.origin);
            EXPECT_EQ(FileTell(f), c.want);
            EXPECT_EQ(FileEof(f), c.want == 10);
        }
        // Ungetting at the start stays at the start.
        FileSeek(f, 0, kSeekStart);
        FileUngetc(f);
        EXPECT_EQ(FileTell(f), 0);
        EXPECT_EQ(FileGetc(f), '0');
        FileClose(f);
    }
}

TEST_F(FileInterface, OnlyDiskFilesTakeWrites)
{
    // A pack entry opens in a write mode but stays read-only.
    std::string packed = Provide(Source::Pack, "packed");
    for (int mode : {kFileWriteBinary, kFileWriteText, kFileAppendBinary, kFileAppendText}) {
        SCOPED_TRACE(mode);
        TFileHandle* f = OpenAssetFile(packed.c_str(), mode);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(FileWrite(f, "xy", 2), 0u);
        char buf[8] = {};
        EXPECT_EQ(FileRead(f, buf, 8), 6u);
        EXPECT_STREQ(buf, "packed");
        FileClose(f);
    }

    // A memory file refuses write modes at open.
    std::string mem = Provide(Source::Memory, "memory");
    for (int mode : {kFileWriteBinary, kFileWriteText, kFileAppendBinary, kFileAppendText}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(OpenAssetFile(mem.c_str(), mode), nullptr);
    }

    // Disk: text write keeps LF line ends; append adds at the end.
    TFileHandle* w = OpenAssetFile("user:out.txt", kFileWriteText);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(FileWrite(w, "a\nb", 3), 3u);
    FileClose(w);
    TFileHandle* a = OpenAssetFile("user:out.txt", kFileAppendBinary);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(FileWrite(a, "\r\nc", 3), 3u);
    FileClose(a);
    EXPECT_EQ(ReadWhole(mUser + "/out.txt"), "a\nb\r\nc");

    // Writing truncates; reading a write-only file gives nothing.
    TFileHandle* t = OpenAssetFile("user:out.txt", kFileWriteBinary);
    ASSERT_NE(t, nullptr);
    char buf[4];
    EXPECT_EQ(FileRead(t, buf, 4), 0u);
    FileClose(t);
    EXPECT_EQ(ReadWhole(mUser + "/out.txt"), "");
}

TEST_F(FileInterface, WriteCreatesFoldersUnderUserAndCommonOnly)
{
    TFileHandle* f = OpenAssetFile("user:saves/a/b.dat", kFileWriteBinary);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FileWrite(f, "data", 4), 4u);
    FileClose(f);
    EXPECT_TRUE(IsFolder(mUser + "/saves"));
    EXPECT_TRUE(IsFolder(mUser + "/saves/a"));
    EXPECT_EQ(ReadWhole(mUser + "/saves/a/b.dat"), "data");

    f = OpenAssetFile("common:x/y/z.txt", kFileAppendText);
    ASSERT_NE(f, nullptr);
    FileClose(f);
    EXPECT_TRUE(IsFolder(mCommon + "/x/y"));

    // Reading creates nothing.
    EXPECT_EQ(OpenAssetFile("user:r/s.txt", kFileReadBinary), nullptr);
    EXPECT_FALSE(IsFolder(mUser + "/r"));

    // The desktop folder is neither: its missing folders are not made.
    EXPECT_EQ(OpenAssetFile("desktop:d/e.txt", kFileWriteBinary), nullptr);
    EXPECT_FALSE(IsFolder(mDesktop + "/d"));

    // A folder whose name merely starts like the user folder is not inside it.
    std::string lookalike = mUser + "2";
    SetAssetFolders(mUser.c_str(), mCommon.c_str(), lookalike.c_str());
    EXPECT_EQ(OpenAssetFile("desktop:q/w.txt", kFileWriteBinary), nullptr);
    EXPECT_FALSE(IsFolder(lookalike));
}

TEST_F(FileInterface, OnlyRegularFilesOpen)
{
    ASSERT_EQ(mkdir((mUser + "/folder").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((mUser + "/pipe").c_str(), 0600), 0);
    for (int mode : {kFileReadBinary, kFileReadText, kFileWriteBinary, kFileAppendBinary}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(OpenAssetFile("user:folder", mode), nullptr);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(OpenAssetFile("user:pipe", mode), nullptr);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    }
    EXPECT_TRUE(IsFolder(mUser + "/folder"));

    TDiskFileData disk;
    EXPECT_FALSE(disk.Open("", kFileReadBinary));
    EXPECT_FALSE(disk.Open(nullptr, kFileReadBinary));
    EXPECT_FALSE(disk.Open(mUser.c_str(), kFileReadBinary));
    EXPECT_TRUE(disk.Eof());
    EXPECT_EQ(disk.Tell(), 0);
}

TEST_F(FileInterface, DiskUngetPushesBackOnce)
{
    TFileHandle* f = OpenAssetFile(Provide(Source::Disk, "abc").c_str(), kFileReadBinary);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FileGetc(f), 'a');
    EXPECT_EQ(FileGetc(f), 'b');
    FileUngetc(f);
    FileUngetc(f);
    EXPECT_EQ(FileTell(f), 1);
    EXPECT_EQ(FileGetc(f), 'b');
    EXPECT_EQ(FileGetc(f), 'c');
    FileClose(f);
}

TEST_F(FileInterface, MemoryLocatorsParseStrictly)
{
    // A heap buffer's full 64-bit address survives the locator.
    auto heap = std::make_unique<char[]>(5);
    memcpy(heap.get(), "heap!", 5);
    RegisterMemoryFile("heap.bin", heap.get(), 5);
    TFileHandle* f = OpenAssetFile("HEAP.BIN", kFileReadBinary);
    ASSERT_NE(f, nullptr);
    char buf[8] = {};
    EXPECT_EQ(FileRead(f, buf, 8), 5u);
    EXPECT_STREQ(buf, "heap!");
    FileClose(f);

    char locator[64];
    snprintf(locator, sizeof locator, "&%llu,%u",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(heap.get())), 5u);
    TMemoryFile direct;
    EXPECT_TRUE(direct.Open(locator, kFileReadBinary));
    EXPECT_EQ(direct.GetSize(), 5u);
    direct.Close();
    EXPECT_EQ(direct.GetSize(), 0u);
    EXPECT_TRUE(direct.Eof());

    const char* bad[] = {
        "&", "&123", "&,5", "&abc,5", "&0,5", "&12,", "&12,-1", "&12,5x", "& 12,5",
        "&99999999999999999999999,1", "&12,4294967296", "@0:0,1",
    };
    for (const char* b : bad) {
        SCOPED_TRACE(b);
        TMemoryFile m;
        EXPECT_FALSE(m.Open(b, kFileReadBinary));
        EXPECT_EQ(m.Read(buf, 1), 0u);
    }
    // An empty buffer at no address is a valid empty file.
    TMemoryFile empty;
    EXPECT_TRUE(empty.Open("&0,0", kFileReadBinary));
    EXPECT_EQ(empty.Read(buf, 1), 0u);
    EXPECT_TRUE(empty.Eof());
}

TEST_F(FileInterface, PackLocatorsStayInsideTheMapping)
{
    std::string path = mRoot + "/bounds.dnp";
    std::string pack = BuildPack({{"Sounds/Music.ogg", "music"}});
    WriteWhole(path, pack);
    AddFlatFile(("::" + path).c_str());
    int index = GetFlatFileCount() - 1;
    ASSERT_GE(index, 0);

    TFileHandle* f = OpenAssetFile("sounds/music.ogg", kFileReadBinary);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FileGetSize(f), 5u);
    FileClose(f);

    const uint32_t packSize = static_cast<uint32_t>(pack.size());
    struct Case {
        std::string locator;
        bool opens;
        bool logged;
    };
    const Case cases[] = {
        {"@" + std::to_string(index) + ":0," + std::to_string(packSize), true, false},
        {"@" + std::to_string(index) + ":" + std::to_string(packSize) + ",0", true, false},
        {"@" + std::to_string(index) + ":1," + std::to_string(packSize), false, true},
        {"@" + std::to_string(index) + ":" + std::to_string(packSize + 1) + ",0", false, true},
        {"@" + std::to_string(index) + ":4294967295,4294967295", false, true},
        {"@" + std::to_string(index) + ":0", false, false},
        {"@" + std::to_string(index) + ",0:1", false, false},
        {"@" + std::to_string(index) + ":x,1", false, false},
        {"@" + std::to_string(index + 50) + ":0,1", false, false},
        {"@-1:0,1", false, false},
        {"@", false, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locator);
        std::string key = "bounds" + std::to_string(n++);
        RegisterAssetFile(key.c_str(), c.locator.c_str());
        TFileHandle* h = OpenAssetFile(key.c_str(), kFileReadBinary);
        EXPECT_EQ(h != nullptr, c.opens);
        FileClose(h);
        EXPECT_EQ(mLog.Has(c.locator + " lies outside"), c.logged);
    }
}

} // namespace
