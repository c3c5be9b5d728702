// Opening a state with an allocator of the caller's: every block goes
// through it, a refused block is a Lua memory error, and all are given back
// when the state closes.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "script/LuaState.h"

namespace {

struct CappedMemory {
    size_t cap = 0;
    size_t used = 0;
    size_t peak = 0;
    int calls = 0;
};

void* CappedAlloc(void* ud, void* ptr, size_t osize, size_t nsize)
{
    CappedMemory* memory = static_cast<CappedMemory*>(ud);
    ++memory->calls;
    size_t old = ptr ? osize : 0;
    if (nsize == 0) {
        std::free(ptr);
        memory->used -= old;
        return nullptr;
    }
    if (nsize > old && memory->used - old + nsize > memory->cap)
        return nullptr;
    void* block = std::realloc(ptr, nsize);
    if (block) {
        memory->used = memory->used - old + nsize;
        if (memory->used > memory->peak)
            memory->peak = memory->used;
    }
    return block;
}

}

TEST(LuaState, OwnAllocatorCapsMemory)
{
    CappedMemory memory;
    memory.cap = 4 << 20;
    lua_State* L = NewLuaState(CappedAlloc, &memory);
    ASSERT_NE(L, nullptr);
    EXPECT_GT(memory.calls, 0);
    EXPECT_GT(memory.used, 0u);

    // the libraries are there, as in NewLuaState()
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return ('x'):rep(3) .. string.pack('b', 1) .. math.floor(2.5)", 1, error)) << error;
    EXPECT_EQ(std::string(lua_tostring(L, -1), 5), std::string("xxx\x01" "2", 5));
    lua_pop(L, 1);

    // past the cap: a memory error the script can catch, and the state goes on
    EXPECT_FALSE(RunLuaString(L, "local s = ('x'):rep(1 << 20) return s .. s .. s .. s .. s", 1, error));
    EXPECT_EQ(error, "not enough memory");
    EXPECT_LE(memory.peak, memory.cap);
    ASSERT_TRUE(RunLuaString(L, "return select(2, pcall(string.rep, 'x', 8 << 20))", 1, error)) << error;
    EXPECT_STREQ(lua_tostring(L, -1), "not enough memory");
    lua_pop(L, 1);
    ASSERT_TRUE(RunLuaString(L, "return #('y'):rep(1000)", 1, error)) << error;
    EXPECT_EQ(lua_tonumber(L, -1), 1000);
    lua_pop(L, 1);

    lua_close(L);
    EXPECT_EQ(memory.used, 0u);
}

TEST(LuaState, OwnAllocatorRefusingEverythingGivesNoState)
{
    CappedMemory memory;
    EXPECT_EQ(NewLuaState(CappedAlloc, &memory), nullptr);
    memory.cap = 2000;  // far too little for the libraries
    EXPECT_EQ(NewLuaState(CappedAlloc, &memory), nullptr);
    EXPECT_EQ(memory.used, 0u);
}
