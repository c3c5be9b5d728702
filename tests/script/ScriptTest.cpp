// Script tasks: coroutine bodies, deferred calls into a waiting script,
// errors on every path, and the compiled-chunk cache.
#include <cstring>
#include <memory>
#include <string>

#include "platform/Task.h"
#include "script/LuaRequire.h"
#include "script/ScriptCode.h"
#include "script/ScriptTestSupport.h"

namespace {

// A body that waits for (message, command) pairs and runs each command, as
// the window script's message loop does.
const char kCommandLoop[] = R"(
return function()
  loops = 0
  while true do
    loops = loops + 1
    local message, command = coroutine.yield()
    if command then command() end
  end
end
)";

// Takes deferred calls as the window script does: resumes the waiting
// coroutine with a nil message and the closure as its command.
class TCommandScript : public TScript {
protected:
    bool TakeDeferredCall() override
    {
        lua_pushnil(GetState());
        lua_insert(GetState(), -2);
        return Resume(2) == 0;
    }
};

using ScriptTest = ScriptFixture;

TEST_F(ScriptTest, ChunkReturningAFunctionKeepsRunningAsACoroutine)
{
    AddFile("scripts/ticker.lua", R"(
        ticks = 0
        return function()
          for i = 1, 3 do
            ticks = ticks + 1
            coroutine.yield()
          end
          finished = true
        end)");
    TScript script;
    EXPECT_EQ(script.GetWakeTime(), TAnimTask::kNever);
    ASSERT_TRUE(script.RunFile("scripts/ticker.lua"));

    // The body ran to its first yield and waits; the task is due at once.
    EXPECT_EQ(Eval(script, "return ticks"), "1");
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_NE(script.GetThread(), nullptr);
    EXPECT_TRUE(script.IsReady(kPassIdle));

    // Each run of the task resumes it once and keeps it scheduled.
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return ticks"), "2");
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return ticks"), "3");
    EXPECT_NE(script.GetWakeTime(), TAnimTask::kNever);

    // The body ends: the thread is let go and the task suspended, still
    // reporting true so it stays in its list.
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return finished"), "true");
    EXPECT_FALSE(script.IsWaiting());
    EXPECT_EQ(script.GetThread(), nullptr);
    EXPECT_EQ(script.GetWakeTime(), TAnimTask::kNever);
    EXPECT_TRUE(script.Run());
    EXPECT_FALSE(mLog.Has("lua_resume"));
}

TEST_F(ScriptTest, ChunkReturningNothingJustRuns)
{
    AddFile("scripts/plain.lua", "ran = (ran or 0) + 1");
    AddFile("scripts/value.lua", "return 42");
    TScript script;
    EXPECT_TRUE(script.RunFile("scripts/plain.lua"));
    EXPECT_TRUE(script.RunFile("scripts/value.lua"));
    EXPECT_EQ(Eval(script, "return ran"), "1");
    EXPECT_FALSE(script.IsWaiting());
    EXPECT_EQ(script.GetThread(), nullptr);
    EXPECT_EQ(script.GetWakeTime(), TAnimTask::kNever);
    EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, CachedChunkIsNotCompiledAgainWhileItLives)
{
    std::string& text = AddFile("scripts/version.lua", "version = 1");
    TScript script;
    std::shared_ptr<TScriptCode> held = TScriptCode::Load("scripts/version.lua", GetScriptSearchPath(), nullptr);
    ASSERT_TRUE(held);
    EXPECT_STREQ(held->GetClassName(), "TScriptCode");
    EXPECT_TRUE(held->IsKindOf(TAsset::ClassId));
    EXPECT_EQ(TScriptCode::Load("scripts/version.lua", TString(), nullptr), held);

    // The file changes; the held chunk is what runs.
    text[text.size() - 1] = '2';
    ASSERT_TRUE(script.RunFile("scripts/version.lua"));
    EXPECT_EQ(Eval(script, "return version"), "1");

    // Once nobody holds it, the file is compiled again.
    held.reset();
    ASSERT_TRUE(script.RunFile("scripts/version.lua"));
    EXPECT_EQ(Eval(script, "return version"), "2");
}

