#pragma once
// A window manager without a display, a window script on it, the dialog
// fixtures of tests/ui/fixtures as "assets/..." files, the log read back and
// the fake clock driving the script's task.
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "lauxlib.h"
#include "lua.h"
#include "ManagerTestSupport.h"
#include "platform/AssetNames.h"
#include "support/TempFolder.h"
#include "ui/WindowScript.h"

namespace uitest {

class WindowScriptFixture : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        ClearRegisteredFiles();
        SetAssetFolders((mRoot + "/user").c_str(), (mRoot + "/common").c_str(), (mRoot + "/desktop").c_str());
        for (const char* name : {"script_nested.lua", "script_closes.lua", "script_waits.lua", "script_syntax.lua",
                                 "script_runtime.lua", "script_loops.lua"})
            AddFixture(name);
        mScript = std::make_unique<TWindowScript>(mScriptHost);
        mManager->Init(mScript.get());
    }
    void TearDown() override
    {
        mManager->Init(nullptr);
        mScript.reset();
        ClearRegisteredFiles();
        SetAssetFolders("", "", "");
        ManagerFixture::TearDown();
    }

    void AddFixture(const std::string& name)
    {
        std::ifstream in(std::string(QUILLORY_TEST_DATA) + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        mFiles.push_back(std::make_unique<std::string>(text.str()));
        RegisterMemoryFile(("assets/" + name).c_str(), mFiles.back()->data(), uint32_t(mFiles.back()->size()));
    }

    // Runs code in the script (a chunk returning a function starts it as
    // the coroutine).
    bool Run(const std::string& code) { return mScript->RunString(code.c_str()); }

    // The value of a Lua expression as text ("nil", "true", numbers, strings).
    std::string Eval(const std::string& expression)
    {
        lua_State* L = mScript->GetState();
        int top = lua_gettop(L);
        std::string code = "return " + expression;
        std::string result;
        if (luaL_loadstring(L, code.c_str()) != 0 || lua_pcall(L, 0, 1, 0) != 0)
            result = std::string("error: ") + lua_tostring(L, -1);
        else if (lua_isnil(L, -1))
            result = "nil";
        else if (lua_isboolean(L, -1))
            result = lua_toboolean(L, -1) ? "true" : "false";
        else if (const char* text = lua_tostring(L, -1))
            result = text;
        else
            result = lua_typename(L, lua_type(L, -1));
        lua_settop(L, top);
        return result;
    }

    // Moves the fake clock on and runs the script's task when it is due, as
    // the application task list's idle pass does.
    void Tick(uint32_t ms)
    {
        gNow += ms;
        if (mScript->IsReady(kPassIdle))
            mScript->Run();
    }

    // Delivers queued messages and deletes popped windows (which posts their
    // closing messages), as an idle event does.
    void Pump()
    {
        mManager->DispatchMessages();
        mManager->HandleEvent(Ev(kEventIdle));
        mManager->DispatchMessages();
    }

    bool LogHas(const std::string& piece) const { return mLog.Text().find(piece) != std::string::npos; }

    TTempFolder mTemp{"windowscript"};
    TLogCapture mLog{mTemp.File("log")};
    const std::string mRoot = mTemp.Path();
    // The script's host, when a fixture sets one before SetUp.
    TWindowScriptHost* mScriptHost = nullptr;
    std::unique_ptr<TWindowScript> mScript;

private:
    std::vector<std::unique_ptr<std::string>> mFiles;
};

} // namespace uitest
