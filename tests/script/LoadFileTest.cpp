// luaL_loadfile reads asset names through the program's file interface.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
#include "platform/AssetNames.h"
#include "platform/PackFile.h"
#include "support/PackWriter.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

int CollectChunk(lua_State*, const void* data, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(data), size);
    return 0;
}

class LoadFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mRoot.empty());
        ClearRegisteredFiles();
        ParseManifest("-*", true);
        UnmountFlatFiles();
        SetAssetFolders((mRoot + "/user").c_str(), (mRoot + "/common").c_str(), (mRoot + "/desktop").c_str());
        L = luaL_newstate();
        ASSERT_NE(L, nullptr);
        lua_pushcfunction(L, luaopen_base);
        lua_call(L, 0, 0);
    }

    void TearDown() override
    {
        if (L)
            lua_close(L);
        ClearRegisteredFiles();
        UnmountFlatFiles();
        SetAssetFolders("", "", "");
    }

    // Loads `name` and runs it: its first result as a string, or the load
    // or run error prefixed by "load: " / "run: ".
    std::string LoadAndRun(const char* name)
    {
        int status = luaL_loadfile(L, name);
        if (status != 0) {
            std::string message = "load: " + std::string(lua_tostring(L, -1));
            lua_pop(L, 1);
            return message;
        }
        if (lua_pcall(L, 0, 1, 0) != 0) {
            std::string message = "run: " + std::string(lua_tostring(L, -1));
            lua_pop(L, 1);
            return message;
        }
        const char* text = lua_tostring(L, -1);
        std::string result = text ? text : "<nil>";
        lua_pop(L, 1);
        return result;
    }

    TTempFolder mTemp{"loadfile"};
    TLogCapture mLog{mTemp.File("log")};
    const std::string mRoot = mTemp.Path();
    lua_State* L = nullptr;
};

TEST_F(LoadFileTest, ReadsEverySourceOfTheFileInterface)
{
    WriteFile(mRoot + "/user/scripts/disk.lua", "return 'from disk'");

    const std::string memory = "return 'from memory'";
    RegisterMemoryFile("mem/chunk.lua", memory.data(), static_cast<uint32_t>(memory.size()));

    WriteFile(mRoot + "/data.dnp", BuildPack({{"Scripts/Packed.lua", "return 'from a pack'"}}));
    ASSERT_TRUE(AddFlatFile(("::" + mRoot + "/data.dnp").c_str()));

    EXPECT_EQ(LoadAndRun("user:scripts/disk.lua"), "from disk");
    EXPECT_EQ(LoadAndRun("mem/chunk.lua"), "from memory");
    EXPECT_EQ(LoadAndRun("scripts/packed.lua"), "from a pack");
    EXPECT_EQ(LoadAndRun("Assets/SCRIPTS/Packed.LUA"), "from a pack");
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LoadFileTest, ChunkNameIsTheAssetName)
{
    WriteFile(mRoot + "/user/fail.lua", "local a = 1\n\nerror('stop')\n");
    EXPECT_EQ(LoadAndRun("user:fail.lua"), "run: user:fail.lua:3: stop");

    WriteFile(mRoot + "/user/bad.lua", "x = = 1");
    std::string message = LoadAndRun("user:bad.lua");
    EXPECT_EQ(message.rfind("load: user:bad.lua:1:", 0), 0u) << message;

    lua_pushcfunction(L, luaopen_debug);
    lua_call(L, 0, 0);
    WriteFile(mRoot + "/user/source.lua", "return debug.getinfo(1, 'S').source");
    EXPECT_EQ(LoadAndRun("user:source.lua"), "@user:source.lua");
}