TEST_F(ScriptTest, FailedCompileIsReportedAndNotCached)
{
    std::string& text = AddFile("scripts/broken.lua", "x = = 1");
    TString error;
    EXPECT_FALSE(TScriptCode::Load("scripts/broken.lua", TString(), &error));
    EXPECT_NE(std::string(error.c_str()).find("scripts/broken.lua:1:"), std::string::npos) << error.c_str();
    EXPECT_FALSE(TScriptCode::Load("", TString(), &error));

    text = "x = 5.0";  // same length: the memory file still spans it
    std::shared_ptr<TScriptCode> fixed = TScriptCode::Load("scripts/broken.lua", TString(), nullptr);
    ASSERT_TRUE(fixed);
    EXPECT_GT(fixed->GetSize(), 0u);
    EXPECT_EQ(fixed->GetBytes()[0], '\033');
}

TEST_F(ScriptTest, CallToAWaitingScriptRunsInsideTheCoroutineWithSixArguments)
{
    AddFile("scripts/loop.lua", kCommandLoop);
    TCommandScript script;
    ASSERT_TRUE(script.RunFile("scripts/loop.lua"));
    ASSERT_TRUE(script.IsWaiting());
    lua_State* L = script.GetState();
    ASSERT_EQ(Eval(script, R"(
        function Record(...)
          got = {...}
          count = select('#', ...)
          inside = coroutine.running() ~= nil
        end)"), "nil");

    lua_getglobal(L, "Record");
    for (int i = 1; i <= 7; ++i)
        lua_pushnumber(L, i);
    EXPECT_EQ(script.RunFunction(7, 1), 0);
    EXPECT_EQ(lua_gettop(L), 1);  // the one result asked for: nil
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);

    EXPECT_EQ(Eval(script, "return inside"), "true");
    EXPECT_EQ(Eval(script, "return table.concat(got, ',')"), "1,2,3,4,5,6");
    EXPECT_EQ(Eval(script, "return count"), "6");
    EXPECT_EQ(Eval(script, "return loops"), "2");
    EXPECT_TRUE(script.IsWaiting());
}

TEST_F(ScriptTest, DeclinedDeferredCallRunsAtOnceOnTheMainState)
{
    AddFile("scripts/loop.lua", kCommandLoop);
    TScript script;
    ASSERT_TRUE(script.RunFile("scripts/loop.lua"));
    lua_State* L = script.GetState();
    Eval(script, "function Record(...) got = {...} inside = coroutine.running() ~= nil end");
    lua_getglobal(L, "Record");
    for (int i = 1; i <= 7; ++i)
        lua_pushnumber(L, i);
    EXPECT_EQ(script.RunFunction(7, 0), 0);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(Eval(script, "return table.concat(got, ',')"), "1,2,3,4,5,6");
    EXPECT_EQ(Eval(script, "return inside"), "false");
    EXPECT_EQ(Eval(script, "return loops"), "1");

    // Two results are never deferred: the call is direct and keeps all
    // its arguments.
    Eval(script, "function Pair(...) return select('#', ...), coroutine.running() ~= nil end");
    lua_getglobal(L, "Pair");
    for (int i = 1; i <= 7; ++i)
        lua_pushnumber(L, i);
    ASSERT_EQ(script.RunFunction(7, 2), 0);
    EXPECT_EQ(lua_tonumber(L, -2), 7);
    EXPECT_FALSE(lua_toboolean(L, -1));
    lua_pop(L, 2);
}

TEST_F(ScriptTest, DeferredCallCanItselfWait)
{
    // A command that waits (as a modal loop does) suspends the coroutine
    // in the middle of the command; later runs of the task finish it.
    AddFile("scripts/loop.lua", kCommandLoop);
    TCommandScript script;
    ASSERT_TRUE(script.RunFile("scripts/loop.lua"));
    lua_State* L = script.GetState();
    Eval(script, "function Modal(name) step = name .. ' open' coroutine.yield() step = name .. ' closed' end");
    lua_getglobal(L, "Modal");
    lua_pushstring(L, "options");
    ASSERT_EQ(script.RunFunction(1, 0), 0);
    EXPECT_EQ(Eval(script, "return step"), "options open");
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_EQ(Eval(script, "return loops"), "1");

    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return step"), "options closed");
    EXPECT_EQ(Eval(script, "return loops"), "2");
    EXPECT_TRUE(script.IsWaiting());
}

