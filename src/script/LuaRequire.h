#pragma once
// Lua 5.0's `require`: modules found through the global LUA_PATH (or the
// program's search path) and read through the asset file interface.
#include "lua.h"
#include "platform/TString.h"

// The program's search path, "assets/?;?;../?;../../?": fixed for the
// whole run.
const TString& GetScriptSearchPath();

// Defines the global `require` and an empty global `_LOADED` table (kept
// when one is there).
void RegisterRequire(lua_State* L);
