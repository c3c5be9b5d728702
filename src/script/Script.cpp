#include "script/Script.h"

#include <cstring>
#include <string>

#include "lauxlib.h"
#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "script/LuaRequire.h"
#include "script/LuaState.h"
#include "script/ScriptCode.h"

namespace {

// Lua text run in every script state.
const char kDumpTable[] = R"(
function _Internal_DumpEntry(key, value, indent)
  local line = string.rep(' ', indent) .. tostring(key) .. ' -> '
  if type(value) ~= 'table' then
    return line .. tostring(value) .. '\n\n'
  end
  if indent > 10 then
    return line .. '...\n\n'
  end
  return line .. '{\n' .. _Internal_DumpTable(value, indent + 2) .. string.rep(' ', indent) .. '}\n'
end

function _Internal_DumpTable(t, indent)
  local parts = {}
  for key, value in pairs(t) do
    table.insert(parts, _Internal_DumpEntry(key, value, indent))
  end
  return table.concat(parts)
end

function DumpTable(t)
  if type(t) ~= 'table' then
    DebugOut('Dump Table: \n' .. tostring(t))
    return
  end
  DebugOut('Dump Table: \n' .. _Internal_DumpTable(t, 2))
end
)";

const char kGetClosure[] =
    "function GetClosure( f, ... ) return function() f( arg[1], arg[2], arg[3], arg[4], arg[5], arg[6] ); end; end";

// The text of the value at `index`, for the log.
const char* ErrorText(lua_State* L, int index)
{
    const char* text = lua_tostring(L, index);
    return text ? text : lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, index));
}

// _ALERT(message): logs it. As a message handler it hands the message on,
// so callers of a failed call still see its text.
int Alert(lua_State* L)
{
    lua_settop(L, 1);
    WriteLog("Lua error: %s", ErrorText(L, 1));
    lua_settop(L, 1);  // ErrorText may have pushed a text
    return 1;
}

int DebugOut(lua_State*)
{
    return 0;
}

} // namespace

// Entering a call into the script releases the handles native functions
// made during earlier calls, unless Lua code of the state is running (the
// call is nested in a native function, which may still use its handles).
class TScript::TCallScope {
public:
    explicit TCallScope(TScript& script)
    {
        if (!script.IsLuaRunning())
            script.ReleaseAutoReleased();
    }
};

bool TScript::IsLuaRunning() const
{
    lua_Debug frame;
    if (lua_getstack(mState, 0, &frame))
        return true;
    return mThread && lua_status(mThread) == 0;
}

TScript::TScript(lua_State* L, std::unique_ptr<TScriptStateOwner> owner)
    : mState(L ? LuaMainState(L) : luaL_newstate()), mOwner(std::move(owner))
{
    Suspend();
    if (!mState) {
        WriteLog("TScript: no Lua state (out of memory)");
        return;
    }
    InitState();
}

TScript::~TScript()
{
    ReleaseAutoReleased();
    if (!mState)
        return;
    if (mOwner) {
        DropThread();
        LuaSetAutoReleaseOwner(mState, nullptr);
        lua_pushnil(mState);
        lua_setglobal(mState, "_SCRIPT");
        mOwner.reset();
    } else {
        lua_close(mState);
    }
}

void TScript::InitState()
{
    lua_State* L = mState;
    if (!OpenScriptLibraries(L))
        WriteLog("TScript: the Lua libraries did not open (out of memory)");
    lua_register(L, "_ALERT", Alert);
    lua_register(L, "DebugOut", DebugOut);
    if (luaL_loadbuffer(L, kDumpTable, sizeof kDumpTable - 1, "=DumpTable") != 0 || CallProtected(0, 0) != 0) {
        WriteLog("TScript: DumpTable: %s", ErrorText(L, -1));
        lua_pop(L, 1);
    }
    lua_pushlightuserdata(L, this);
    lua_setglobal(L, "_SCRIPT");
    LuaSetAutoReleaseOwner(L, this);
}

TScript* TScript::FromState(lua_State* L)
{
    return L ? dynamic_cast<TScript*>(LuaGetAutoReleaseOwner(L)) : nullptr;
}

bool TScript::IsWaiting() const
{
    return mThread && lua_status(mThread) == LUA_YIELD;
}

// lua_pcall of the function below the arguments with the global "_ALERT"
// as message handler.
int TScript::CallProtected(int nargs, int nresults)
{
    lua_State* L = mState;
    int function = lua_gettop(L) - nargs;
    lua_getglobal(L, "_ALERT");
    lua_insert(L, function);
    int status = lua_pcall(L, nargs, nresults, function);
    lua_remove(L, function);
    return status;
}

// Replaces the function and its arguments with GetClosure(function,
// arguments...), defining GetClosure first when it is nil.
int TScript::PushDeferredClosure(int nargs)
{
    lua_State* L = mState;
    lua_getglobal(L, "GetClosure");
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        int status = luaL_loadbuffer(L, kGetClosure, sizeof kGetClosure - 1, "=GetClosure");
        if (status == 0)
            status = CallProtected(0, 0);
        if (status != 0) {
            lua_insert(L, -(nargs + 2));
            lua_pop(L, nargs + 1);
            return status;
        }
        lua_getglobal(L, "GetClosure");
    }
    lua_insert(L, -(nargs + 2));
    return CallProtected(nargs + 1, 1);
}