TEST_F(ScriptTest, FailingCallWithSeveralResultsLogsTheHint)
{
    TScript script;
    lua_State* L = script.GetState();
    Eval(script, "function Fail() error('boom') end");
    const struct {
        int results;
        bool hint;
    } cases[] = {{2, true}, {3, true}, {1, false}, {0, false}, {LUA_MULTRET, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.results);
        mLog.Restart();
        lua_getglobal(L, "Fail");
        EXPECT_EQ(script.RunFunction(0, c.results), LUA_ERRRUN);
        // The handler logged the error and handed its text on.
        EXPECT_STREQ(lua_tostring(L, -1), "[string \"function Fail() error('boom') end\"]:1: boom");
        lua_settop(L, 0);
        EXPECT_EQ(mLog.Count("Lua error: [string \"function Fail() error('boom') end\"]:1: boom"), 1);
        std::string hint = "TScript::RunFunction failure. Too many return results? (" + std::to_string(c.results) +
                           ", FAILURE CODE 2)";
        EXPECT_EQ(mLog.Has(hint), c.hint);
    }
    // No function at all.
    EXPECT_EQ(script.RunFunction(0, 0), LUA_ERRRUN);
    EXPECT_EQ(lua_gettop(L), 0);
}

TEST_F(ScriptTest, ErrorInsideTheCoroutineDoesNotStopLaterOnes)
{
    AddFile("scripts/fails.lua", "return function() coroutine.yield() error('inside') end");
    AddFile("scripts/fails-at-once.lua", "return function() error('at once') end");
    AddFile("scripts/next.lua", "return function() started = true coroutine.yield() resumed = true end");
    TScript script;

    ASSERT_TRUE(script.RunFile("scripts/fails.lua"));
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_TRUE(script.Run());
    EXPECT_TRUE(mLog.Has("lua_resume ERROR: scripts/fails.lua:1: inside"));
    EXPECT_FALSE(script.IsWaiting());
    EXPECT_EQ(script.GetThread(), nullptr);
    EXPECT_EQ(script.GetWakeTime(), TAnimTask::kNever);

    // A body failing at its first resume logs the starter's line.
    EXPECT_TRUE(script.RunFile("scripts/fails-at-once.lua"));
    EXPECT_TRUE(mLog.Has("lua_resume error: scripts/fails-at-once.lua:1: at once"));
    EXPECT_EQ(script.GetThread(), nullptr);

    // A later body starts and is resumed as usual.
    ASSERT_TRUE(script.RunFile("scripts/next.lua"));
    EXPECT_EQ(Eval(script, "return started"), "true");
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return resumed"), "true");
}

// RunFile(name) for scripts.
int RunScriptFile(lua_State* L)
{
    TScript* script = TScript::FromState(L);
    lua_pushboolean(L, script && script->RunFile(luaL_checkstring(L, 1)));
    return 1;
}

TEST_F(ScriptTest, SecondBodyWhileOneIsAliveIsRefused)
{
    // The running body runs a file whose chunk returns another body.
    AddFile("scripts/first.lua", R"(
        return function()
          ran = RunScriptFile('scripts/second.lua')
          while true do first = (first or 0) + 1 coroutine.yield() end
        end)");
    AddFile("scripts/second.lua", "return function() second = true end");
    TScript script;
    lua_register(script.GetState(), "RunScriptFile", RunScriptFile);
    ASSERT_TRUE(script.RunFile("scripts/first.lua"));
    EXPECT_EQ(Eval(script, "return ran"), "true");
    EXPECT_EQ(mLog.Count("lua_resume error: cannot resume non-suspended coroutine"), 1);
    EXPECT_EQ(Eval(script, "return second"), "nil");

    // The first body goes on.
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return first"), "2");
}

TEST_F(ScriptTest, ResumeFromInsideTheRunningBodyIsRefused)
{
    TScript script;
    lua_State* L = script.GetState();
    lua_pushlightuserdata(L, &script);
    lua_pushcclosure(
        L,
        [](lua_State* T) -> int {
            auto* s = static_cast<TScript*>(lua_touserdata(T, lua_upvalueindex(1)));
            lua_pushstring(s->GetState(), "ignored");
            lua_pushinteger(T, s->Resume(1));
            return 1;
        },
        1);
    lua_setglobal(L, "ResumeSelf");
    ASSERT_EQ(script.DoLuaString("return function() local a, b = 'kept', ResumeSelf() status = a .. ' ' .. b end"),
              0);
    EXPECT_EQ(Eval(script, "return status"), "kept 2");
    EXPECT_TRUE(mLog.Has("lua_resume ERROR: cannot resume non-suspended coroutine"));
    EXPECT_EQ(lua_gettop(L), 0);
    // Nothing to resume any more.
    EXPECT_EQ(script.Resume(0), LUA_ERRRUN);
    EXPECT_TRUE(mLog.Has("lua_resume ERROR: cannot resume dead coroutine"));
}

