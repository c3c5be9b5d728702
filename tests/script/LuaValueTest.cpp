#include "script/LuaValue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lauxlib.h"
#include "lualib.h"

namespace {

int OpenBase(lua_State* L)
{
    lua_pushcfunction(L, luaopen_base);
    lua_call(L, 0, 0);
    return 0;
}

class LuaValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        L = luaL_newstate();
        ASSERT_NE(L, nullptr);
        ASSERT_EQ(lua_cpcall(L, OpenBase, nullptr), 0);
        Run("weak = setmetatable({}, {__mode = 'v'})");
    }

    void TearDown() override
    {
        if (L)
            lua_close(L);
    }

    // Runs a chunk and leaves its `results` results on the stack.
    void Run(const char* code, int results = 0)
    {
        ASSERT_EQ(luaL_loadstring(L, code), 0) << lua_tostring(L, -1);
        ASSERT_EQ(lua_pcall(L, 0, results, 0), 0) << lua_tostring(L, -1);
    }

    // Whether weak[slot] survives a full collection.
    bool Alive(int slot)
    {
        lua_gc(L, LUA_GCCOLLECT, 0);
        lua_getglobal(L, "weak");
        lua_rawgeti(L, -1, slot);
        bool alive = !lua_isnil(L, -1);
        lua_pop(L, 2);
        return alive;
    }

    lua_State* L = nullptr;
};

TEST_F(LuaValueTest, HandlePinsItsValueUntilDestroyed)
{
    Run("local t = {} weak[1] = t return t", 1);
    auto handle = std::make_unique<TLuaTable>(L);
    EXPECT_EQ(lua_gettop(L), 0);  // the value was consumed
    EXPECT_TRUE(Alive(1));

    ASSERT_TRUE(handle->Push());
    lua_getglobal(L, "weak");
    lua_rawgeti(L, -1, 1);
    EXPECT_TRUE(lua_rawequal(L, -1, -3));
    lua_settop(L, 0);

    handle.reset();
    EXPECT_FALSE(Alive(1));
}

TEST_F(LuaValueTest, TwoHandlesOnOneValueAreIndependent)
{
    Run("local f = function() return 42 end weak[1] = f return f, f", 2);
    TLuaFunction* first = nullptr;
    auto second = std::make_unique<TLuaFunction>(L);
    first = new TLuaFunction(L);
    EXPECT_EQ(lua_gettop(L), 0);

    delete first;
    EXPECT_TRUE(Alive(1));
    ASSERT_TRUE(second->Push());
    ASSERT_EQ(lua_pcall(L, 0, 1, 0), 0);
    EXPECT_EQ(lua_tonumber(L, -1), 42);
    lua_pop(L, 1);

    second.reset();
    EXPECT_FALSE(Alive(1));
}

TEST_F(LuaValueTest, TableReadersGiveFieldsOrDefaults)
{
    Run("return { 10, 'text', {0.25, 0.5, 0.75}, {1, 2, 3, 4}, true, '7', [1.5] = 'half', [-2] = 'neg' }", 1);
    TLuaTable table(L);

    struct StringCase {
        double key;
        const char* expected;
    } strings[] = {
        {1, "10"}, {2, "text"}, {6, "7"}, {1.5, "half"}, {-2, "neg"},
        {99, "default"}, {5, "default"}, {3, "default"},
    };
    for (const StringCase& c : strings) {
        EXPECT_STREQ(table.GetString(c.key, "default").c_str(), c.expected) << c.key;
        EXPECT_EQ(lua_gettop(L), 0) << c.key;
    }

    struct NumberCase {
        double key;
        double expected;
    } numbers[] = {{1, 10}, {6, 7}, {99, -1}, {2, 0}, {5, 0}};
    for (const NumberCase& c : numbers) {
        EXPECT_EQ(table.GetNumber(c.key, -1), c.expected) << c.key;
        EXPECT_EQ(lua_gettop(L), 0) << c.key;
    }

    EXPECT_TRUE(table.PushField(2));
    ASSERT_EQ(lua_gettop(L), 1);
    EXPECT_STREQ(lua_tostring(L, -1), "text");
    lua_pop(L, 1);
    EXPECT_FALSE(table.PushField(99));
    EXPECT_EQ(lua_gettop(L), 0);

    std::unique_ptr<TLuaTable> sub = table.GetTable(3);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->GetNumber(2, -1), 0.5);
    EXPECT_EQ(table.GetTable(1), nullptr);
    EXPECT_EQ(table.GetTable(99), nullptr);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaValueTest, ColorReadsFourFieldsWithDefaults)
{
    Run("return { {0.25, 0.5, 0.75}, {1, 2, 3, 4}, 'no table', {nil, 0.5} }", 1);
    TLuaTable table(L);
    struct Case {
        double key;
        float expected[4];
    } cases[] = {
        {1, {0.25f, 0.5f, 0.75f, 0.9f}},  // three entries: the default alpha
        {2, {1, 2, 3, 4}},
        {3, {0.1f, 0.2f, 0.3f, 0.9f}},
        {4, {0.1f, 0.5f, 0.3f, 0.9f}},
        {99, {0.1f, 0.2f, 0.3f, 0.9f}},
    };
    for (const Case& c : cases) {
        float rgba[4] = {0.1f, 0.2f, 0.3f, 0.9f};
        table.GetColor(c.key, rgba);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(rgba[i], c.expected[i]) << "key " << c.key << " field " << i;
        EXPECT_EQ(lua_gettop(L), 0);
    }
}

