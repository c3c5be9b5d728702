#pragma once
// Native functions published to Lua as globals, each through a typed
// adapter made from its signature:
//
//   LuaBind<&TThing::SetPosition>(L, "SetPosition", thing);   // member
//   LuaBind<&GetTimer>(L, "GetTimer");                         // free function
//
// Arguments 1, 2, ... convert by parameter type: TString / const TString&
// (lua_tostring, empty for nil and other non-strings), double, float,
// int32_t (truncated toward zero, saturating), bool (lua_toboolean),
// TLuaTable* (a handle on a table argument owned by the running script's
// auto-release list; null for anything else), TMessage* (the message of a
// message userdata, borrowed; null for anything else). Results: void
// (none), TString, double, float, int32_t, bool, TMessagePtr (handed to Lua
// as a message userdata, see LuaMessage.h). The raw form, int F(lua_State*),
// gets the calling thread and returns how many results it pushed (or what
// lua_yield returned, to yield).
//
// A member binding reaches its object through a liveness handle: a
// TLiveness the object owns (found through GetLiveness() or passed in) or
// the shared_ptr that owns it. Once the object is gone a call logs a line,
// does nothing and returns the default of its result type (nil for a
// message, nothing for void and raw). Setting the same global again
// replaces the earlier binding. No C++ exception leaves an adapter: one
// that escapes the function is logged and the default returned. Lua errors
// raised inside the function pass through as usual.
#include <cmath>
#include <concepts>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>

#include "lua.h"
#include "platform/Numbers.h"
#include "platform/TString.h"
#include "script/LuaValue.h"
#include "ui/Liveness.h"
#include "ui/LuaMessage.h"

// Argument i of a native function as text: strings and numbers convert,
// anything else (nil, a missing argument) gives an empty string.
inline TString LuaArgToString(lua_State* L, int i)
{
    size_t length = 0;
    const char* text = lua_isstring(L, i) ? lua_tolstring(L, i, &length) : nullptr;
    return text ? TString(text, static_cast<uint32_t>(length)) : TString();
}

