#pragma once
// string.pack, string.unpack and string.lualex: binary serialisation by a
// format string, and decoding of backslash escapes.
#include "lua.h"

// Adds pack, unpack and lualex to the global `string` table (made when
// missing).
void RegisterStringPack(lua_State* L);
