#pragma once
#include <cstdint>
#include <memory>

#include "platform/TString.h"

class TWindow;

// Window message types.
enum : int32_t {
    kMsgCloseWindow = 1,   // pop the modal stack down to the window named by the name
    kMsgDefaultAction = 2, // Enter on a modal window that no default button took
    kMsgButtonPress = 3,   // a button click; the name is the button's name
    kMsgPressAnyKey = 4,   // unhandled input at a modal root: "mouse:up" or "raw:"+key
    kMsgQuitNow = 5,       // quit the application
    kMsgModalClosed = 6,   // a modal window was destroyed; the name is its id text
    kMsgTextChanged = 7,   // a text edit handled a character
    kMsgLuaAction = 8,     // a button's script action; "LuaAction:"+button name
    kMsgSliderSet = 9,
    kMsgSliderReleased = 10,
    kMsgSliderPageBack = 11,
    kMsgSliderPageForward = 12,
};

// A window message: type, name and target window (null = none: the window
// manager routes it to the focus window, else to the top modal window).
//
// Ownership (the one rule): a TMessage is always made with new, and exactly
// one holder owns it at any time. Handing it to TWindowManager::PostMessage or
// TWindow::SendMessage hands over ownership, as does handing it to the window
// script, which gives it to Lua (freed by the userdata's __gc) or deletes it.
// Whoever ends the delivery deletes it: the window whose OnMessage takes it
// (through SendMessage), the manager for quit messages, consumed and
// undeliverable messages and for whatever is still queued at shut-down.
// Handlers (OnMessage, message listeners) only borrow the pointer: they never
// delete it and never keep it past the call. Use TMessagePtr for hand-overs.
//
// The target is not owned. It never dangles: every live message whose target
// is destroyed loses its target (TMessage::ForgetWindow, called from the
// window's destructor), wherever the message is held.
class TMessage {
public:
    TMessage(int32_t type, const TString& name, TWindow* target = nullptr);
    TMessage(const TMessage&) = delete;
    TMessage& operator=(const TMessage&) = delete;
    virtual ~TMessage();

    virtual const char* GetClassName() const { return "TMessage"; }
    virtual bool IsKindOf(const void* typeId) const { return typeId == TypeId(); }
    static const void* TypeId();

    // The message a script message carries; a plain message is its own.
    virtual TMessage* GetNative() { return this; }

    int32_t GetType() const { return mType; }
    void SetType(int32_t type) { mType = type; }
    const TString& GetName() const { return mName; }
    void SetName(const TString& name) { mName = name; }
    TWindow* GetTarget() const { return mTarget; }
    void SetTarget(TWindow* target) { mTarget = target; }

    // Clears the target of every live message that targets the window.
    static void ForgetWindow(const TWindow* window);
    // Number of live messages (tests).
    static uint32_t LiveCount();

private:
    int32_t mType;
    TString mName;
    TWindow* mTarget;
    // Intrusive list of all live messages (main thread only).
    TMessage* mPrevLive = nullptr;
    TMessage* mNextLive = nullptr;
};

using TMessagePtr = std::unique_ptr<TMessage>;