TEST_F(ScriptTest, ScriptFileErrorsNameFileAndLine)
{
    const struct {
        const char* name;
        const char* text;
        const char* logged;
    } cases[] = {
        {"scripts/syntax.lua", "local a = 1\nlocal b = = 2\n", "Lua error: scripts/syntax.lua:2: unexpected symbol near `='"},
        {"scripts/runtime.lua", "local t = nil\n\nreturn t.field\n", "Lua error: scripts/runtime.lua:3: attempt to index local `t' (a nil value)"},
        {"scripts/deep.lua", "local function down(n) return 1 + down(n + 1) end\nreturn down(1)\n", "Lua error: scripts/deep.lua:1: stack overflow"},
        {"scripts/deepbody.lua", "local function down(n) return 1 + down(n + 1) end\nreturn function() down(1) end\n", "lua_resume error: scripts/deepbody.lua:1: stack overflow"},
    };
    TScript script;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AddFile(c.name, c.text);
        mLog.Restart();
        script.RunFile(c.name);
        EXPECT_TRUE(mLog.Has(c.logged)) << mLog.Text();
        EXPECT_EQ(lua_gettop(script.GetState()), 0);
    }
    EXPECT_FALSE(script.RunFile("scripts/syntax.lua"));
    EXPECT_FALSE(script.RunFile("scripts/runtime.lua"));
    EXPECT_TRUE(mLog.Has("Failed to run script scripts/runtime.lua: 2"));

    // Names that are no asset fail quietly.
    mLog.Restart();
    EXPECT_FALSE(script.RunFile(""));
    EXPECT_FALSE(script.RunFile("scripts/absent.lua"));
    EXPECT_EQ(mLog.Text(), "");

    // The state goes on.
    AddFile("scripts/good.lua", "good = true");
    EXPECT_TRUE(script.RunFile("scripts/good.lua"));
    EXPECT_EQ(Eval(script, "return good"), "true");
}

