#include "script/ScriptCode.h"

#include "lauxlib.h"
#include "lua.h"
#include "platform/AssetManager.h"

const TAssetClassId TScriptCode::ClassId = &TScriptCode::ClassId;

namespace {

int AppendChunk(lua_State*, const void* data, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(data), size);
    return 0;
}

std::shared_ptr<TScriptCode> FindLive(const TString& name)
{
    TAssetManager* manager = GetAssetManager();
    std::shared_ptr<TAsset> found = manager ? manager->Find(name) : nullptr;
    if (!found || !found->IsKindOf(TScriptCode::ClassId))
        return nullptr;
    return std::static_pointer_cast<TScriptCode>(found);
}

// Compiles the file in a scratch state. Empty on failure, with the message
// in `error`.
std::shared_ptr<TScriptCode> Compile(const TString& name, const TString& searchPath, TString& error)
{
    lua_State* L = luaL_newstate();
    if (!L) {
        error = "not enough memory";
        return nullptr;
    }
    lua_pushstring(L, searchPath.IsEmpty() ? "assets/?;../?;?" : searchPath.c_str());
    lua_setglobal(L, "LUA_PATH");
    std::shared_ptr<TScriptCode> code;
    if (luaL_loadfile(L, name.c_str()) != 0) {
        const char* text = lua_tostring(L, -1);
        error = text ? text : "cannot load the file";
    } else {
        std::string bytes;
        if (lua_dump(L, AppendChunk, &bytes) == 0 && !bytes.empty())
            code = std::make_shared<TScriptCode>(std::move(bytes));
        else
            error = "cannot dump the compiled chunk";
    }
    lua_close(L);
    return code;
}

} // namespace

const char* TScriptCode::GetClassName() const
{
    return "TScriptCode";
}

bool TScriptCode::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TAsset::IsKindOf(id);
}

std::shared_ptr<TScriptCode> TScriptCode::Load(const TString& name, const TString& searchPath, TString* error)
{
    if (name.IsEmpty())
        return nullptr;
    if (std::shared_ptr<TScriptCode> live = FindLive(name))
        return live;
    TString message;
    std::shared_ptr<TScriptCode> code = Compile(name, searchPath, message);
    if (!code && error)
        *error = message;
    if (TAssetManager* manager = GetAssetManager())
        manager->Add(name, code);
    return code;
}