int TScript::RunFunction(int nargs, int nresults)
{
    lua_State* L = mState;
    if (!L || nargs < 0 || lua_gettop(L) < nargs + 1) {
        WriteLog("TScript::RunFunction: no function below %d arguments", nargs);
        return LUA_ERRRUN;
    }
    TCallScope scope(*this);
    if (IsWaiting() && nresults <= 1) {
        if (int status = PushDeferredClosure(nargs))
            return status;
        TLuaFunction closure(L);
        closure.Push();
        if (TakeDeferredCall()) {
            for (int i = 0; i < nresults; ++i)
                lua_pushnil(L);
            return 0;
        }
        closure.Push();
        nargs = 0;
    }
    int status = CallProtected(nargs, nresults);
    if (status == 0) {
        if (nresults == 1 && lua_isfunction(L, -1) && !IsWaiting())
            StartCoroutine();
        return 0;
    }
    if (nresults >= 2)
        WriteLog("TScript::RunFunction failure. Too many return results? (%d, FAILURE CODE %d)", nresults, status);
    return status;
}

bool TScript::TakeDeferredCall()
{
    lua_pop(mState, 1);
    return false;
}

// Starts the function on top of the main stack (left there) as the
// coroutine body, in a thread of its own pinned in the registry.
void TScript::StartCoroutine()
{
    lua_State* L = mState;
    if (mThread) {
        // A body is running or suspended: Lua 5.0 refused to resume the
        // state then.
        WriteLog("lua_resume error: cannot resume non-suspended coroutine");
        return;
    }
    lua_pushvalue(L, -1);
    lua_State* thread = lua_newthread(L);
    lua_pushlightuserdata(L, ThreadKey());
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
    lua_pop(L, 1);
    lua_xmove(L, thread, 1);
    mThread = thread;
    if (GetWakeTime() == kNever)
        SetTimer(0, true, true, false);
    ResumeThread(0, "lua_resume error: %s");
    if (!IsWaiting())
        Suspend();
}

// Resumes the thread with the `nargs` values on its stack. 0 when it
// yielded (the yielded values are dropped) or ended (the thread is let go);
// an error is logged with `errorFormat` and the thread let go.
int TScript::ResumeThread(int nargs, const char* errorFormat)
{
    lua_State* thread = mThread;
    int status = lua_resume(thread, nargs);
    if (status == LUA_YIELD) {
        lua_settop(thread, 0);
        return 0;
    }
    if (status != 0)
        WriteLog(errorFormat, ErrorText(thread, -1));
    DropThread();
    return status;
}

void TScript::DropThread()
{
    if (!mThread)
        return;
    mThread = nullptr;
    lua_pushlightuserdata(mState, ThreadKey());
    lua_pushnil(mState);
    lua_rawset(mState, LUA_REGISTRYINDEX);
}

int TScript::Resume(int nargs)
{
    lua_State* L = mState;
    if (!L)
        return LUA_ERRRUN;
    TCallScope scope(*this);
    if (!IsWaiting()) {
        lua_pop(L, nargs);
        WriteLog("lua_resume ERROR: %s",
                 mThread ? "cannot resume non-suspended coroutine" : "cannot resume dead coroutine");
        return LUA_ERRRUN;
    }
    if (!lua_checkstack(mThread, nargs + LUA_MINSTACK)) {
        lua_pop(L, nargs);
        WriteLog("lua_resume ERROR: %s", "stack overflow");
        return LUA_ERRRUN;
    }
    lua_xmove(L, mThread, nargs);
    return ResumeThread(nargs, "lua_resume ERROR: %s");
}

bool TScript::Update()
{
    if (!IsWaiting() || Resume(0) != 0 || !IsWaiting())
        Suspend();
    return true;
}

int TScript::DoLuaString(const char* code, int length)
{
    lua_State* L = mState;
    if (!L || !code)
        return LUA_ERRRUN;
    TLuaStackGuard guard(L);
    size_t size = length < 0 ? std::strlen(code) : static_cast<size_t>(length);
    const std::string text(code, size);
    const char* stage = "parsing";
    int status = luaL_loadbuffer(L, text.data(), text.size(), text.c_str());
    if (status == 0) {
        stage = "running";
        status = RunFunction(0, 1);
    }
    if (status != 0 && lua_type(L, -1) == LUA_TSTRING) {
        TString message;
        message.Format("Lua Error: %s\n\twhen %s", lua_tostring(L, -1), stage);
        WriteLog("DoLuaString %s %s", message.c_str(), text.c_str());
        lua_getglobal(L, "LuaErrorMessage");
        if (lua_isnil(L, -1)) {
            lua_pop(L, 1);
        } else {
            LuaPushString(L, message);
            if (CallProtected(1, 0) != 0)
                lua_pop(L, 1);
        }
    }
    return status;
}

bool TScript::RunFile(const TString& name)
{
    lua_State* L = mState;
    if (!L || name.IsEmpty() || !AssetExists(name))
        return false;
    TLuaStackGuard guard(L);
    TString error;
    std::shared_ptr<TScriptCode> code = TScriptCode::Load(name, GetScriptSearchPath(), &error);
    int status = code ? luaL_loadbuffer(L, code->GetBytes().data(), code->GetSize(), name.c_str()) : LUA_ERRFILE;
    if (status != 0) {
        if (!code)
            LuaPushString(L, error);  // else the load error is on the stack
        lua_getglobal(L, "_ALERT");
        lua_insert(L, -2);
        if (lua_pcall(L, 1, 0, 0) != 0)
            lua_pop(L, 1);
        return false;
    }
    status = RunFunction(0, 1);
    if (status != 0) {
        WriteLog("Failed to run script %s: %d", name.c_str(), status);
        return false;
    }
    return true;
}
