#pragma once
// The dialog library: Lua source carried inside the program, run once in the
// window script's state to define the dialog builders, the modal loops and
// the message waiting that the game's scripts use.
#include <cstddef>
#include <string>

#include "lua.h"

// The chunk name the library runs under.
inline constexpr const char* kDialogLibraryChunkName = "gScreenInit";

// The library's source text (not zero-terminated); its length in `size`.
const char* DialogLibrarySource(size_t* size);

// Runs the library in `L`. On failure `error` holds the message.
bool RunDialogLibrary(lua_State* L, std::string& error);
