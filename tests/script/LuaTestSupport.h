#pragma once
// Running Lua snippets in tests: each case is code with either the expected
// results (joined by ",") or a piece of the expected error message.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "lua.h"
#include "script/LuaState.h"

struct LuaCase {
    const char* code;
    const char* result;  // results joined by ","; null when an error is expected
    const char* error;   // part of the error message; null when none is expected
};

// A value as text: nil, true/false, numbers as Lua prints them, strings as
// their bytes, wide strings as L"..." (units 32..126 as characters, others
// as \x{hhhh}), anything else as its type name.
inline std::string DescribeLuaValue(lua_State* L, int idx)
{
    switch (lua_type(L, idx)) {
    case LUA_TNIL:
        return "nil";
    case LUA_TBOOLEAN:
        return lua_toboolean(L, idx) ? "true" : "false";
    case LUA_TNUMBER: {
        lua_pushvalue(L, idx);
        std::string text = lua_tostring(L, -1);
        lua_pop(L, 1);
        return text;
    }
    case LUA_TSTRING: {
        size_t len = 0;
        const char* s = lua_tolstring(L, idx, &len);
        return std::string(s, len);
    }
    case LUA_TWSTRING: {
        size_t len = 0;
        const lua_WChar* w = lua_towstring(L, idx, &len);
        std::string text = "L\"";
        for (size_t i = 0; i < len; ++i) {
            if (w[i] >= 32 && w[i] <= 126) {
                text += static_cast<char>(w[i]);
            } else {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "\\x{%04x}", w[i]);
                text += buffer;
            }
        }
        return text + "\"";
    }
    default:
        return lua_typename(L, lua_type(L, idx));
    }
}

// Runs one case in a fresh state and checks it.
// Runs code in L and gives its results joined by "," (DescribeLuaValue), or
// "error: " and the message; the stack is left as found.
inline std::string EvalLua(lua_State* L, const char* code)
{
    std::string error;
    int top = lua_gettop(L);
    if (!RunLuaString(L, code, LUA_MULTRET, error))
        return "error: " + error;
    std::string text;
    for (int i = top + 1; i <= lua_gettop(L); ++i)
        text += (i > top + 1 ? "," : "") + DescribeLuaValue(L, i);
    lua_settop(L, top);
    return text;
}

inline void CheckLuaCase(const LuaCase& c)
{
    SCOPED_TRACE(c.code);
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    std::string error;
    bool ok = RunLuaString(L, c.code, LUA_MULTRET, error);
    if (c.error) {
        EXPECT_FALSE(ok) << "expected an error with: " << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << "message: " << error;
    } else {
        EXPECT_TRUE(ok) << error;
        std::string results;
        for (int i = 1; ok && i <= lua_gettop(L); ++i)
            results += (i > 1 ? "," : "") + DescribeLuaValue(L, i);
        if (ok) {
            EXPECT_EQ(results, c.result);
        }
    }
    lua_close(L);
}

template <size_t N>
void CheckLuaCases(const LuaCase (&cases)[N])
{
    for (const LuaCase& c : cases)
        CheckLuaCase(c);
}
