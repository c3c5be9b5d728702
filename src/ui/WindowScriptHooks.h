#pragma once
#include "platform/TString.h"
#include "ui/Message.h"

class TLuaFunction;
class TWindow;

// What the window system asks of the window script (the Lua state owner).
// The window script implements it; until one is set the window manager's
// script pointer is null and these calls are skipped.
class TWindowScriptHooks {
public:
    virtual ~TWindowScriptHooks() = default;

    // The window that script-built windows are added to.
    virtual void SetCurrentParent(TWindow* window) = 0;
    virtual TWindow* GetCurrentParent() const = 0;
    // Text widgets translate their labels while on; returns the previous value.
    virtual bool SetTranslateLabels(bool on) = 0;
    // The string table's text for a label (the label itself when there is
    // no string table).
    virtual TString LookupLabel(const TString& label) { return label; }
    // The clipboard as the program's 8-bit text (empty when unavailable).
    virtual TString GetClipboardString() { return TString(); }
    // Runs a script file or a string of script code; false on failure.
    virtual bool RunFile(const TString& fileName) = 0;
    virtual bool RunString(const TString& code) = 0;
    // A message that reached a modal root unhandled. Takes ownership: the
    // script hands it to Lua or deletes it.
    virtual void DeliverMessage(TMessagePtr message) = 0;
    // The window is being destroyed: forget every pointer to it.
    virtual void ForgetWindow(TWindow* window) { (void)window; }
    // Makes scripts able to build windows of the type; false when refused.
    virtual bool RegisterWindowType(const TString& name, TWindow* (*creator)())
    {
        (void)name;
        (void)creator;
        return false;
    }
    // A button's command: the kMsgLuaAction message and the function to
    // call (borrowed). Without a script both are dropped.
    virtual void RunAction(TMessagePtr message, const TLuaFunction& function)
    {
        (void)message;
        (void)function;
    }
    // Sets the scripts' "gReturnValue" (a close button's name).
    virtual void SetReturnValue(const TString& value) { (void)value; }
};
