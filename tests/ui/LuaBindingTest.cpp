#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "lauxlib.h"
#include "script/LuaState.h"
#include "script/LuaTestSupport.h"
#include "support/TempFolder.h"
#include "ui/LuaBinding.h"

namespace {

// An object with one member function per signature family; it records the
// arguments it was called with.
class TTarget {
public:
    explicit TTarget(std::string tag = "a") : mTag(std::move(tag)) {}
    const TLiveness& GetLiveness() const { return mLiveness; }

    void SetPosition(const TString& name, int32_t x, int32_t y)
    {
        calls += "SetPosition(" + std::string(name.c_str()) + "," + std::to_string(x) + "," + std::to_string(y) + ")";
    }
    TString Echo(TString text) { return TString((mTag + ":").c_str()) + text; }
    double Half(double value) { return value / 2; }
    float Narrow(float value) { return value; }
    int32_t Trunc(int32_t value) { return value; }
    bool Not(bool value) { return !value; }
    int32_t First(TLuaTable* table) { return table ? int32_t(table->GetNumber(1, -1)) : -99; }
    TString NameOf(TMessage* message) { return message ? message->GetName() : TString("null"); }
    TMessagePtr Make(int32_t type, const TString& name) { return std::make_unique<TMessage>(type, name); }
    int Raw(lua_State* L)
    {
        lua_pushnumber(L, lua_gettop(L));
        lua_pushstring(L, mTag.c_str());
        return 2;
    }
    int RawError(lua_State* L) { return luaL_error(L, "raw failed on %s", mTag.c_str()); }
    int RawBadCount(lua_State* L)
    {
        lua_pushstring(L, "one");
        return 50;
    }
    int RawYield(lua_State* L)
    {
        lua_pushstring(L, "yielded");
        return lua_yield(L, 1);
    }
    bool Throws() { throw std::runtime_error("no good"); }
    TString Tag() const { return mTag.c_str(); }

    std::string calls;

private:
    std::string mTag;
    TLiveness mLiveness;
};

int32_t FreeAdd(int32_t a, int32_t b)
{
    return a + b;
}

void BindAll(lua_State* L, TTarget* target)
{
    LuaBind<&TTarget::SetPosition>(L, "SetPosition", target);
    LuaBind<&TTarget::Echo>(L, "Echo", target);
    LuaBind<&TTarget::Half>(L, "Half", target);
    LuaBind<&TTarget::Narrow>(L, "Narrow", target);
    LuaBind<&TTarget::Trunc>(L, "Trunc", target);
    LuaBind<&TTarget::Not>(L, "Not", target);
    LuaBind<&TTarget::First>(L, "First", target);
    LuaBind<&TTarget::NameOf>(L, "NameOf", target);
    LuaBind<&TTarget::Make>(L, "Make", target);
    LuaBind<&TTarget::Raw>(L, "Raw", target);
    LuaBind<&TTarget::RawError>(L, "RawError", target);
    LuaBind<&TTarget::RawBadCount>(L, "RawBadCount", target);
    LuaBind<&TTarget::RawYield>(L, "RawYield", target);
    LuaBind<&TTarget::Throws>(L, "Throws", target);
    LuaBind<&TTarget::Tag>(L, "Tag", target);
}

class LuaBindingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mLiveAtStart = TMessage::LiveCount();
        L = NewLuaState();
        ASSERT_NE(L, nullptr);
        LuaSetAutoReleaseOwner(L, &mAutoRelease);
    }
    void TearDown() override
    {
        mAutoRelease.ReleaseAutoReleased();
        if (L)
            lua_close(L);
        EXPECT_EQ(TMessage::LiveCount(), mLiveAtStart) << "messages leaked";
    }

    // The results of code joined by ",", or "error: " and the message.
    std::string Eval(const char* code) { return EvalLua(L, code); }

    TTempFolder mTemp{"luabinding"};
    TLogCapture mLog{mTemp.File("log")};
    TLuaAutoRelease mAutoRelease;
    uint32_t mLiveAtStart = 0;
    lua_State* L = nullptr;
};

struct BindCase {
    const char* code;
    const char* result;
    const char* calls;  // what the object recorded
};

TEST_F(LuaBindingTest, ArgumentsAndResultsConvertByType)
{
    TTarget target;
    BindAll(L, &target);
    const BindCase cases[] = {
        {"return SetPosition('w', 10.9, -3.2)", "", "SetPosition(w,10,-3)"},
        {"return SetPosition()", "", "SetPosition(,0,0)"},
        {"return SetPosition({}, 'abc', print)", "", "SetPosition(,0,0)"},
        {"return SetPosition(12, '7.9', true)", "", "SetPosition(12,7,0)"},
        {"return Echo('x')", "a:x", ""},
        {"return Echo(1.5)", "a:1.5", ""},
        {"return Echo(nil)", "a:", ""},
        {"return Echo(false)", "a:", ""},
        {"return Half(3)", "1.5", ""},
        {"return Half('x')", "0", ""},
        {"return Narrow(0.1) == 0.1, Narrow(0.5)", "false,0.5", ""},
        {"return Trunc(-2.9), Trunc(1e300)", "-2,2147483647", ""},
        {"return Trunc(-1e300), Trunc(0/0), Trunc(-(0/0))", "-2147483648,0,0", ""},
        {"return Not(nil), Not(0), Not(false), Not('')", "true,false,true,false", ""},
        {"return First({5}), First({}), First(nil), First('x'), First()", "5,-1,-99,-99,-99", ""},
        {"return NameOf(Make(3, 'ok')), NameOf(nil), NameOf(newproxy(true)), NameOf({})", "ok,null,null,null", ""},
        {"local m = Make(2.7, 5) return m.type, m.name", "2,5", ""},
        {"return Raw(1, 2, 3)", "3,a", ""},
        {"return Raw()", "0,a", ""},
        {"return Tag()", "a", ""},
        {"return FreeAdd(2, '3'), FreeAdd()", "5,0", ""},
    };
    LuaBind<&FreeAdd>(L, "FreeAdd");
    for (const BindCase& c : cases) {
        SCOPED_TRACE(c.code);
        target.calls.clear();
        EXPECT_EQ(Eval(c.code), c.result);
        EXPECT_EQ(target.calls, c.calls);
        EXPECT_EQ(lua_gettop(L), 0);
    }
}

