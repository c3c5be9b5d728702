// Replacing a user file whole: the new bytes or the old file, never a part,
// no temporary file left behind, and nothing written through a link or over
// a folder.
#include "platform/AssetNames.h"
#include "platform/ReplaceFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ReplaceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mFolder.Path().empty());
        fs::create_directory(mUser);
        ClearRegisteredFiles();
        SetAssetFolders(mUser.c_str(), mUser.c_str(), mUser.c_str());
    }
    void TearDown() override
    {
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool Replace(const char* name, const std::string& bytes)
    {
        return ReplaceFileWhole(TString(name), TString(name) + " tmp", bytes.data(), uint32_t(bytes.size()));
    }
    std::vector<std::string> Names(const std::string& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(mUser + "/" + folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TTempFolder mFolder{"replacefile"};
    const std::string mUser = mFolder.File("user");
};

TEST_F(ReplaceFileTest, WritesNewAndReplacesOldWithNothingLeftBeside)
{
    ASSERT_TRUE(Replace("user:a/b/c", "first"));
    EXPECT_EQ(Read(mUser + "/a/b/c"), "first");
    ASSERT_TRUE(Replace("user:a/b/c", std::string("\0second\xFF", 8)));
    EXPECT_EQ(Read(mUser + "/a/b/c"), std::string("\0second\xFF", 8));
    ASSERT_TRUE(Replace("user:a/b/c", ""));
    EXPECT_TRUE(fs::is_regular_file(mUser + "/a/b/c"));
    EXPECT_EQ(fs::file_size(mUser + "/a/b/c"), 0u);
    EXPECT_EQ(Names("a/b"), std::vector<std::string>{"c"});
}

// A leftover temporary file, or a link in its place, is removed, not
// written through.
TEST_F(ReplaceFileTest, StaleTemporaryFileOrLinkIsRemovedFirst)
{
    fs::create_directories(mUser + "/s");
    std::ofstream(mUser + "/s/f tmp") << "half a file";
    ASSERT_TRUE(Replace("user:s/f", "whole"));
    EXPECT_EQ(Read(mUser + "/s/f"), "whole");

    const std::string target = mFolder.File("target");
    std::ofstream(target) << "keep";
    fs::create_symlink(target, mUser + "/s/f tmp");
    ASSERT_TRUE(Replace("user:s/f", "again"));
    EXPECT_EQ(Read(target), "keep");
    EXPECT_EQ(Read(mUser + "/s/f"), "again");
    EXPECT_EQ(Names("s"), std::vector<std::string>{"f"});
}

// Where the file cannot be replaced: false, the old contents stay and no
// temporary file is left.
TEST_F(ReplaceFileTest, RefusedWhereThereIsNoFileToReplace)
{
    fs::create_directories(mUser + "/d/folder");
    std::ofstream(mUser + "/d/folder/inside") << "x";
    EXPECT_FALSE(Replace("user:d/folder", "data"));
    EXPECT_TRUE(fs::is_directory(mUser + "/d/folder"));
    EXPECT_EQ(Read(mUser + "/d/folder/inside"), "x");
    EXPECT_EQ(Names("d"), std::vector<std::string>{"folder"});

    // A name that is no file on disk: a memory file, a name of the assets.
    static const char kMemory[] = "memory";
    RegisterMemoryFile("mem.dat", kMemory, 6);
    EXPECT_FALSE(Replace("mem.dat", "data"));
    EXPECT_FALSE(Replace("", "data"));
}

} // namespace
