#pragma once
// A script task with its files in memory or in a temporary user folder, the
// asset manager set and the log read back.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "lauxlib.h"
#include "lua.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "script/Script.h"
#include "support/TempFolder.h"

class ScriptFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(mRoot.empty());
        ClearRegisteredFiles();
        SetAssetFolders((mRoot + "/user").c_str(), (mRoot + "/common").c_str(), (mRoot + "/desktop").c_str());
        SetAssetManager(&mAssets);
    }

    void TearDown() override
    {
        SetAssetManager(nullptr);
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
    }

    // A script file in memory under `name`; the text is kept by the fixture
    // and may be rewritten in place with Rewrite.
    std::string& AddFile(const std::string& name, const std::string& text)
    {
        mFiles.push_back(text);
        RegisterMemoryFile(name.c_str(), mFiles.back().data(), static_cast<uint32_t>(mFiles.back().size()));
        return mFiles.back();
    }

    // Runs `code` in the script's main state and returns its one result as
    // text ("nil", "true", "false", the type name for other values that are
    // no string or number); the stack is left as found.
    std::string Eval(TScript& script, const std::string& code)
    {
        lua_State* L = script.GetState();
        int top = lua_gettop(L);
        std::string result;
        if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
            result = std::string("error: ") + lua_tostring(L, -1);
        } else if (lua_isnil(L, -1)) {
            result = "nil";
        } else if (lua_isboolean(L, -1)) {
            result = lua_toboolean(L, -1) ? "true" : "false";
        } else {
            lua_pushvalue(L, -1);
            const char* text = lua_tostring(L, -1);
            result = text ? text : lua_typename(L, lua_type(L, -2));
        }
        lua_settop(L, top);
        return result;
    }

    TTempFolder mTemp{"script"};
    TLogCapture mLog{mTemp.File("log")};
    const std::string mRoot = mTemp.Path();
    TAssetManager mAssets;

private:
    std::deque<std::string> mFiles;  // memory files point into these
};
