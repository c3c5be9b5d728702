// Kept apart from the rest of the script code: Lua's internal headers
// define their own TString, which clashes with the framework's.
#include "lstate.h"

lua_State* LuaMainState(lua_State* L)
{
    return L ? G(L)->mainthread : nullptr;
}