TEST_F(ScriptTest, DoLuaStringReportsParsingAndRunningErrors)
{
    TScript script;
    lua_State* L = script.GetState();
    Eval(script, "function LuaErrorMessage(m) reported = m end");
    lua_pushstring(L, "below");  // left alone

    const struct {
        const char* code;
        const char* message;
    } cases[] = {
        {"x = = 1", "Lua Error: [string \"x = = 1\"]:1: unexpected symbol near `='\n\twhen parsing"},
        {"error('late')", "Lua Error: [string \"error('late')\"]:1: late\n\twhen running"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        mLog.Restart();
        EXPECT_NE(script.DoLuaString(c.code), 0);
        EXPECT_EQ(Eval(script, "return reported"), c.message);
        EXPECT_TRUE(mLog.Has(std::string("DoLuaString ") + c.message + " " + c.code)) << mLog.Text();
        EXPECT_EQ(lua_gettop(L), 1);
    }

    // A length cuts the text; success returns 0.
    EXPECT_EQ(script.DoLuaString("value = 7 garbage", 9), 0);
    EXPECT_EQ(Eval(script, "return value"), "7");

    // A failing LuaErrorMessage is logged, not raised.
    Eval(script, "function LuaErrorMessage(m) error('handler broke') end");
    EXPECT_NE(script.DoLuaString("error('again')"), 0);
    EXPECT_TRUE(mLog.Has("handler broke"));
    EXPECT_EQ(lua_gettop(L), 1);
    EXPECT_STREQ(lua_tostring(L, 1), "below");
}

TEST_F(ScriptTest, DoLuaStringStartsAReturnedFunction)
{
    TScript script;
    EXPECT_EQ(script.DoLuaString("return function() phase = 1 coroutine.yield() phase = 2 end"), 0);
    EXPECT_TRUE(script.IsWaiting());
    EXPECT_EQ(lua_gettop(script.GetState()), 0);
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(Eval(script, "return phase"), "2");
}

TEST_F(ScriptTest, StateIsSetUpForScripts)
{
    TScript script;
    lua_State* L = script.GetState();
    EXPECT_EQ(TScript::FromState(L), &script);
    lua_getglobal(L, "_SCRIPT");
    EXPECT_EQ(lua_touserdata(L, -1), static_cast<void*>(&script));
    lua_pop(L, 1);

    const struct {
        const char* code;
        const char* result;
    } cases[] = {
        {"return type(coroutine.create)", "function"},
        {"return ('x'):rep(2) .. string.lualex('\\\\65')", "xxA"},
        {"return table.concat({1, 2}, '-')", "1-2"},
        {"return type(require) .. ' ' .. type(_LOADED)", "function table"},
        {"return math", "nil"},
        {"return io", "nil"},
        {"return select('#', DebugOut('any text'))", "0"},
        {"return select('#', DebugOut())", "0"},
        {"return _ALERT('from a script')", "from a script"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(script, c.code), c.result) << c.code;
    EXPECT_TRUE(mLog.Has("Lua error: from a script"));
}

TEST_F(ScriptTest, DumpTableWritesNestedTablesToDebugOut)
{
    TScript script;
    Eval(script, "function DebugOut(s) dumped = s end");
    Eval(script, "DumpTable({name = 'quiz'})");
    EXPECT_EQ(Eval(script, "return dumped"), "Dump Table: \n  name -> quiz\n\n");
    Eval(script, "DumpTable({inner = {1}})");
    EXPECT_EQ(Eval(script, "return dumped"), "Dump Table: \n  inner -> {\n    1 -> 1\n\n  }\n");

    // A table that holds itself stops past indent 10.
    Eval(script, "local t = {} t.self = t DumpTable(t)");
    std::string dumped = Eval(script, "return dumped");
    EXPECT_NE(dumped.find(std::string(12, ' ') + "self -> ...\n"), std::string::npos) << dumped;
    EXPECT_EQ(dumped.find(std::string(14, ' ') + "self"), std::string::npos) << dumped;
}

// A native function that takes a table argument as an auto-released handle,
// calls back into the script, and reads the handle afterwards.
int ReadAfterCallback(lua_State* L)
{
    TLuaTable* table = TLuaTable::FromStack(L, 1);
    TScript* script = TScript::FromState(L);
    if (!table || !script)
        return 0;
    lua_State* M = script->GetState();
    lua_getglobal(M, "Callback");
    script->RunFunction(0, 0);
    LuaPushString(L, table->GetString(1, "gone"));
    return 1;
}

TEST_F(ScriptTest, HandlesOfANativeCallOutliveNestedCalls)
{
    TScript script;
    lua_State* L = script.GetState();
    lua_register(L, "ReadAfterCallback", ReadAfterCallback);
    Eval(script, "function Callback() collectgarbage('collect') end");
    EXPECT_EQ(Eval(script, "return ReadAfterCallback({'kept'})"), "kept");
    EXPECT_EQ(script.GetAutoReleaseCount(), 1u);

    // The next outermost call lets it go.
    lua_getglobal(L, "Callback");
    EXPECT_EQ(script.RunFunction(0, 0), 0);
    EXPECT_EQ(script.GetAutoReleaseCount(), 0u);
}

class CountingOwner : public TScriptStateOwner {
public:
    explicit CountingOwner(int& deleted) : mDeleted(deleted) {}
    ~CountingOwner() override { ++mDeleted; }

private:
    int& mDeleted;
};

TEST_F(ScriptTest, OwnedStateOutlivesTheScript)
{
    lua_State* L = luaL_newstate();
    ASSERT_NE(L, nullptr);
    int deleted = 0;
    {
        TScript script(L, std::make_unique<CountingOwner>(deleted));
        EXPECT_EQ(script.GetState(), L);
        ASSERT_EQ(script.DoLuaString("return function() coroutine.yield() end"), 0);
        EXPECT_TRUE(script.IsWaiting());
    }
    EXPECT_EQ(deleted, 1);
    // The state is open, no longer names the script and holds no thread.
    EXPECT_EQ(TScript::FromState(L), nullptr);
    lua_getglobal(L, "_SCRIPT");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
    lua_gc(L, LUA_GCCOLLECT, 0);
    EXPECT_EQ(luaL_dostring(L, "return DumpTable ~= nil"), 0);
    EXPECT_TRUE(lua_toboolean(L, -1));
    lua_close(L);
}

} // namespace