TEST_F(LuaBindingTest, FailuresInsideTheFunctionAreContained)
{
    TTarget target;
    BindAll(L, &target);
    // A C++ exception becomes the default result and a log line.
    EXPECT_EQ(Eval("return Throws()"), "false");
    EXPECT_TRUE(mLog.Has("Lua binding Throws failed: no good"));
    // A Lua error raised by the function reaches the script's pcall.
    EXPECT_EQ(Eval("return pcall(RawError)"), "false,raw failed on a");
    EXPECT_EQ(Eval("RawError()").rfind("error: ", 0), 0u);
    // A raw function claiming more results than it pushed.
    EXPECT_EQ(Eval("return select('#', RawBadCount())"), "1");
    EXPECT_TRUE(mLog.Has("bad result count 50"));
    // Everything still works afterwards.
    EXPECT_EQ(Eval("return Echo('z')"), "a:z");
}

// A binding whose object is gone logs, does nothing and returns the
// default of its result type.
TEST_F(LuaBindingTest, DeletedObjectMakesEveryBindingALoggedNoOp)
{
    auto target = std::make_unique<TTarget>();
    BindAll(L, target.get());
    target.reset();
    const BindCase cases[] = {
        {"return SetPosition('w', 1, 2)", "", ""},
        {"return Echo('x')", "", ""},
        {"return Half(3)", "0", ""},
        {"return Trunc(3)", "0", ""},
        {"return Not(false)", "false", ""},
        {"return First({1})", "0", ""},
        {"return Make(1, 'x')", "nil", ""},
        {"return select('#', Raw(1, 2))", "0", ""},
        {"return Tag()", "", ""},
    };
    for (const BindCase& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Eval(c.code), c.result);
    }
    EXPECT_EQ(mLog.Count("called after its object was deleted"), int(std::size(cases)));
    EXPECT_TRUE(mLog.Has("Lua binding Echo called after its object was deleted"));
}

TEST_F(LuaBindingTest, LivenessFromASharedPointerOrAToken)
{
    auto shared = std::make_shared<TTarget>("s");
    LuaBind<&TTarget::Tag>(L, "SharedTag", shared);
    auto owner = std::make_unique<TLiveness>();
    TTarget plain("p");
    LuaBind<&TTarget::Tag>(L, "TokenTag", &plain, *owner);
    LuaBind<&TTarget::Tag>(L, "NullTag", static_cast<TTarget*>(nullptr));
    EXPECT_EQ(Eval("return SharedTag(), TokenTag(), NullTag()"), "s,p,");
    shared.reset();
    owner.reset();
    EXPECT_EQ(Eval("return SharedTag(), TokenTag()"), ",");
    EXPECT_EQ(mLog.Count("called after its object was deleted"), 3);
}

TEST_F(LuaBindingTest, RegisteringAGlobalAgainReplacesTheBinding)
{
    auto first = std::make_unique<TTarget>("first");
    TTarget second("second");
    LuaBind<&TTarget::Echo>(L, "Echo", first.get());
    Eval("old = Echo");
    LuaBind<&TTarget::Echo>(L, "Echo", &second);
    EXPECT_EQ(Eval("return Echo('x'), old('y')"), "second:x,first:y");
    first.reset();
    EXPECT_EQ(Eval("return Echo('x'), old('y')"), "second:x,");
    // The replaced binding's data is collected with its closure.
    Eval("old = nil");
    lua_gc(L, LUA_GCCOLLECT, 0);
    EXPECT_EQ(Eval("return Echo('z')"), "second:z");
}

TEST_F(LuaBindingTest, BindingsWorkFromCoroutinesAndTableArgumentsAreAutoReleased)
{
    TTarget target;
    BindAll(L, &target);
    EXPECT_EQ(Eval("local co = coroutine.create(function(t) coroutine.yield(First(t)) return Raw(9) end) "
                   "local ok1, a = coroutine.resume(co, {8}) local ok2, b, c = coroutine.resume(co) "
                   "return a, b, c"),
              "8,1,a");
    EXPECT_EQ(mAutoRelease.GetAutoReleaseCount(), 1u);
    // A raw function may yield the coroutine that called it.
    EXPECT_EQ(Eval("local co = coroutine.create(function() local v = RawYield() return 'after ' .. v end) "
                   "local _, a = coroutine.resume(co) local _, b = coroutine.resume(co, 'resumed') "
                   "return a, b, coroutine.status(co)"),
              "yielded,after resumed,dead");
    EXPECT_FALSE(mLog.Has("bad result count"));
    mAutoRelease.ReleaseAutoReleased();
    EXPECT_EQ(mAutoRelease.GetAutoReleaseCount(), 0u);
}

TEST(LuaBindingNoScript, TableArgumentWithoutAScriptIsNull)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    TTarget target;
    LuaBind<&TTarget::First>(L, "First", &target);
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return First({3})", 1, error)) << error;
    EXPECT_EQ(lua_tonumber(L, -1), -99);
    lua_close(L);
}

} // namespace
