#include "ui/DialogLibrary.h"

#include "script/LuaState.h"
#include "ui/DialogLibraryLua.h"

const char* DialogLibrarySource(size_t* size)
{
    if (size)
        *size = sizeof kDialogLibraryLua;
    return reinterpret_cast<const char*>(kDialogLibraryLua);
}

bool RunDialogLibrary(lua_State* L, std::string& error)
{
    size_t size = 0;
    const char* source = DialogLibrarySource(&size);
    return RunLuaBuffer(L, source, size, kDialogLibraryChunkName, 0, 0, error);
}
