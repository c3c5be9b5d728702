#pragma once
// Handles that keep Lua values alive for native code, and small stack
// helpers used around calls into scripts.
#include <cstddef>
#include <exception>
#include <memory>
#include <vector>

#include "lua.h"
#include "platform/TString.h"

// Pins one Lua value in the registry of a state, keyed by the handle's own
// address. The handle remembers the state's main thread (never a coroutine
// thread, which may be collected before the handle goes). Once the state is
// closed the handle is detached: it pushes nothing and its destructor does
// not touch Lua.
class TLuaObjectWrapper {
public:
    // Pins the value on top of L's stack and pops it. L may be any thread of
    // the state.
    explicit TLuaObjectWrapper(lua_State* L);
    virtual ~TLuaObjectWrapper();
    TLuaObjectWrapper(const TLuaObjectWrapper&) = delete;
    TLuaObjectWrapper& operator=(const TLuaObjectWrapper&) = delete;

    // The main thread of the state, or null once the state is closed.
    lua_State* GetState() const { return m_state; }

    // Pushes the pinned value onto the main thread's stack. False, with
    // nothing pushed, once the state is closed.
    bool Push() const;
    // Pushes onto L, a thread of the same state.
    bool Push(lua_State* L) const;

protected:
    lua_State* m_state;

private:
    friend struct TLuaHandleList;
    TLuaObjectWrapper* m_prev = nullptr;
    TLuaObjectWrapper* m_next = nullptr;
    struct TLuaHandleList* m_list = nullptr;
};

// Pins a function (button commands, deferred calls).
class TLuaFunction : public TLuaObjectWrapper {
public:
    explicit TLuaFunction(lua_State* L) : TLuaObjectWrapper(L) {}
};

// Pins a table and reads it by number keys. Readers never raise a Lua
// error and leave the stack as they found it (except PushField's result);
// a field that is absent, or a pinned value that is no table, gives the
// caller's default.
class TLuaTable : public TLuaObjectWrapper {
public:
    explicit TLuaTable(lua_State* L) : TLuaObjectWrapper(L) {}

    // A handle on the value at `index` of L, owned by the running script's
    // auto-release list (see TLuaAutoRelease): it lives until the script is
    // next called or resumed. Null when no script owns the state.
    static TLuaTable* FromStack(lua_State* L, int index);

    // True with t[key] pushed onto the main thread's stack when it is not
    // nil; false with nothing pushed otherwise.
    bool PushField(double key) const;
    // The field as a string (numbers convert); `def` when nil or not
    // convertible.
    TString GetString(double key, const TString& def) const;
    // The field as a number (0 when it does not convert); `def` when nil.
    double GetNumber(double key, double def) const;
    // A new handle on the field when it is a table, else null.
    std::unique_ptr<TLuaTable> GetTable(double key) const;
    // Fields 1 to 4 of the sub-table at `key` into rgba; rgba holds the
    // defaults on entry, kept for absent fields or when there is no table.
    void GetColor(double key, float rgba[4]) const;
};

// Owner of the handles native functions make from stack slots. The script
// object derives from this and registers itself with LuaSetAutoReleaseOwner;
// it calls ReleaseAutoReleased before each call into or resume of its script.
class TLuaAutoRelease {
public:
    TLuaAutoRelease() = default;
    virtual ~TLuaAutoRelease();
    TLuaAutoRelease(const TLuaAutoRelease&) = delete;
    TLuaAutoRelease& operator=(const TLuaAutoRelease&) = delete;

    // Takes ownership.
    void AddAutoRelease(TLuaObjectWrapper* handle);
    // Deletes every handle added so far.
    void ReleaseAutoReleased();
    size_t GetAutoReleaseCount() const { return m_handles.size(); }

private:
    std::vector<std::unique_ptr<TLuaObjectWrapper>> m_handles;
};

// Names the owner of L's stack-slot handles, or none with null: stored in
// the registry and as the light userdata global "_SCRIPT".
void LuaSetAutoReleaseOwner(lua_State* L, TLuaAutoRelease* owner);
TLuaAutoRelease* LuaGetAutoReleaseOwner(lua_State* L);

// The main thread of the state L belongs to (LuaMainState.cpp).
lua_State* LuaMainState(lua_State* L);

// Pushes the C text of s.
void LuaPushString(lua_State* L, const TString& s);

// Pop helpers for values a script call left on the stack. On an empty
// stack they pop nothing and give 0 / "".
double LuaPopNumber(lua_State* L);
TString LuaPopString(lua_State* L);
// Fields 1 to 4 of the table on top (raw access) as red, green, blue and
// alpha, then pops the table; absent fields and a non-table give 0.
void LuaPopColor(lua_State* L, float rgba[4]);
// globals[name] = value; the stack is left as it was.
void LuaSetGlobalString(lua_State* L, const TString& name, const TString& value);

// Restores the stack top it found when it goes out of scope, except while
// a Lua error is unwinding (the error value sits on top then).
class TLuaStackGuard {
public:
    explicit TLuaStackGuard(lua_State* L)
        : m_state(L), m_top(lua_gettop(L)), m_exceptions(std::uncaught_exceptions())
    {
    }
    ~TLuaStackGuard()
    {
        if (std::uncaught_exceptions() == m_exceptions)
            lua_settop(m_state, m_top);
    }
    TLuaStackGuard(const TLuaStackGuard&) = delete;
    TLuaStackGuard& operator=(const TLuaStackGuard&) = delete;

private:
    lua_State* m_state;
    int m_top;
    int m_exceptions;
};
