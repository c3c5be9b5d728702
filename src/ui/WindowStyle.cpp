#include "ui/WindowStyle.h"

#include <cmath>
#include <limits>

#include "platform/Log.h"
#include "platform/Numbers.h"

namespace {

// A chain of "parent" tables longer than this is taken for a loop.
constexpr int kMaxChain = 100;

// Arguments: the style value, the key. Returns the value found, or nothing.
int LookupInChain(lua_State* L)
{
    if (!lua_istable(L, 1)) {
        lua_pushvalue(L, LUA_GLOBALSINDEX);
        lua_replace(L, 1);
    }
    for (int step = 0;; ++step) {
        lua_pushvalue(L, 2);
        lua_gettable(L, 1);
        if (!lua_isnil(L, -1))
            return 1;
        lua_pop(L, 1);
        if (step == kMaxChain) {
            WriteLog("Style lookup of %s: more than %d parent styles (a loop?)", lua_tostring(L, 2), kMaxChain);
            return 0;
        }
        if (step == 0)
            lua_getglobal(L, "gCurrentDefaultStyle");
        else
            lua_getfield(L, 1, "parent");
        if (!lua_istable(L, -1))
            return 0;
        lua_replace(L, 1);
    }
}

} // namespace

TWindowStyle::TWindowStyle(lua_State* L) : mTable(L)
{
}

TWindowStyle::TWindowStyle(lua_State* L, int index)
    : mTable((lua_pushvalue(L, index), L))
{
}

bool TWindowStyle::PushValue(const TString& key) const
{
    lua_State* L = mTable.GetState();
    if (!L || !lua_checkstack(L, 4))
        return false;
    int top = lua_gettop(L);
    lua_pushcfunction(L, LookupInChain);
    mTable.Push(L);
    LuaPushString(L, key);
    if (lua_pcall(L, 2, 1, 0) != 0) {
        const char* error = lua_tostring(L, -1);
        WriteLog("Style lookup of %s failed: %s", key.c_str(), error ? error : "(no message)");
        lua_settop(L, top);
        return false;
    }
    if (lua_isnil(L, -1)) {
        lua_settop(L, top);
        return false;
    }
    return true;
}

double TWindowStyle::GetNumber(const TString& key, double def) const
{
    if (!PushValue(key))
        return def;
    lua_State* L = mTable.GetState();
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

int32_t TWindowStyle::GetInt(const TString& key, int32_t def) const
{
    return TruncateToInt32(GetNumber(key, def));
}

TString TWindowStyle::GetString(const TString& key, const TString& def) const
{
    if (!PushValue(key))
        return def;
    lua_State* L = mTable.GetState();
    TString value = def;
    int type = lua_type(L, -1);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) {
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        value = TString(text, static_cast<uint32_t>(length));
    }
    lua_pop(L, 1);
    return value;
}

bool TWindowStyle::GetBool(const TString& key, bool def) const
{
    if (!PushValue(key))
        return def;
    return PopBool(mTable.GetState());
}

void TWindowStyle::GetRect(const TString& key, float rect[4]) const
{
    if (!PushValue(key))
        return;
    lua_State* L = mTable.GetState();
    if (lua_istable(L, -1)) {
        for (int i = 0; i < 4; ++i) {
            lua_rawgeti(L, -1, i + 1);
            if (!lua_isnil(L, -1))
                rect[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

std::unique_ptr<TLuaTable> TWindowStyle::GetTable(const TString& key) const
{
    if (!PushValue(key))
        return nullptr;
    lua_State* L = mTable.GetState();
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return nullptr;
    }
    return std::make_unique<TLuaTable>(L);
}

std::unique_ptr<TLuaFunction> TWindowStyle::GetFunction(const TString& key) const
{
    if (!PushValue(key))
        return nullptr;
    lua_State* L = mTable.GetState();
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        return nullptr;
    }
    return std::make_unique<TLuaFunction>(L);
}

bool PopBool(lua_State* L)
{
    if (lua_gettop(L) == 0)
        return false;
    bool value = false;
    switch (lua_type(L, -1)) {
    case LUA_TNIL:
        break;
    case LUA_TBOOLEAN:
        value = lua_toboolean(L, -1) != 0;
        break;
    case LUA_TNUMBER:
        value = lua_tonumber(L, -1) != 0;
        break;
    case LUA_TSTRING:
        WriteLog("PopBool used on lua string %s", lua_tostring(L, -1));
        break;
    default:
        WriteLog("PopBool used on a type that isn't a number, a boolean, or nil. (type: %d)", lua_type(L, -1));
        break;
    }
    lua_pop(L, 1);
    return value;
}
