#pragma once
// Wide strings in scripts: values of type "wstring" holding 16-bit code
// units, interned like ordinary strings. These are the calls native code
// uses; they are defined in the patched Lua core (lapi.c, lauxlib.c).
#include <cstddef>
#include <cstdint>

#include "lua.h"

#ifndef LUA_TWSTRING
#define LUA_TWSTRING 9
#endif

// Units before the zero terminator.
LUA_API size_t lua_wstrlen(const uint16_t* text);
// Interns and pushes `count` units (the units need no terminator).
LUA_API void lua_pushwstring(lua_State* L, const uint16_t* units, size_t count);
// Pushes a zero-terminated wide text, or nil for a null pointer.
LUA_API void lua_pushwtext(lua_State* L, const uint16_t* text);
// The units of the wide string at `idx` (zero-terminated; `len` gets the
// unit count when not null). A number is converted in place to its wide
// text ("%.14g"); any other value gives null.
LUA_API const uint16_t* lua_towstring(lua_State* L, int idx, size_t* len);
// As lua_towstring, but a value that cannot be converted raises the
// argument type error naming "wstring".
LUALIB_API const uint16_t* luaL_checkwstring(lua_State* L, int narg, size_t* len);

#ifndef lua_iswstring
#define lua_iswstring(L, n) (lua_type((L), (n)) == LUA_TWSTRING)
#endif
