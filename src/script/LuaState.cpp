#include "script/LuaState.h"

#include <cstdio>
#include <cstring>

#include "lauxlib.h"
#include "lualib.h"
#include "script/LuaRequire.h"
#include "script/LuaStringPack.h"

namespace {

void OpenLibrary(lua_State* L, lua_CFunction open, const char* name)
{
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

int OpenScriptSet(lua_State* L)
{
    OpenLibrary(L, luaopen_base, "");
    RegisterRequire(L);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    RegisterStringPack(L);
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    return 0;
}

int OpenAll(lua_State* L)
{
    OpenScriptSet(L);
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    return 0;
}

std::string ErrorText(lua_State* L)
{
    size_t len = 0;
    const char* text = lua_tolstring(L, -1, &len);
    std::string message = text ? std::string(text, len) : std::string("(error object is not a string)");
    lua_pop(L, 1);
    return message;
}

int Panic(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message ? message : "?");
    return 0;
}

lua_State* OpenLibraries(lua_State* L)
{
    if (!L)
        return nullptr;
    if (lua_cpcall(L, OpenAll, nullptr) != 0) {
        lua_close(L);
        return nullptr;
    }
    return L;
}

}

lua_State* NewLuaState()
{
    return OpenLibraries(luaL_newstate());
}

lua_State* NewLuaState(lua_Alloc alloc, void* ud)
{
    lua_State* L = lua_newstate(alloc, ud);
    if (L)
        lua_atpanic(L, Panic);
    return OpenLibraries(L);
}

bool OpenScriptLibraries(lua_State* L)
{
    if (!L)
        return false;
    if (lua_cpcall(L, OpenScriptSet, nullptr) == 0)
        return true;
    lua_pop(L, 1);
    return false;
}

bool RunLuaBuffer(lua_State* L, const char* code, size_t size, const char* chunkName,
                  int nargs, int nresults, std::string& error)
{
    if (luaL_loadbuffer(L, code, size, chunkName) != 0) {
        error = ErrorText(L);
        if (nargs > 0)
            lua_pop(L, nargs);
        return false;
    }
    lua_insert(L, -(nargs + 1));
    if (lua_pcall(L, nargs, nresults, 0) != 0) {
        error = ErrorText(L);
        return false;
    }
    return true;
}

bool RunLuaString(lua_State* L, const char* code, int nresults, std::string& error)
{
    return RunLuaBuffer(L, code, std::strlen(code), "=chunk", 0, nresults, error);
}
