// Loads arbitrary bytes as a Lua chunk (source or binary) in a fresh state
// with the libraries scripts get. A chunk that loads must survive a dump and
// reload byte for byte, and is then run with an instruction budget, a
// memory cap and a budget for all allocations. Every block must be given
// back when the state closes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lauxlib.h"
#include "lua.h"
#include "script/LuaState.h"

// Undefined behaviour stops the run, so the fuzzer reports it as a crash.
extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

namespace {

constexpr size_t kMemoryCap = size_t(64) << 20;
// All the growth one run may ask for: a single instruction can make a large
// table, so the instruction budget alone does not bound the time.
constexpr size_t kGrowthBudget = size_t(256) << 20;
constexpr int kHookEvery = 1000;  // instructions between two hook calls
constexpr int kHookCalls = 300;   // hook calls before the budget is spent

struct Memory {
    size_t used = 0;
    size_t grown = 0;
};

void* CappedAlloc(void* ud, void* ptr, size_t osize, size_t nsize)
{
    Memory* memory = static_cast<Memory*>(ud);
    size_t old = ptr ? osize : 0;
    if (old > memory->used) {
        std::fprintf(stderr, "fuzz_lua: block of %zu bytes freed with only %zu in use\n", old, memory->used);
        std::abort();
    }
    if (nsize == 0) {
        std::free(ptr);
        memory->used -= old;
        return nullptr;
    }
    // growing past the cap or the budget fails; shrinking never does (Lua
    // relies on it)
    if (nsize > old && (nsize - old > kMemoryCap - memory->used || nsize - old > kGrowthBudget - memory->grown))
        return nullptr;
    void* block = std::realloc(ptr, nsize);
    if (!block)
        return nullptr;
    if (nsize > old)
        memory->grown += nsize - old;
    memory->used = memory->used - old + nsize;
    return block;
}

int g_hookCalls = 0;

// Threads inherit the hook, and the count is shared, so coroutines spend the
// same budget. Once it is spent every instruction raises the error, so a
// loop around pcall cannot go on either.
void CountHook(lua_State* L, lua_Debug*)
{
    if (++g_hookCalls < kHookCalls)
        return;
    lua_sethook(L, CountHook, LUA_MASKCOUNT, 1);
    luaL_error(L, "instruction budget spent");
}

// An error handler runs with hooks off when the error came from a hook, so
// once the budget is spent xpcall's handler is skipped and the message kept.
int GuardedHandler(lua_State* L)
{
    lua_settop(L, 1);
    if (g_hookCalls >= kHookCalls)
        return 1;
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, 1, 1);
    return 1;
}

int GuardedXpcall(lua_State* L)
{
    luaL_checkany(L, 2);
    lua_settop(L, 2);
    lua_pushvalue(L, lua_upvalueindex(1));  // the library's xpcall
    lua_insert(L, 1);
    lua_pushcclosure(L, GuardedHandler, 1);
    lua_call(L, 2, LUA_MULTRET);
    return lua_gettop(L);
}

int AppendChunk(lua_State*, const void* p, size_t size, void* ud)
{
    static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
    return 0;
}

// The function on top of the stack, dumped, reloaded and dumped again, must
// give the same bytes.
void CheckDumpRoundTrip(lua_State* L)
{
    std::string first;
    lua_dump(L, AppendChunk, &first);
    int status = luaL_loadbuffer(L, first.data(), first.size(), "=fuzz");
    if (status == LUA_ERRMEM) {
        lua_pop(L, 1);
        return;
    }
    if (status != 0) {
        std::fprintf(stderr, "fuzz_lua: a dumped chunk does not load: %s\n", lua_tostring(L, -1));
        std::abort();
    }
    std::string second;
    lua_dump(L, AppendChunk, &second);
    lua_pop(L, 1);
    if (first != second) {
        std::fprintf(stderr, "fuzz_lua: a reloaded chunk dumps differently (%zu and %zu bytes)\n", first.size(),
                     second.size());
        std::abort();
    }
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // print writes to stdout; dofile() and loadfile() without a name read stdin
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "r", stdin))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Memory memory;
    lua_State* L = NewLuaState(CappedAlloc, &memory);
    if (L) {
        // a __gc metamethod runs with hooks off, outside any budget
        lua_pushnil(L);
        lua_setglobal(L, "newproxy");
        lua_getglobal(L, "xpcall");
        lua_pushcclosure(L, GuardedXpcall, 1);
        lua_setglobal(L, "xpcall");
        if (luaL_loadbuffer(L, reinterpret_cast<const char*>(data), size, "=fuzz") == 0) {
            CheckDumpRoundTrip(L);
            g_hookCalls = 0;
            lua_sethook(L, CountHook, LUA_MASKCOUNT, kHookEvery);
            lua_pcall(L, 0, 0, 0);
        }
        lua_close(L);
    }
    if (memory.used != 0) {
        std::fprintf(stderr, "fuzz_lua: %zu bytes still allocated after lua_close\n", memory.used);
        std::abort();
    }
    return 0;
}
