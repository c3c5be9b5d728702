// Lua 5.0's require: LUA_PATH or the program's search path, _LOADED,
// _REQUIREDNAME, files read through the asset file interface.
#include <gtest/gtest.h>

#include <string>

#include "platform/AssetNames.h"
#include "platform/PackFile.h"
#include "script/LuaTestSupport.h"
#include "support/PackWriter.h"
#include "support/TempFolder.h"

namespace {

class RequireTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mRoot.empty());
        ClearRegisteredFiles();
        UnmountFlatFiles();
        SetAssetFolders((mRoot + "/user").c_str(), (mRoot + "/common").c_str(), (mRoot + "/desktop").c_str());
        const struct {
            const char* name;
            const char* text;
        } files[] = {
            {"mods/answer.lua", "return 42"},
            {"mods/name.lua", "return _REQUIREDNAME"},
            {"mods/outer.lua", "local inner = require('name') return _REQUIREDNAME .. '/' .. inner"},
            {"mods/counted.lua", "loads = (loads or 0) + 1 return {}"},
            {"mods/nothing.lua", "ran = true"},
            {"mods/syntax.lua", "x = = 1"},
            {"mods/fails.lua", "error('module failed')"},
            {"mods/self.lua", "return require('self')"},
            {"first/which.lua", "return 'first'"},
            {"second/which.lua", "return 'second'"},
        };
        for (const auto& f : files)
            WriteFile(mRoot + "/user/" + f.name, f.text);
        RegisterMemoryFile("lib/util.lua", kUtil, sizeof kUtil - 1);
        WriteFile(mRoot + "/data.dnp", BuildPack({{"packed/mod.lua", "return 'from a pack'"}}));
        ASSERT_TRUE(AddFlatFile(("::" + mRoot + "/data.dnp").c_str()));
    }

    void TearDown() override
    {
        ClearRegisteredFiles();
        UnmountFlatFiles();
        SetAssetFolders("", "", "");
    }

    static constexpr char kUtil[] = "return 'util'";
    TTempFolder mTemp{"require"};
    const std::string mRoot = mTemp.Path();
};

TEST_F(RequireTest, FindsLoadsOnceAndReports)
{
    const LuaCase cases[] = {
        // Found along LUA_PATH; the module sees its name, which is put back.
        {"LUA_PATH = 'user:mods/?.lua' return require('answer')", "42", nullptr},
        {"LUA_PATH = 'user:mods/?.lua' return require('name'), _REQUIREDNAME", "name,nil", nullptr},
        {"LUA_PATH = 'user:mods/?.lua' return require('outer')", "outer/name", nullptr},
        // Loaded once: the second require gives the kept value.
        {"LUA_PATH = 'user:mods/?.lua' local a, b = require('counted'), require('counted')"
         " return loads, a == b, _LOADED.counted == a",
         "1,true,true", nullptr},
        {"LUA_PATH = 'user:mods/?.lua' return require('nothing'), ran, _LOADED.nothing", "true,true,true", nullptr},
        {"_LOADED.preset = 'kept' return require('preset')", "kept", nullptr},
        // The first template that opens wins; empty templates are skipped.
        {"LUA_PATH = 'user:second/?.lua;user:first/?.lua' return require('which')", "second", nullptr},
        {"LUA_PATH = 'user:none/?.lua;;user:first/?.lua' return require('which')", "first", nullptr},
        // Without LUA_PATH: the program's path, through memory files and packs.
        {"return require('lib/util.lua')", "util", nullptr},
        {"return require('packed/mod.lua')", "from a pack", nullptr},
        // Errors with Lua 5.0's messages.
        {"return require('nope')", nullptr, "could not load package `nope' from path `assets/?;?;../?;../../?'"},
        {"LUA_PATH = 'user:mods/?.lua' return require('nope')", nullptr,
         "could not load package `nope' from path `user:mods/?.lua'"},
        {"LUA_PATH = 'user:mods/?.lua' return require('syntax')", nullptr,
         "error loading package `syntax' (user:mods/syntax.lua:1: unexpected symbol near `=')"},
        {"LUA_PATH = 'user:mods/?.lua' local ok, e = pcall(require, 'fails')"
         " return ok, e, _REQUIREDNAME, _LOADED.fails",
         "false,user:mods/fails.lua:1: module failed,nil,nil", nullptr},
        // A loop is an error; after a failure the package can be tried again.
        {"LUA_PATH = 'user:mods/?.lua' return require('self')", nullptr, "loop requiring package `self'"},
        {"LUA_PATH = 'user:mods/?.lua' pcall(require, 'self') pcall(require, 'fails')"
         " return _LOADED.self, _LOADED.fails, select(2, pcall(require, 'fails'))",
         "nil,nil,user:mods/fails.lua:1: module failed", nullptr},
        {"_LOADED = nil return require('answer')", nullptr, "`_LOADED' is not a table"},
        {"return require()", nullptr, "bad argument #1 to `require'"},
    };
    CheckLuaCases(cases);
}

} // namespace
