#include "script/LuaRequire.h"

#include <cstring>

#include "lauxlib.h"

namespace {

const char kLoaded[] = "_LOADED";
const char kRequiredName[] = "_REQUIREDNAME";
// Held in _LOADED[name] while the package loads, so a require loop is an
// error instead of a descent that ends in a stack overflow.
const char kLoading = 0;

// Pushes the search path: the global LUA_PATH when it is a string (or a
// number), else the program's.
void PushSearchPath(lua_State* L)
{
    lua_getglobal(L, "LUA_PATH");
    if (lua_tostring(L, -1))
        return;
    lua_pop(L, 1);
    lua_pushstring(L, GetScriptSearchPath().c_str());
}

// Pushes the template of the path from `path` on with every "?" replaced by
// the module name at index 1, and returns where the next template starts:
// after one ";". Null, with nothing pushed, at the end of the path.
const char* PushCandidate(lua_State* L, const char* path)
{
    if (*path == '\0')
        return nullptr;
    if (*path == ';')
        ++path;
    const char* end = std::strchr(path, ';');
    if (!end)
        end = path + std::strlen(path);
    luaL_Buffer name;
    luaL_buffinit(L, &name);
    for (const char* c = path; c < end; ++c) {
        if (*c == '?') {
            lua_pushvalue(L, 1);
            luaL_addvalue(&name);
        } else {
            luaL_addchar(&name, *c);
        }
    }
    luaL_pushresult(&name);
    return end;
}

// Runs the loaded chunk on top with _REQUIREDNAME set to the package name
// (index 1), restoring the earlier name afterwards (also when the chunk
// fails), and leaves its one result. _LOADED (index 2) holds the loading
// mark for the name meanwhile; a failure removes it.
void RunModule(lua_State* L)
{
    lua_pushvalue(L, 1);
    lua_pushlightuserdata(L, const_cast<char*>(&kLoading));
    lua_rawset(L, 2);
    lua_getglobal(L, kRequiredName);
    lua_insert(L, -2);
    lua_pushvalue(L, 1);
    lua_setglobal(L, kRequiredName);
    int status = lua_pcall(L, 0, 1, 0);
    lua_pushvalue(L, -2);
    lua_setglobal(L, kRequiredName);
    lua_remove(L, -2);
    if (status != 0) {
        lua_pushvalue(L, 1);
        lua_pushnil(L);
        lua_rawset(L, 2);
        lua_error(L);
    }
}

// require(name): the value _LOADED[name] holds, or the result of the first
// file along the path that loads (true for nil), then kept in _LOADED.
int Require(lua_State* L)
{
    luaL_checkstring(L, 1);
    lua_settop(L, 1);
    lua_getglobal(L, kLoaded);
    if (!lua_istable(L, 2))
        return luaL_error(L, "`%s' is not a table", kLoaded);
    lua_pushvalue(L, 1);
    lua_rawget(L, 2);
    if (lua_touserdata(L, -1) == &kLoading)
        return luaL_error(L, "loop requiring package `%s'", lua_tostring(L, 1));
    if (lua_toboolean(L, -1))
        return 1;
    lua_pop(L, 1);
    PushSearchPath(L);  // index 3, kept while the candidates are tried
    const char* next = lua_tostring(L, 3);
    int status = LUA_ERRFILE;
    while (status == LUA_ERRFILE) {
        lua_settop(L, 3);
        next = PushCandidate(L, next);
        if (!next)
            break;
        status = luaL_loadfile(L, lua_tostring(L, -1));
    }
    if (status == LUA_ERRFILE)
        return luaL_error(L, "could not load package `%s' from path `%s'", lua_tostring(L, 1), lua_tostring(L, 3));
    if (status != 0)
        return luaL_error(L, "error loading package `%s' (%s)", lua_tostring(L, 1), lua_tostring(L, -1));
    RunModule(L);  // marks the package as loading meanwhile
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        lua_pushboolean(L, 1);
    }
    lua_pushvalue(L, 1);
    lua_pushvalue(L, -2);
    lua_rawset(L, 2);
    return 1;
}

} // namespace

const TString& GetScriptSearchPath()
{
    static const TString path("assets/?;?;../?;../../?");
    return path;
}

void RegisterRequire(lua_State* L)
{
    lua_getglobal(L, kLoaded);
    bool present = lua_istable(L, -1);
    lua_pop(L, 1);
    if (!present) {
        lua_newtable(L);
        lua_setglobal(L, kLoaded);
    }
    lua_register(L, "require", Require);
}
