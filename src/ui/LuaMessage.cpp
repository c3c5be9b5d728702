#include "ui/LuaMessage.h"

#include <cstring>

#include "platform/Log.h"

namespace {

const char kMetatableName[] = "dnMessageMetatable";

int CollectMessage(lua_State* L)
{
    // The metatable is hidden from scripts (__metatable), so only the
    // collector calls this, once per userdata.
    delete static_cast<TMessage*>(lua_touserdata(L, 1));
    return 0;
}

int IndexMessage(lua_State* L)
{
    TMessage* message = TLuaMessage::Get(L, 1);
    if (!message)
        return 0;
    const char* key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "";
    if (std::strcmp(key, "type") == 0)
        lua_pushnumber(L, message->GetType());
    else if (std::strcmp(key, "name") == 0)
        LuaPushString(L, message->GetName());
    else
        lua_pushnil(L);
    return 1;
}

// Pushes the registry's message metatable, made when missing.
void PushMetatable(lua_State* L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableName);
    if (lua_istable(L, -1))
        return;
    lua_pop(L, 1);
    lua_createtable(L, 0, 3);
    lua_pushcfunction(L, CollectMessage);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, IndexMessage);
    lua_setfield(L, -2, "__index");
    // getmetatable(msg) gives false: a script cannot call __gc itself.
    lua_pushboolean(L, 0);
    lua_setfield(L, -2, "__metatable");
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kMetatableName);
}

lua_State* PushAndPass(lua_State* L, TMessagePtr message)
{
    if (L)
        TLuaMessage::PushNew(L, std::move(message));
    return L;
}

} // namespace

void LuaRegisterMessageMetatable(lua_State* L)
{
    TLuaStackGuard guard(L);
    PushMetatable(L);
}

TLuaMessage::TLuaMessage(lua_State* L, TMessagePtr message)
    : TLuaObjectWrapper(PushAndPass(L, std::move(message)))
{
}

void TLuaMessage::PushNew(lua_State* L, TMessagePtr message)
{
    if (!message) {
        lua_pushnil(L);
        return;
    }
    lua_checkstack(L, 3);
    message->SetTarget(nullptr);
    PushMetatable(L);
    // From here on the userdata owns the message; a failure to allocate it
    // raises a Lua error, so release only once it exists.
    lua_pushpointeruserdata(L, message.get());
    (void)message.release();
    lua_insert(L, -2);
    lua_setmetatable(L, -2);
}

TMessage* TLuaMessage::Get(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TUSERDATA || !lua_checkstack(L, 2))
        return nullptr;
    if (!lua_getmetatable(L, index))
        return nullptr;
    lua_getfield(L, LUA_REGISTRYINDEX, kMetatableName);
    bool ours = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return ours ? static_cast<TMessage*>(lua_touserdata(L, index)) : nullptr;
}

TMessage* TLuaMessage::GetMessage() const
{
    lua_State* L = GetState();
    if (!L || !Push(L))
        return nullptr;
    TMessage* message = Get(L, -1);
    lua_pop(L, 1);
    return message;
}

TLuaMessageWrapper::TLuaMessageWrapper(lua_State* L) : TMessage(0, TString()), mValue(L)
{
    TMessage* message = mValue.GetMessage();
    if (!message) {
        WriteLog("PostMessage: the value posted is not a message");
        return;
    }
    SetType(message->GetType());
    SetName(message->GetName());
    SetTarget(message->GetTarget());
}

TLuaMessageWrapper::~TLuaMessageWrapper() = default;

const void* TLuaMessageWrapper::TypeId()
{
    static const char id = 0;
    return &id;
}

TMessage* TLuaMessageWrapper::GetNative()
{
    TMessage* message = mValue.GetMessage();
    return message ? message : this;
}
