#include <gtest/gtest.h>

#include <string>

#include "script/LuaState.h"
#include "script/LuaTestSupport.h"
#include "support/TempFolder.h"
#include "ui/WindowStyle.h"

namespace {

// Runs setup code in a fresh state, makes a style of the global "style" and
// reads one key with one getter. Defaults: number -1.5, int -7, string
// "def", bool true, rect {9, 9, 9, 9}.
struct StyleCase {
    const char* setup;
    const char* getter;  // number, int, string, bool, rect, table, function
    const char* key;
    const char* expected;
    const char* log;     // a piece of an expected log line, or null
};

class WindowStyleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        L = NewLuaState();
        ASSERT_NE(L, nullptr);
    }
    void TearDown() override
    {
        if (L)
            lua_close(L);
    }

    void Run(const char* code)
    {
        std::string error;
        ASSERT_TRUE(RunLuaString(L, code, 0, error)) << error;
    }
    std::string Eval(const char* code) { return EvalLua(L, code); }

    static std::string Read(const TWindowStyle& style, const std::string& getter, const TString& key)
    {
        if (getter == "number")
            return std::to_string(style.GetNumber(key, -1.5));
        if (getter == "int")
            return std::to_string(style.GetInt(key, -7));
        if (getter == "string")
            return style.GetString(key, "def").c_str();
        if (getter == "bool")
            return style.GetBool(key, true) ? "true" : "false";
        if (getter == "rect") {
            float rect[4] = {9, 9, 9, 9};
            style.GetRect(key, rect);
            std::string text;
            for (float v : rect)
                text += (text.empty() ? "" : ",") + std::to_string(static_cast<int>(v));
            return text;
        }
        if (getter == "table")
            return style.GetTable(key) ? "table" : "null";
        if (getter == "function")
            return style.GetFunction(key) ? "function" : "null";
        return "bad getter " + getter;
    }

    TTempFolder mTemp{"style"};
    TLogCapture mLog{mTemp.File("log")};
    lua_State* L = nullptr;
};

TEST_F(WindowStyleTest, LooksUpOwnTableThenDefaultStyleChain)
{
    const StyleCase cases[] = {
        // The lookup chain.
        {"style={x=1} gCurrentDefaultStyle={x=2}", "int", "x", "1", nullptr},
        {"style={} gCurrentDefaultStyle={x=2}", "int", "x", "2", nullptr},
        {"style={} gCurrentDefaultStyle={parent={parent={x=3}}}", "int", "x", "3", nullptr},
        {"style={parent={x=4}} gCurrentDefaultStyle={}", "int", "x", "-7", nullptr},
        {"style={parent={x=4}}", "int", "x", "-7", nullptr},
        {"style={} gCurrentDefaultStyle=5", "int", "x", "-7", nullptr},
        {"style={} gCurrentDefaultStyle={parent='p', x=nil}", "int", "x", "-7", nullptr},
        {"style={x=false} gCurrentDefaultStyle={x=true}", "bool", "x", "false", nullptr},
        // A style that is not a table reads the globals, then the default style.
        {"x=6 style='s'", "int", "x", "6", nullptr},
        {"style=true gCurrentDefaultStyle={y=1}", "int", "y", "1", nullptr},
        // Metamethods are honoured; a failing one reads as missing.
        {"style=setmetatable({}, {__index=function() return 42 end})", "int", "x", "42", nullptr},
        {"style=setmetatable({}, {__index=function() error('boom') end})", "int", "x", "-7", "boom"},
        // A parent loop ends with the default.
        {"style={} gCurrentDefaultStyle={} gCurrentDefaultStyle.parent=gCurrentDefaultStyle", "int", "x", "-7",
         "a loop"},
        // Booleans.
        {"style={fit=1}", "bool", "fit", "true", nullptr},
        {"style={fit=0}", "bool", "fit", "false", nullptr},
        {"style={fit='yes'}", "bool", "fit", "false", "PopBool used on lua string yes"},
        {"style={fit={}}", "bool", "fit", "false", "PopBool used on a type that isn't a number, a boolean, or nil. (type: 5)"},
        {"style={}", "bool", "fit", "true", nullptr},
        // Numbers convert as Lua converts them; integers truncate toward zero.
        {"style={x='12'}", "number", "x", "12.000000", nullptr},
        {"style={x='abc'}", "number", "x", "0.000000", nullptr},
        {"style={}", "number", "x", "-1.500000", nullptr},
        {"style={x=10.9}", "int", "x", "10", nullptr},
        {"style={x=-3.2}", "int", "x", "-3", nullptr},
        {"style={x=1e12}", "int", "x", "2147483647", nullptr},
        {"style={x=0/0}", "int", "x", "0", nullptr},
        // Strings.
        {"style={name='ok'}", "string", "name", "ok", nullptr},
        {"style={name=5}", "string", "name", "5", nullptr},
        {"style={name=true}", "string", "name", "def", nullptr},
        {"style={}", "string", "name", "def", nullptr},
        // Rectangles: each missing entry keeps its default.
        {"style={c={1,2,3,4,5}}", "rect", "c", "1,2,3,4", nullptr},
        {"style={c={1,2}}", "rect", "c", "1,2,9,9", nullptr},
        {"style={c={[2]=5}}", "rect", "c", "9,5,9,9", nullptr},
        {"style={c=7}", "rect", "c", "9,9,9,9", nullptr},
        {"style={} gCurrentDefaultStyle={c={0,0,0}}", "rect", "c", "0,0,0,9", nullptr},
        // Handles.
        {"style={t={}}", "table", "t", "table", nullptr},
        {"style={t=1}", "table", "t", "null", nullptr},
        {"style={}", "table", "t", "null", nullptr},
        {"style={f=function() end}", "function", "f", "function", nullptr},
        {"style={f={}}", "function", "f", "null", nullptr},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(std::string(c.setup) + " / " + c.getter + " " + c.key);
        lua_close(L);
        L = NewLuaState();
        ASSERT_NE(L, nullptr);
        mLog.Restart();
        Run(c.setup);
        lua_getglobal(L, "style");
        TWindowStyle style(L);
        lua_pushstring(L, "sentinel");
        int top = lua_gettop(L);
        EXPECT_EQ(Read(style, c.getter, c.key), c.expected);
        EXPECT_EQ(lua_gettop(L), top) << "the getter changed the stack";
        EXPECT_STREQ(lua_tostring(L, -1), "sentinel");
        if (c.log) {
            EXPECT_TRUE(mLog.Has(c.log)) << mLog.Text();
        }
    }
}

