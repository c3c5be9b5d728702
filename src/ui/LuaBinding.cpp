#include "ui/LuaBinding.h"

#include <new>

#include "platform/Log.h"

namespace LuaBindingDetail {

namespace {

const char kMetatableName[] = "dnBindingMetatable";

int CollectBinding(lua_State* L)
{
    if (auto* data = static_cast<TBindingData*>(lua_touserdata(L, 1)))
        data->~TBindingData();
    return 0;
}

// Pushes the metatable of binding userdata, made on first use.
void PushMetatable(lua_State* L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableName);
    if (lua_istable(L, -1))
        return;
    lua_pop(L, 1);
    lua_createtable(L, 0, 2);
    lua_pushcfunction(L, CollectBinding);
    lua_setfield(L, -2, "__gc");
    lua_pushboolean(L, 0);
    lua_setfield(L, -2, "__metatable");
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kMetatableName);
}

} // namespace

void LogObjectGone(const TBindingData* data)
{
    WriteLog("Lua binding %s called after its object was deleted; nothing done", data ? data->name.c_str() : "?");
}

void LogException(const char* name, const std::exception& e)
{
    WriteLog("Lua binding %s failed: %s", name, e.what());
}

int CheckRawCount(lua_State* L, int top, int count)
{
    int pushed = lua_gettop(L) - top;
    // A function that yields returns lua_yield's answer untouched.
    if (count < 0 && lua_status(L) == LUA_YIELD)
        return count;
    if (count < 0 || count > lua_gettop(L)) {
        WriteLog("Lua binding returned a bad result count %d (%d values pushed)", count, pushed);
        return pushed > 0 ? pushed : 0;
    }
    return count;
}

void SetMemberBinding(lua_State* L, const char* name, lua_CFunction adapter, void* object,
                      std::weak_ptr<const void> alive)
{
    TLuaStackGuard guard(L);
    // The metatable first, so that the userdata is never without its __gc.
    PushMetatable(L);
    void* memory = lua_newuserdata(L, sizeof(TBindingData));
    auto* data = new (memory) TBindingData();
    lua_insert(L, -2);
    lua_setmetatable(L, -2);
    data->object = object;
    data->alive = std::move(alive);
    data->name = name;
    lua_pushcclosure(L, adapter, 1);
    lua_setglobal(L, name);
}

} // namespace LuaBindingDetail