TEST_F(LoadFileTest, MissingFileIsAFileError)
{
    EXPECT_EQ(luaL_loadfile(L, "nothere.lua"), LUA_ERRFILE);
    std::string message = lua_tostring(L, -1);
    EXPECT_EQ(message.rfind("cannot open nothere.lua", 0), 0u) << message;
    lua_pop(L, 1);
    // A folder is not a file.
    fs::create_directories(mRoot + "/user/folder.lua");
    EXPECT_EQ(luaL_loadfile(L, "user:folder.lua"), LUA_ERRFILE);
    lua_pop(L, 1);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LoadFileTest, TextFormsTheLexerReads)
{
    struct Case {
        const char* name;
        std::string text;
        const char* expected;
    } cases[] = {
        // The first line is skipped when it starts with "#"; line numbers hold.
        {"hash.lua", "#!/usr/bin/env quillory-lua\nlocal x = 1\nerror('line')\n", "run: hash.lua:3: line"},
        {"hashonly.lua", "# nothing else", "<nil>"},
        {"empty.lua", "", "<nil>"},
        // Carriage returns: one line end each pair, none in the values.
        {"crlf.lua", "local s = [[a\r\nb]]\r\n\r\nreturn #s .. ' ' .. s:byte(2)", "3 10"},
        {"crlferr.lua", "local a = 1\r\n\r\nerror('here')\r\n", "run: crlferr.lua:3: here"},
    };
    lua_pushcfunction(L, luaopen_string);
    lua_call(L, 0, 0);
    std::vector<std::string> keep;
    keep.reserve(std::size(cases));  // memory files point into these
    for (const Case& c : cases) {
        keep.push_back(c.text);
        RegisterMemoryFile(c.name, keep.back().data(), static_cast<uint32_t>(keep.back().size()));
    }
    for (const Case& c : cases)
        EXPECT_EQ(LoadAndRun(c.name), c.expected) << c.name;
}

TEST_F(LoadFileTest, LongFilesAreReadWhole)
{
    // Many reads of the loader's buffer, the last one partial.
    std::string text = "local n = 0\n";
    for (int i = 0; i < 3000; ++i)
        text += "n = n + " + std::to_string(i % 7) + "  -- padding padding padding\n";
    text += "return n";
    int expected = 0;
    for (int i = 0; i < 3000; ++i)
        expected += i % 7;
    WriteFile(mRoot + "/user/long.lua", text);
    ASSERT_GT(text.size(), 3u * 8192u);
    EXPECT_EQ(LoadAndRun("user:long.lua"), std::to_string(expected));
}

TEST_F(LoadFileTest, BinaryChunksLoad)
{
    ASSERT_EQ(luaL_loadstring(L, "local a = ... return 'binary ' .. tostring(a)"), 0);
    std::string chunk;
    ASSERT_EQ(lua_dump(L, CollectChunk, &chunk), 0);
    lua_pop(L, 1);
    ASSERT_FALSE(chunk.empty());
    ASSERT_EQ(chunk[0], '\033');

    WriteFile(mRoot + "/user/chunk.luac", chunk);
    EXPECT_EQ(LoadAndRun("user:chunk.luac"), "binary nil");
    // Behind a "#" line, as a script made executable would be.
    WriteFile(mRoot + "/user/hashed.luac", "#!/usr/bin/env quillory-lua\n" + chunk);
    EXPECT_EQ(LoadAndRun("user:hashed.luac"), "binary nil");

    WriteFile(mRoot + "/data.dnp", BuildPack({{"compiled.luac", chunk}}));
    ASSERT_TRUE(AddFlatFile(("::" + mRoot + "/data.dnp").c_str()));
    EXPECT_EQ(LoadAndRun("compiled.luac"), "binary nil");

    // A damaged chunk is an error, not a crash.
    WriteFile(mRoot + "/user/cut.luac", chunk.substr(0, chunk.size() / 2));
    std::string message = LoadAndRun("user:cut.luac");
    EXPECT_EQ(message.rfind("load: ", 0), 0u) << message;
}

TEST_F(LoadFileTest, DofileUsesTheSameLoader)
{
    WriteFile(mRoot + "/user/lib.lua", "value = 41 return value + 1");
    ASSERT_EQ(luaL_loadstring(L, "return dofile('user:lib.lua') + value"), 0);
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0) << lua_tostring(L, -1);
    EXPECT_EQ(lua_tonumber(L, -1), 83);
    lua_pop(L, 1);
}

} // namespace