TEST_F(WindowStyleTest, EveryGetterLeavesTheStackAsItFoundIt)
{
    Run("style={x=1, name='n', fit=1, c={1,2,3,4}, t={}, f=print} "
        "gCurrentDefaultStyle={parent={y=2}}");
    lua_pushnumber(L, 1);
    lua_getglobal(L, "style");
    TWindowStyle style(L, -1);  // pinned from a slot: the slot stays
    lua_pushnil(L);
    const int top = lua_gettop(L);
    for (const char* key : {"x", "y", "name", "fit", "c", "t", "f", "missing"}) {
        SCOPED_TRACE(key);
        for (const char* getter : {"number", "int", "string", "bool", "rect", "table", "function"}) {
            Read(style, getter, key);
            ASSERT_EQ(lua_gettop(L), top) << getter;
        }
    }
    EXPECT_TRUE(lua_isnil(L, -1));
    EXPECT_TRUE(lua_istable(L, -2));
}

TEST_F(WindowStyleTest, HandlesOutliveTheStyleAndTheTableIsPinned)
{
    Run("style={t={7}, f=function() return 'called' end}");
    lua_getglobal(L, "style");
    auto style = std::make_unique<TWindowStyle>(L);
    Run("style=nil collectgarbage('collect')");
    EXPECT_EQ(style->GetString("t", "gone"), "gone");  // not a string, but found
    std::unique_ptr<TLuaTable> table = style->GetTable("t");
    std::unique_ptr<TLuaFunction> function = style->GetFunction("f");
    style.reset();
    Run("collectgarbage('collect')");
    ASSERT_TRUE(table && function);
    EXPECT_EQ(table->GetNumber(1, 0), 7);
    ASSERT_TRUE(function->Push());
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_STREQ(lua_tostring(L, -1), "called");
}

// Dialogs are built from inside the script's coroutine: a native function
// running on a coroutine thread makes the style from its argument.
TEST_F(WindowStyleTest, StyleMadeOnACoroutineThread)
{
    lua_register(L, "ReadX", [](lua_State* T) {
        int top = lua_gettop(T);
        TWindowStyle style(T, 1);
        int32_t x = style.GetInt("x", -1);
        bool fit = style.GetBool("fit", false);
        lua_pushnumber(T, lua_gettop(T) == top ? x : -100);
        lua_pushboolean(T, fit);
        return 2;
    });
    Run("gCurrentDefaultStyle={fit=1} "
        "co = coroutine.create(function(t) coroutine.yield(ReadX(t)) return ReadX({x=2}) end)");
    EXPECT_EQ(Eval("return select(2, coroutine.resume(co, {x=5}))"), "5,true");
    EXPECT_EQ(Eval("return select(2, coroutine.resume(co))"), "2,true");
}

TEST_F(WindowStyleTest, GettersOnAClosedStateGiveDefaults)
{
    Run("style={x=1}");
    lua_getglobal(L, "style");
    TWindowStyle style(L);
    lua_close(L);
    L = nullptr;
    EXPECT_EQ(style.GetInt("x", 3), 3);
    EXPECT_EQ(style.GetTable("x"), nullptr);
}

TEST(PopBool, ConvertsAndPops)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    EXPECT_FALSE(PopBool(L));  // empty stack
    lua_pushnumber(L, 0.5);
    lua_pushboolean(L, 1);
    lua_pushnil(L);
    EXPECT_FALSE(PopBool(L));
    EXPECT_TRUE(PopBool(L));
    EXPECT_TRUE(PopBool(L));
    EXPECT_EQ(lua_gettop(L), 0);
    lua_close(L);
}

} // namespace
