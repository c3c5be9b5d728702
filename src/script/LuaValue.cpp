#include "script/LuaValue.h"

#include <new>

#include "platform/Log.h"

// The live handles of one state, kept in a full userdata that the registry
// holds; its __gc runs when the state closes and detaches them all.
struct TLuaHandleList {
    TLuaObjectWrapper* first = nullptr;

    void Add(TLuaObjectWrapper* handle)
    {
        handle->m_list = this;
        handle->m_prev = nullptr;
        handle->m_next = first;
        if (first)
            first->m_prev = handle;
        first = handle;
    }

    void Remove(TLuaObjectWrapper* handle)
    {
        if (handle->m_prev)
            handle->m_prev->m_next = handle->m_next;
        else
            first = handle->m_next;
        if (handle->m_next)
            handle->m_next->m_prev = handle->m_prev;
        handle->m_prev = handle->m_next = nullptr;
        handle->m_list = nullptr;
    }

    void DetachAll()
    {
        while (first) {
            TLuaObjectWrapper* handle = first;
            Remove(handle);
            handle->m_state = nullptr;
        }
    }
};

namespace {

// Registry keys: addresses of these.
const char kHandleListKey = 0;
const char kOwnerKey = 0;

void* Key(const char& key)
{
    return const_cast<char*>(&key);
}

int CloseHandleList(lua_State* L)
{
    if (auto* list = static_cast<TLuaHandleList*>(lua_touserdata(L, 1)))
        list->DetachAll();
    return 0;
}

// The handle list of L's state, made on first use. Leaves the stack as is.
TLuaHandleList* GetHandleList(lua_State* L)
{
    lua_pushlightuserdata(L, Key(kHandleListKey));
    lua_rawget(L, LUA_REGISTRYINDEX);
    auto* list = static_cast<TLuaHandleList*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    if (list)
        return list;
    lua_pushlightuserdata(L, Key(kHandleListKey));
    list = new (lua_newuserdata(L, sizeof(TLuaHandleList))) TLuaHandleList();
    lua_createtable(L, 0, 1);
    lua_pushcfunction(L, CloseHandleList);
    lua_setfield(L, -2, "__gc");
    lua_setmetatable(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    return list;
}

int IndexTable(lua_State* L)
{
    lua_gettable(L, 1);
    return 1;
}

// Replaces the table on top of L with t[key]. A table with a metatable is
// indexed in protected mode, a failing lookup giving nil.
void ReplaceWithField(lua_State* L, double key)
{
    if (!lua_getmetatable(L, -1)) {
        lua_pushnumber(L, key);
        lua_rawget(L, -2);
        lua_remove(L, -2);
        return;
    }
    lua_pop(L, 1);
    lua_pushcfunction(L, IndexTable);
    lua_insert(L, -2);
    lua_pushnumber(L, key);
    if (lua_pcall(L, 2, 1, 0) != 0) {
        lua_pop(L, 1);
        lua_pushnil(L);
    }
}

} // namespace

TLuaObjectWrapper::TLuaObjectWrapper(lua_State* L) : m_state(LuaMainState(L))
{
    if (!L)
        return;
    TLuaHandleList* list = GetHandleList(L);
    if (lua_gettop(L) == 0)
        lua_pushnil(L);  // nothing to pin: the handle holds nil
    lua_pushlightuserdata(L, this);
    lua_insert(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    list->Add(this);
}

TLuaObjectWrapper::~TLuaObjectWrapper()
{
    if (!m_list)
        return;  // never pinned, or the state is closed
    m_list->Remove(this);
    // Clears the entry only when it holds a value, so that no table slot
    // is made here (that could allocate, and a destructor must not fail).
    lua_State* L = m_state;
    lua_pushlightuserdata(L, this);
    lua_rawget(L, LUA_REGISTRYINDEX);
    bool pinned = !lua_isnil(L, -1);
    lua_pop(L, 1);
    if (pinned) {
        lua_pushlightuserdata(L, this);
        lua_pushnil(L);
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
}

bool TLuaObjectWrapper::Push() const
{
    return Push(m_state);
}

bool TLuaObjectWrapper::Push(lua_State* L) const
{
    if (!m_state || !L || LuaMainState(L) != m_state || !lua_checkstack(L, 1))
        return false;
    lua_pushlightuserdata(L, const_cast<TLuaObjectWrapper*>(this));
    lua_rawget(L, LUA_REGISTRYINDEX);
    return true;
}

TLuaTable* TLuaTable::FromStack(lua_State* L, int index)
{
    TLuaAutoRelease* owner = LuaGetAutoReleaseOwner(L);
    if (!owner) {
        WriteLog("Lua table argument dropped: no script owns this state");
        return nullptr;
    }
    if (!lua_checkstack(L, 1))
        return nullptr;
    lua_pushvalue(L, index);
    auto* table = new TLuaTable(L);
    owner->AddAutoRelease(table);
    return table;
}

bool TLuaTable::PushField(double key) const
{
    lua_State* L = m_state;
    if (!L || !lua_checkstack(L, 4))
        return false;
    int top = lua_gettop(L);
    Push(L);
    if (!lua_istable(L, -1)) {
        lua_settop(L, top);
        return false;
    }
    ReplaceWithField(L, key);
    if (lua_isnil(L, -1)) {
        lua_settop(L, top);
        return false;
    }
    return true;
}

TString TLuaTable::GetString(double key, const TString& def) const
{
    if (!PushField(key))
        return def;
    size_t length = 0;
    const char* text = lua_tolstring(m_state, -1, &length);
    TString result = text ? TString(text, static_cast<uint32_t>(length)) : def;
    lua_pop(m_state, 1);
    return result;
}

double TLuaTable::GetNumber(double key, double def) const
{
    if (!PushField(key))
        return def;
    double result = lua_tonumber(m_state, -1);
    lua_pop(m_state, 1);
    return result;
}

std::unique_ptr<TLuaTable> TLuaTable::GetTable(double key) const
{
    if (!PushField(key))
        return nullptr;
    if (!lua_istable(m_state, -1)) {
        lua_pop(m_state, 1);
        return nullptr;
    }
    return std::make_unique<TLuaTable>(m_state);
}

void TLuaTable::GetColor(double key, float rgba[4]) const
{
    if (!PushField(key))
        return;
    lua_State* L = m_state;
    if (lua_istable(L, -1)) {
        for (int i = 0; i < 4; ++i) {
            lua_pushvalue(L, -1);
            ReplaceWithField(L, i + 1);
            if (!lua_isnil(L, -1))
                rgba[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

TLuaAutoRelease::~TLuaAutoRelease()
{
    ReleaseAutoReleased();
}

void TLuaAutoRelease::AddAutoRelease(TLuaObjectWrapper* handle)
{
    if (handle)
        m_handles.emplace_back(handle);
}

void TLuaAutoRelease::ReleaseAutoReleased()
{
    // A handle's destructor may add to the list; take it first.
    std::vector<std::unique_ptr<TLuaObjectWrapper>> handles;
    handles.swap(m_handles);
}

void LuaSetAutoReleaseOwner(lua_State* L, TLuaAutoRelease* owner)
{
    lua_pushlightuserdata(L, Key(kOwnerKey));
    if (owner)
        lua_pushlightuserdata(L, owner);
    else
        lua_pushnil(L);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

TLuaAutoRelease* LuaGetAutoReleaseOwner(lua_State* L)
{
    lua_pushlightuserdata(L, Key(kOwnerKey));
    lua_rawget(L, LUA_REGISTRYINDEX);
    void* owner = lua_touserdata(L, -1);
    lua_pop(L, 1);
    return static_cast<TLuaAutoRelease*>(owner);
}

void LuaPushString(lua_State* L, const TString& s)
{
    lua_pushstring(L, s.c_str());
}

double LuaPopNumber(lua_State* L)
{
    if (lua_gettop(L) == 0)
        return 0;
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
}

TString LuaPopString(lua_State* L)
{
    if (lua_gettop(L) == 0)
        return TString();
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    TString value = text ? TString(text, static_cast<uint32_t>(length)) : TString();
    lua_pop(L, 1);
    return value;
}

void LuaPopColor(lua_State* L, float rgba[4])
{
    for (int i = 0; i < 4; ++i)
        rgba[i] = 0;
    if (lua_gettop(L) == 0)
        return;
    if (lua_istable(L, -1) && lua_checkstack(L, 1)) {
        for (int i = 0; i < 4; ++i) {
            lua_rawgeti(L, -1, i + 1);
            rgba[i] = static_cast<float>(lua_tonumber(L, -1));
            lua_pop(L, 1);
        }
    }
    lua_pop(L, 1);
}

void LuaSetGlobalString(lua_State* L, const TString& name, const TString& value)
{
    TLuaStackGuard guard(L);
    LuaPushString(L, value);
    lua_setglobal(L, name.c_str());
}
