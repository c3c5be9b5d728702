#pragma once
// Opening a Lua state the way the framework's scripts see it, and running
// chunks in it with the error text returned.
#include <string>

#include "lua.h"

// A new state with the base (coroutines and Lua 5.0's require included),
// string (with pack, unpack and lualex), table and math libraries. Null when
// memory runs out. Close it with lua_close.
lua_State* NewLuaState();

// The same with every block allocated through `alloc` (called with `ud`),
// for a state with its own memory limit.
lua_State* NewLuaState(lua_Alloc alloc, void* ud);

// Opens the libraries of a script task's state in L: those of NewLuaState
// but math. False when memory runs out (the error is popped; the state is
// then partly opened).
bool OpenScriptLibraries(lua_State* L);

// Compiles `size` bytes of source (or a binary chunk) named `chunkName` and
// calls it with the `nargs` values on top of the stack, leaving `nresults`
// results (LUA_MULTRET for all). On failure the stack is as it was minus the
// arguments, `error` holds the message and the result is false.
bool RunLuaBuffer(lua_State* L, const char* code, size_t size, const char* chunkName,
                  int nargs, int nresults, std::string& error);

// RunLuaBuffer on a zero-terminated text named "=chunk".
bool RunLuaString(lua_State* L, const char* code, int nresults, std::string& error);