TEST_F(LuaValueTest, ReadersNeverRaiseErrors)
{
    // A handle on a value that is no table still pins it; reads see no fields.
    lua_pushnumber(L, 5);
    TLuaTable number(L);
    EXPECT_STREQ(number.GetString(1, "d").c_str(), "d");
    EXPECT_FALSE(number.PushField(1));
    float rgba[4] = {1, 2, 3, 4};
    number.GetColor(1, rgba);
    EXPECT_EQ(rgba[3], 4);

    // Fields inherited through __index are seen; a failing __index is a nil.
    Run(R"(
        local base = {'inherited'}
        local good = setmetatable({}, {__index = base})
        local bad = setmetatable({}, {__index = function() error('boom') end})
        return good, bad
    )", 2);
    TLuaTable bad(L);
    TLuaTable good(L);
    EXPECT_STREQ(good.GetString(1, "d").c_str(), "inherited");
    EXPECT_STREQ(bad.GetString(1, "d").c_str(), "d");
    EXPECT_EQ(bad.GetNumber(1, 3), 3);
    EXPECT_EQ(bad.GetTable(1), nullptr);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(LuaValueTest, HandleMadeOnACoroutineThreadKeepsTheMainState)
{
    lua_State* thread = lua_newthread(L);
    Run("local t = {'x'} weak[1] = t return t", 1);
    lua_xmove(L, thread, 1);
    auto handle = std::make_unique<TLuaTable>(thread);
    EXPECT_EQ(handle->GetState(), L);
    EXPECT_EQ(lua_gettop(thread), 0);

    // The thread goes away; the handle still works on the main state.
    lua_settop(L, 0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    EXPECT_TRUE(Alive(1));
    EXPECT_STREQ(handle->GetString(1, "").c_str(), "x");

    // Pushing onto a live thread of the same state works too.
    lua_State* other = lua_newthread(L);
    ASSERT_TRUE(handle->Push(other));
    EXPECT_TRUE(lua_istable(other, -1));
    handle.reset();
    lua_settop(L, 0);
}

TEST_F(LuaValueTest, HandlesOutlivingTheStateAreDetached)
{
    Run("return {1}, function() end", 2);
    auto function = std::make_unique<TLuaFunction>(L);
    auto table = std::make_unique<TLuaTable>(L);
    lua_close(L);
    L = nullptr;

    EXPECT_EQ(table->GetState(), nullptr);
    EXPECT_FALSE(table->Push());
    EXPECT_EQ(table->GetNumber(1, 8), 8);
    EXPECT_EQ(table->GetTable(1), nullptr);
    // Destroying them now touches nothing of the closed state (ASan).
    table.reset();
    function.reset();
}

// A userdata whose finaliser deletes the handle it owns, as a message
// object would: runs while the state closes.
int DeleteHandleOnGc(lua_State* L)
{
    auto** slot = static_cast<TLuaObjectWrapper**>(lua_touserdata(L, 1));
    delete *slot;
    *slot = nullptr;
    return 0;
}

TEST_F(LuaValueTest, HandleDeletedByAFinaliserWhileTheStateCloses)
{
    for (int i = 0; i < 8; ++i) {
        auto** slot = static_cast<TLuaObjectWrapper**>(lua_newuserdata(L, sizeof(TLuaObjectWrapper*)));
        *slot = nullptr;
        lua_createtable(L, 0, 1);
        lua_pushcfunction(L, DeleteHandleOnGc);
        lua_setfield(L, -2, "__gc");
        lua_setmetatable(L, -2);
        lua_pushvalue(L, -1);
        lua_rawseti(L, LUA_REGISTRYINDEX, 1000 + i);
        lua_pop(L, 1);
        lua_newtable(L);
        *slot = new TLuaTable(L);
    }
    lua_close(L);  // ASan/LSan: no use after free, no leak
    L = nullptr;
}

// A native function handed a table argument by a script.
TLuaTable* gLastArgument = nullptr;
int TakeTable(lua_State* L)
{
    gLastArgument = TLuaTable::FromStack(L, 1);
    lua_pushboolean(L, gLastArgument != nullptr);
    return 1;
}

class TestScript : public TLuaAutoRelease {};

TEST_F(LuaValueTest, StackSlotTablesLiveUntilTheOwnerReleasesThem)
{
    lua_register(L, "TakeTable", TakeTable);

    // No script owns the state: nothing is made.
    Run("return TakeTable({})", 1);
    EXPECT_FALSE(lua_toboolean(L, -1));
    lua_pop(L, 1);

    TestScript script;
    LuaSetAutoReleaseOwner(L, &script);
    EXPECT_EQ(LuaGetAutoReleaseOwner(L), &script);
    Run("local t = {'first'} weak[1] = t return TakeTable(t)", 1);
    EXPECT_TRUE(lua_toboolean(L, -1));
    lua_pop(L, 1);
    ASSERT_NE(gLastArgument, nullptr);
    EXPECT_EQ(script.GetAutoReleaseCount(), 1u);
    EXPECT_TRUE(Alive(1));
    EXPECT_STREQ(gLastArgument->GetString(1, "").c_str(), "first");

    // The script's next call or resume releases it.
    script.ReleaseAutoReleased();
    gLastArgument = nullptr;
    EXPECT_EQ(script.GetAutoReleaseCount(), 0u);
    EXPECT_FALSE(Alive(1));

    // Called from inside a coroutine, the handle still names the main state.
    Run("local co = coroutine.create(function(t) return TakeTable(t) end)"
        " local t = {} weak[2] = t return coroutine.resume(co, t)", 2);
    EXPECT_TRUE(lua_toboolean(L, -1));
    lua_settop(L, 0);
    ASSERT_NE(gLastArgument, nullptr);
    EXPECT_EQ(gLastArgument->GetState(), L);
    lua_gc(L, LUA_GCCOLLECT, 0);  // the coroutine is gone
    EXPECT_TRUE(Alive(2));
    gLastArgument = nullptr;

    LuaSetAutoReleaseOwner(L, nullptr);
    EXPECT_EQ(LuaGetAutoReleaseOwner(L), nullptr);
    // The owner going away deletes what it still holds.
}

TEST_F(LuaValueTest, PopHelpers)
{
    Run("return {0.5, 0.25, 1}, 'text', 12", 3);
    EXPECT_EQ(LuaPopNumber(L), 12);
    EXPECT_STREQ(LuaPopString(L).c_str(), "text");
    float rgba[4] = {9, 9, 9, 9};
    LuaPopColor(L, rgba);
    EXPECT_EQ(rgba[0], 0.5f);
    EXPECT_EQ(rgba[1], 0.25f);
    EXPECT_EQ(rgba[2], 1.0f);
    EXPECT_EQ(rgba[3], 0.0f);
    EXPECT_EQ(lua_gettop(L), 0);

    // An empty stack pops nothing.
    EXPECT_EQ(LuaPopNumber(L), 0);
    EXPECT_STREQ(LuaPopString(L).c_str(), "");
    LuaPopColor(L, rgba);
    EXPECT_EQ(rgba[0], 0.0f);
    EXPECT_EQ(lua_gettop(L), 0);

    // A non-table colour is popped and reads as zeros; a table is read raw.
    Run("return setmetatable({}, {__index = function() error('no') end}), true", 2);
    rgba[0] = 5;
    LuaPopColor(L, rgba);
    EXPECT_EQ(rgba[0], 0.0f);
    LuaPopColor(L, rgba);
    EXPECT_EQ(rgba[0], 0.0f);
    EXPECT_EQ(lua_gettop(L), 0);

    lua_pushnil(L);
    LuaSetGlobalString(L, "Greeting", "hello");
    EXPECT_EQ(lua_gettop(L), 1);
    lua_settop(L, 0);
    LuaPushString(L, "pushed");
    lua_setglobal(L, "Other");
    Run("return Greeting .. ' ' .. Other", 1);
    EXPECT_STREQ(lua_tostring(L, -1), "hello pushed");
    lua_pop(L, 1);
}

// Keeps a guard and a handle alive while raising an error.
int FailWithGuard(lua_State* L)
{
    TLuaStackGuard guard(L);
    lua_newtable(L);
    auto handle = std::make_unique<TLuaTable>(L);
    lua_pushnumber(L, 1);
    lua_pushnumber(L, 2);
    return luaL_error(L, "failed on purpose");
}

TEST_F(LuaValueTest, StackGuardRestoresTheTopButKeepsErrors)
{
    lua_pushnumber(L, 1);
    {
        TLuaStackGuard guard(L);
        lua_pushnumber(L, 2);
        lua_pushnumber(L, 3);
    }
    EXPECT_EQ(lua_gettop(L), 1);
    lua_settop(L, 0);

    lua_pushcfunction(L, FailWithGuard);
    ASSERT_NE(lua_pcall(L, 0, 0, 0), 0);
    EXPECT_NE(std::string(lua_tostring(L, -1)).find("failed on purpose"), std::string::npos);
    lua_pop(L, 1);
}

} // namespace
