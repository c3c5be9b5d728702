// Binding benchmark: a Lua loop calling a native member function published
// with LuaBind (liveness check, typed argument and result conversion)
// 1,000,000 times, against the same loop calling a plain lua_CFunction
// registered with lua_register that does the same work. Rounds alternate;
// prints the median time of each and the ratio bound / plain.
//
//   bench_lua_bind [ROUNDS]      (default 9; run it through tools/bench-lua-bind)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench-timing.h"
#include "script/LuaState.h"
#include "ui/LuaBinding.h"

namespace {

constexpr int kCalls = 1000000;

class TCounter {
public:
    const TLiveness& GetLiveness() const { return mLiveness; }
    int32_t Add(int32_t step)
    {
        mTotal += step;
        return mTotal;
    }
    int32_t mTotal = 0;

private:
    TLiveness mLiveness;
};

TCounter gPlain;

// What a hand-written native function would do.
int PlainAdd(lua_State* L)
{
    lua_pushnumber(L, gPlain.Add(static_cast<int32_t>(lua_tonumber(L, 1))));
    return 1;
}

// Milliseconds for the loop over the global `name`; negative on failure.
double TimeLoop(lua_State* L, const char* name)
{
    std::string code = "local f = " + std::string(name) + " local s = 0 for i = 1, " + std::to_string(kCalls) +
                       " do s = f(1) end return s";
    std::string error;
    double start = NowMs();
    bool ok = RunLuaString(L, code.c_str(), 1, error);
    double elapsed = NowMs() - start;
    if (!ok) {
        std::fprintf(stderr, "bench-lua-bind: %s: %s\n", name, error.c_str());
        return -1;
    }
    lua_pop(L, 1);
    return elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    if (rounds < 1)
        rounds = 1;
    lua_State* L = NewLuaState();
    if (!L) {
        std::fprintf(stderr, "bench-lua-bind: no Lua state\n");
        return 1;
    }
    TCounter bound;
    LuaBind<&TCounter::Add>(L, "BoundAdd", &bound);
    lua_register(L, "PlainAdd", PlainAdd);

    std::vector<double> boundMs, plainMs;
    TimeLoop(L, "BoundAdd");  // warm-up
    TimeLoop(L, "PlainAdd");
    for (int round = 0; round < rounds; ++round) {
        bool boundFirst = round % 2 == 0;
        double a = TimeLoop(L, boundFirst ? "BoundAdd" : "PlainAdd");
        double b = TimeLoop(L, boundFirst ? "PlainAdd" : "BoundAdd");
        if (a < 0 || b < 0) {
            lua_close(L);
            return 1;
        }
        boundMs.push_back(boundFirst ? a : b);
        plainMs.push_back(boundFirst ? b : a);
    }
    lua_close(L);
    if (bound.mTotal != gPlain.mTotal) {
        std::fprintf(stderr, "bench-lua-bind: the two functions were not called alike (%d, %d)\n", bound.mTotal,
                     gPlain.mTotal);
        return 1;
    }
    double b = Median(boundMs), p = Median(plainMs);
    std::printf("%d calls, median of %d rounds: bound member %.1f ms (%.1f ns a call), plain lua_CFunction %.1f ms "
                "(%.1f ns a call), ratio %.3f\n",
                kCalls, rounds, b, b * 1e6 / kCalls, p, p * 1e6 / kCalls, b / p);
    return 0;
}
