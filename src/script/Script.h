#pragma once
// A Lua state run as a task: a chunk that returns a function starts that
// function as the script's coroutine, which yields to wait and is resumed
// by the task (or by whoever hands the script a message).
#include <memory>

#include "lua.h"
#include "platform/Task.h"
#include "platform/TString.h"
#include "script/LuaValue.h"

// Keeps a state that the script does not close (see TScript's constructor).
class TScriptStateOwner {
public:
    virtual ~TScriptStateOwner() = default;
};

class TScript : public TLuaAutoRelease, public TAnimTask {
public:
    // Takes `L` (a main state, closed with the script), or opens a new one
    // when null; with an owner, the owner is deleted in place of closing the
    // state. The state gets the base (with coroutines and require), string
    // and table libraries, "_ALERT", "DebugOut", "DumpTable" and "_SCRIPT".
    // The task starts suspended.
    explicit TScript(lua_State* L = nullptr, std::unique_ptr<TScriptStateOwner> owner = nullptr);
    ~TScript() override;

    // The script owning the state L belongs to, or null.
    static TScript* FromState(lua_State* L);

    // The main state: native calls and RunFunction use its stack.
    lua_State* GetState() const { return mState; }
    // The coroutine's thread while it is alive (running or suspended).
    lua_State* GetThread() const { return mThread; }

    // The coroutine is suspended in a yield.
    bool IsWaiting() const;

    // Calls the function below the `nargs` arguments on top of the main
    // stack. While the script waits and at most one result is wanted, the
    // call is deferred: a closure over the function and its first six
    // arguments is offered to TakeDeferredCall, and run at once when that
    // declines. Errors go to "_ALERT". A single result that is a function
    // starts the coroutine. Returns 0 with `nresults` values left (nils for
    // a deferred call), or the Lua error code with the error value left.
    int RunFunction(int nargs, int nresults);

    // Resumes the coroutine with the `nargs` values on top of the main
    // stack (they are popped). 0 when it yielded or ended; an error is
    // logged as "lua_resume ERROR: %s" and its code returned.
    int Resume(int nargs);

    // Task: resumes the coroutine once; suspended unless it is still
    // waiting afterwards. Never ends the task.
    bool Update() override;

    // Compiles and runs `code` (`length` -1: up to its NUL) with the text as
    // chunk name. A failure is logged, and handed to the global
    // "LuaErrorMessage" when there is one, as "Lua Error: %s\n\twhen %s".
    // The stack is left as found. Returns the Lua status.
    int DoLuaString(const char* code, int length = -1);

    // Runs a script file compiled through TScriptCode (cached by name).
    // False when the name is empty or no such asset exists, or when it does
    // not compile or fails.
    bool RunFile(const TString& name);

protected:
    // The deferred closure is on top of the main stack. Take it (and
    // return true) or pop it and decline. The base declines.
    virtual bool TakeDeferredCall();

private:
    class TCallScope;

    void InitState();
    bool IsLuaRunning() const;
    int CallProtected(int nargs, int nresults);
    int PushDeferredClosure(int nargs);
    void StartCoroutine();
    int ResumeThread(int nargs, const char* errorFormat);
    void DropThread();
    void* ThreadKey() { return &mThread; }

    lua_State* mState = nullptr;
    std::unique_ptr<TScriptStateOwner> mOwner;
    lua_State* mThread = nullptr;
};