namespace LuaBindingDetail {

// Argument conversion, by parameter type.
template <class A>
struct TArg;

template <>
struct TArg<TString> {
    static TString Get(lua_State* L, int i) { return LuaArgToString(L, i); }
};
template <>
struct TArg<const TString&> : TArg<TString> {};

template <>
struct TArg<double> {
    static double Get(lua_State* L, int i) { return lua_tonumber(L, i); }
};

template <>
struct TArg<float> {
    static float Get(lua_State* L, int i) { return static_cast<float>(lua_tonumber(L, i)); }
};

template <>
struct TArg<int32_t> {
    static int32_t Get(lua_State* L, int i) { return TruncateToInt32(lua_tonumber(L, i)); }
};

template <>
struct TArg<bool> {
    static bool Get(lua_State* L, int i) { return lua_toboolean(L, i) != 0; }
};

template <>
struct TArg<TLuaTable*> {
    static TLuaTable* Get(lua_State* L, int i)
    {
        return lua_istable(L, i) ? TLuaTable::FromStack(L, i) : nullptr;
    }
};

template <>
struct TArg<TMessage*> {
    static TMessage* Get(lua_State* L, int i) { return TLuaMessage::Get(L, i); }
};

// Results, by return type: Push pushes a value, PushDefault the value of a
// call whose object is gone; both return the result count.
template <class R>
struct TResult;

template <>
struct TResult<void> {
    static int PushDefault(lua_State*) { return 0; }
};

template <>
struct TResult<TString> {
    static int Push(lua_State* L, const TString& value)
    {
        LuaPushString(L, value);
        return 1;
    }
    static int PushDefault(lua_State* L) { return Push(L, TString()); }
};

template <class N>
    requires std::same_as<N, double> || std::same_as<N, float> || std::same_as<N, int32_t>
struct TResult<N> {
    static int Push(lua_State* L, N value)
    {
        lua_pushnumber(L, static_cast<lua_Number>(value));
        return 1;
    }
    static int PushDefault(lua_State* L) { return Push(L, N(0)); }
};

template <>
struct TResult<bool> {
    static int Push(lua_State* L, bool value)
    {
        lua_pushboolean(L, value ? 1 : 0);
        return 1;
    }
    static int PushDefault(lua_State* L) { return Push(L, false); }
};

template <>
struct TResult<TMessagePtr> {
    static int Push(lua_State* L, TMessagePtr value)
    {
        TLuaMessage::PushNew(L, std::move(value));
        return 1;
    }
    static int PushDefault(lua_State* L)
    {
        lua_pushnil(L);
        return 1;
    }
};

// Signatures.
template <class F>
struct TSignature;

template <class R, class... A>
struct TSignature<R (*)(A...)> {
    using Result = R;
    using Class = void;
    using Args = std::tuple<A...>;
    static constexpr bool kRaw = std::is_same_v<std::tuple<R, A...>, std::tuple<int, lua_State*>>;
};

template <class R, class C, class... A>
struct TSignature<R (C::*)(A...)> : TSignature<R (*)(A...)> {
    using Class = C;
};

template <class R, class C, class... A>
struct TSignature<R (C::*)(A...) const> : TSignature<R (*)(A...)> {
    using Class = const C;
};

// What a member binding's userdata holds.
struct TBindingData {
    void* object = nullptr;
    std::weak_ptr<const void> alive;
    TString name;
};

// The binding data of the running adapter (upvalue 1).
inline TBindingData* GetBindingData(lua_State* L)
{
    return static_cast<TBindingData*>(lua_touserdata(L, lua_upvalueindex(1)));
}
void LogObjectGone(const TBindingData* data);
void LogException(const char* name, const std::exception& e);
// Limits a raw function's result count to what it can have pushed.
int CheckRawCount(lua_State* L, int top, int count);
// Pushes a new binding userdata and the closure of `adapter` over it, and
// stores the closure in the global `name`.
void SetMemberBinding(lua_State* L, const char* name, lua_CFunction adapter, void* object,
                      std::weak_ptr<const void> alive);

// Calls `call(args...)` with the Lua arguments converted, and pushes its
// result.
template <class Sig, class Call, size_t... I>
int Invoke(lua_State* L, Call&& call, std::index_sequence<I...>)
{
    using R = typename Sig::Result;
    using Args = typename Sig::Args;
    if constexpr (Sig::kRaw) {
        int top = lua_gettop(L);
        return CheckRawCount(L, top, call(L));
    } else {
        // Braced initialisation converts the arguments from left to right.
        std::tuple<std::decay_t<std::tuple_element_t<I, Args>>...> args{
            TArg<std::tuple_element_t<I, Args>>::Get(L, int(I) + 1)...};
        if constexpr (std::is_void_v<R>) {
            call(std::move(std::get<I>(args))...);
            return 0;
        } else {
            return TResult<R>::Push(L, call(std::move(std::get<I>(args))...));
        }
    }
}

// Runs the call, turning a C++ exception into a log line and the default
// (Lua takes a function's results from the top, so whatever the function
// pushed before it threw is dropped).
template <class Sig, class Call>
int Guarded(lua_State* L, const TBindingData* data, Call&& call)
{
    constexpr size_t kCount = std::tuple_size_v<typename Sig::Args>;
    try {
        return Invoke<Sig>(L, call, std::make_index_sequence<kCount>());
    } catch (const std::exception& e) {
        LogException(data ? data->name.c_str() : "(free function)", e);
        return TResult<std::conditional_t<Sig::kRaw, void, typename Sig::Result>>::PushDefault(L);
    }
}

template <auto F>
int MemberAdapter(lua_State* L)
{
    using Sig = TSignature<decltype(F)>;
    using Default = TResult<std::conditional_t<Sig::kRaw, void, typename Sig::Result>>;
    TBindingData* data = GetBindingData(L);
    // Main thread only, so nothing can end the object between this test and
    // the call (a function that deletes its own object must not touch it
    // afterwards, as anywhere in C++).
    if (!data || data->alive.expired()) {
        LogObjectGone(data);
        return Default::PushDefault(L);
    }
    auto* object = static_cast<typename Sig::Class*>(data->object);
    return Guarded<Sig>(L, data,
                        [object](auto&&... args) { return (object->*F)(std::forward<decltype(args)>(args)...); });
}

template <auto F>
int FreeAdapter(lua_State* L)
{
    using Sig = TSignature<decltype(F)>;
    return Guarded<Sig>(L, nullptr, [](auto&&... args) { return F(std::forward<decltype(args)>(args)...); });
}

template <auto F, class T>
void BindMember(lua_State* L, const char* name, T* object, std::weak_ptr<const void> alive)
{
    using Class = typename TSignature<decltype(F)>::Class;
    static_assert(!std::is_void_v<Class>, "LuaBind with an object needs a member function");
    Class* target = object;
    SetMemberBinding(L, name, &MemberAdapter<F>, const_cast<std::remove_const_t<Class>*>(target),
                     object ? std::move(alive) : std::weak_ptr<const void>());
}

} // namespace LuaBindingDetail

// A member function of an object that owns `liveness`.
template <auto F, class T>
void LuaBind(lua_State* L, const char* name, T* object, const TLiveness& liveness)
{
    LuaBindingDetail::BindMember<F>(L, name, object, liveness.Watch());
}

// A member function of an object that has `const TLiveness& GetLiveness()`.
template <auto F, class T>
    requires requires(const T& t) {
        { t.GetLiveness() } -> std::convertible_to<const TLiveness&>;
    }
void LuaBind(lua_State* L, const char* name, T* object)
{
    LuaBindingDetail::BindMember<F>(L, name, object, object ? object->GetLiveness().Watch() : std::weak_ptr<const void>());
}

// A member function of an object owned by shared pointers.
template <auto F, class T>
void LuaBind(lua_State* L, const char* name, const std::shared_ptr<T>& object)
{
    LuaBindingDetail::BindMember<F>(L, name, object.get(), std::weak_ptr<const void>(object));
}

// A free function.
template <auto F>
void LuaBind(lua_State* L, const char* name)
{
    static_assert(std::is_void_v<typename LuaBindingDetail::TSignature<decltype(F)>::Class>,
                  "LuaBind without an object needs a free function");
    lua_pushcfunction(L, &LuaBindingDetail::FreeAdapter<F>);
    lua_setglobal(L, name);
}
