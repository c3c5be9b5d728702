#pragma once
// The script of the window system: the Lua state in which dialog, screen and
// show scripts run. It publishes the native functions, keeps the dialog
// builder's stack of parent windows and the window-type registry, and takes
// the messages no window handled.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TString.h"
#include "script/Script.h"
#include "ui/FlashPlayer.h"
#include "ui/Liveness.h"
#include "ui/Message.h"
#include "ui/WindowScriptHooks.h"
#include "ui/WindowTypeRegistry.h"

class TStyle;
class TWindow;
class TWindowScriptNatives;

// Application services the scripts reach that live above the window layer.
// The movie player's needs come with it (defaults: a cursor that stays as it
// is, labels through GetString, no "FLASH_" labels).
class TWindowScriptHost : public TMoviePlayerHost {
public:
    ~TWindowScriptHost() override = default;
    virtual bool StringToClipboard(const TString& text) = 0;
    // The string table's text of `key` with "%1%" .. "%5%" replaced.
    virtual TString GetString(const TString& key, const TString args[5]) = 0;
    // The clipboard text in 8-bit characters, those it cannot hold left out.
    virtual TString GetClipboardString() { return TString(); }
    // Opens a web address with the program's opener (never a shell); false
    // when nothing was started.
    virtual bool OpenURL(const TString& url);

    bool IsCursorShown() const override { return true; }
    void ShowCursor(bool show) override { (void)show; }
    TString GetText(const TString& label) override;
    void GetFlashLabels(std::vector<TString>& labels) override { (void)labels; }
};

// Told of every window the dialog builder makes.
class TWindowCreationObserver {
public:
    virtual ~TWindowCreationObserver() = default;
    virtual void WindowCreated(TWindow* window, const TStyle& style) = 0;
};

// Waiting states (only kWaitingForMessage counts as waiting).
enum : int32_t {
    kScriptResumeFailed = 0,
    kScriptStarted = 1,
    kWaitingForMessage = 3,
};

class TWindowScript : public TScript, public TWindowScriptHooks {
public:
    // Registers the native functions, the message metatable and the window
    // type "Window", then runs the dialog library. The host is not owned
    // (null: no clipboard, no string table).
    explicit TWindowScript(TWindowScriptHost* host = nullptr);
    ~TWindowScript() override;

    const TLiveness& GetLiveness() const { return mLiveness; }
    TWindowScriptHost* GetHost() const { return mHost; }

    // Parent stack. SetCurrentParent makes it just this window (empty for
    // null); the last entry is the current parent.
    void SetCurrentParent(TWindow* window) override;
    TWindow* GetCurrentParent() const override;
    void PushParent(TWindow* window);
    // Every creation pushes one entry, which the table's PopWindow pops; a
    // creation that fails pushes an empty one.
    void PushFailedParent();
    void PopParent();
    size_t GetParentDepth() const { return mParents.size(); }
    // A window being destroyed leaves the stack.
    void ForgetWindow(TWindow* window) override;

    bool SetTranslateLabels(bool on) override;
    bool GetTranslateLabels() const { return mTranslateLabels; }
    // Through the host; without one the label / nothing.
    TString LookupLabel(const TString& label) override;
    TString GetClipboardString() override;

    bool RunFile(const TString& fileName) override;
    bool RunString(const TString& code) override;

    // The hand-off of an unhandled message and/or a command (a function,
    // borrowed): queued in Lua while the script runs, resumed into when it
    // waits, the command alone run when it is suspended otherwise. False
    // when nothing was delivered. The message is always taken.
    bool DeliverMessage(TMessagePtr message, const TLuaFunction* command);
    void DeliverMessage(TMessagePtr message) override { DeliverMessage(std::move(message), nullptr); }
    void RunAction(TMessagePtr message, const TLuaFunction& function) override
    {
        DeliverMessage(std::move(message), &function);
    }
    void SetReturnValue(const TString& value) override;

    // Movies. StartMovie: false for an empty name or when the movie does
    // not start; a movie still showing is stopped first. IsMoviePlaying:
    // false without a movie. StopMovie stops and frees the movie, if any.
    bool StartMovie(const TString& file, bool translate, bool allowInput);
    bool IsMoviePlaying();
    void StopMovie();
    TFlashPlayer* GetMoviePlayer() const { return mMovie.get(); }
    // Makes the control of each start; null: the null control (no movies).
    void SetMovieControlFactory(TMovieControlFactory factory) { mMovieControls = std::move(factory); }

    int32_t GetWaitingState() const { return mWaitingState; }
    void SetWaitingState(int32_t state) { mWaitingState = state; }

    void SetCreationObserver(TWindowCreationObserver* observer) { mObserver = observer; }

    // Defines the type's Lua constructor and stores its creator; false when
    // the name is refused or its constructor does not compile.
    bool RegisterWindowType(const TString& name, TWindowCreator creator) override;
    TWindowTypeRegistry& GetWindowTypes() { return mTypes; }

    // The dialog builder's creation of the window the style table on top of
    // L describes (its "typename" picks the class). The new window is added
    // to the current parent, initialised and becomes the current parent. When
    // nothing is made an empty entry is pushed (PushFailedParent), so the
    // builder's PopWindow stays balanced. True when a window was made.
    bool CreateWindow(lua_State* L, int index);

protected:
    // Resumes the script waiting for messages with (nil, the deferred
    // closure); declines when it is not waiting for messages.
    bool TakeDeferredCall() override;

private:
    // Pushes the message as Lua sees it (null: a type-8 message).
    void PushMessage(lua_State* L, TMessagePtr message);
    // Appends the value on top of the main stack to the global array.
    void QueueInLua(const char* queue);
    void RunCommandNow(lua_State* L);

    TLiveness mLiveness;
    TWindowScriptHost* mHost;
    std::vector<TWindow*> mParents;
    TWindowTypeRegistry mTypes;
    int32_t mWaitingState = kScriptStarted;
    TWindowCreationObserver* mObserver = nullptr;
    bool mTranslateLabels = false;
    std::unique_ptr<TWindowScriptNatives> mNatives;
    TMovieControlFactory mMovieControls;
    std::unique_ptr<TFlashPlayer> mMovie;
};

// The window manager's script (see GetWindowManager); null without a
// manager or when its script is no window script.
TWindowScript* GetWindowScript();
