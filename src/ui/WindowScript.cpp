#include "ui/WindowScript.h"

#include <string>

#include "platform/Log.h"
#include "ui/Button.h"
#include "ui/DialogLibrary.h"
#include "ui/Image.h"
#include "ui/LuaMessage.h"
#include "ui/Text.h"
#include "ui/TextEdit.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptNatives.h"
#include "ui/WindowStyle.h"
#include "ui/XSellWindow.h"

TWindowScript::TWindowScript(TWindowScriptHost* host)
    : mHost(host), mNatives(std::make_unique<TWindowScriptNatives>(*this))
{
    lua_State* L = GetState();
    if (!L)
        return;
    mNatives->Register(L);
    // The window types scripts build.
    RegisterWindowType("Window", &TWindow::GetCreator);
    RegisterWindowType("Bitmap", &TImage::GetCreator);
    RegisterWindowType("Button", &TButton::GetCreator);
    RegisterWindowType("Text", &TText::GetCreator);
    RegisterWindowType("TextEdit", &TTextEdit::GetCreator);
    RegisterWindowType("XSellWindow", &TXSellWindow::GetCreator);
    LuaRegisterMessageMetatable(L);
    std::string error;
    if (!RunDialogLibrary(L, error))
        WriteLog("TWindowScript: the dialog library failed: %s", error.c_str());
}

TWindowScript::~TWindowScript()
{
    mMovie.reset();
    mTypes.Clear();
    mParents.clear();
}

bool TWindowScriptHost::OpenURL(const TString& url)
{
    WriteLog("No opener for web addresses; %s not opened", url.c_str());
    return false;
}

TString TWindowScriptHost::GetText(const TString& label)
{
    const TString args[5];
    return GetString(label, args);
}

// ---------------------------------------------------------------- movies

bool TWindowScript::StartMovie(const TString& file, bool translate, bool allowInput)
{
    if (file.IsEmpty()) {
        WriteLog("StartMovie: no file named");
        return false;
    }
    mMovie.reset();
    auto player = std::make_unique<TFlashPlayer>(mMovieControls ? mMovieControls() : MakeNullMovieControl(), mHost);
    if (!player->Start(file, translate, allowInput))
        return false;
    mMovie = std::move(player);
    return true;
}

bool TWindowScript::IsMoviePlaying()
{
    return mMovie && mMovie->IsPlaying();
}

void TWindowScript::StopMovie()
{
    mMovie.reset();
}

// ---------------------------------------------------------------- parent stack

void TWindowScript::SetCurrentParent(TWindow* window)
{
    mParents.clear();
    if (window)
        mParents.push_back(window);
}

TWindow* TWindowScript::GetCurrentParent() const
{
    return mParents.empty() ? nullptr : mParents.back();
}

void TWindowScript::PushParent(TWindow* window)
{
    if (window)
        mParents.push_back(window);
}

void TWindowScript::PushFailedParent()
{
    // No current parent until the table's PopWindow: its children, name and
    // style reach no window, neither a new one nor the one around it.
    mParents.push_back(nullptr);
}

void TWindowScript::PopParent()
{
    if (mParents.empty())
        WriteLog("PopWindow: the parent stack is empty");
    else
        mParents.pop_back();
}

void TWindowScript::ForgetWindow(TWindow* window)
{
    std::erase(mParents, window);
}

bool TWindowScript::SetTranslateLabels(bool on)
{
    bool previous = mTranslateLabels;
    mTranslateLabels = on;
    return previous;
}

TString TWindowScript::LookupLabel(const TString& label)
{
    if (!mHost)
        return label;
    const TString args[5];
    return mHost->GetString(label, args);
}

TString TWindowScript::GetClipboardString()
{
    return mHost ? mHost->GetClipboardString() : TString();
}

bool TWindowScript::RunFile(const TString& fileName)
{
    return TScript::RunFile(fileName);
}

bool TWindowScript::RunString(const TString& code)
{
    return DoLuaString(code.c_str(), int(code.Length())) == 0;
}

// ---------------------------------------------------------------- window types

bool TWindowScript::RegisterWindowType(const TString& name, TWindowCreator creator)
{
    TString code = WindowTypeConstructorCode(name);
    if (code.IsEmpty()) {
        WriteLog("RegisterWindowType: \"%s\" is no Lua name; not registered", name.c_str());
        return false;
    }
    if (DoLuaString(code.c_str(), int(code.Length())) != 0)
        return false;
    mTypes.Register(name, creator);
    return true;
}

bool TWindowScript::CreateWindow(lua_State* L, int index)
{
    TWindow* parent = GetCurrentParent();
    if (!parent) {
        WriteLog("GenericCreate: no current parent window; nothing created");
        PushFailedParent();
        return false;
    }
    TWindowStyle style(L, index);
    TString type = style.GetString("typename", TString());
    TWindowCreator creator = mTypes.Find(type);
    TWindow* window = creator ? creator() : nullptr;
    if (!window) {
        WriteLog("GenericCreate: no window type \"%s\"; nothing created", type.c_str());
        PushFailedParent();
        return false;
    }
    if (!parent->AddChild(window, true)) {
        WriteLog("GenericCreate: %s refused a \"%s\" window", parent->GetName().c_str(), type.c_str());
        if (window->GetParent())
            window->GetParent()->RemoveChild(window);
        delete window;
        PushFailedParent();
        return false;
    }
    window->Init(style);
    PushParent(window);
    lua_pushnumber(L, window->GetWidth());
    lua_setglobal(L, "gDialogWidth");
    lua_pushnumber(L, window->GetHeight());
    lua_setglobal(L, "gDialogHeight");
    if (mObserver)
        mObserver->WindowCreated(window, style);
    return true;
}

// ---------------------------------------------------------------- messages

void TWindowScript::SetReturnValue(const TString& value)
{
    lua_State* L = GetState();
    if (!L)
        return;
    lua_pushlstring(L, value.c_str(), value.Length());
    lua_setglobal(L, "gReturnValue");
}

void TWindowScript::PushMessage(lua_State* L, TMessagePtr message)
{
    if (!message)
        message = std::make_unique<TMessage>(kMsgLuaAction, TString());
    if (message->IsKindOf(TLuaMessageWrapper::TypeId())) {
        // The script's own message: its value goes back, the wrapper goes.
        if (static_cast<TLuaMessageWrapper*>(message.get())->PushValue(L))
            return;
        message = std::make_unique<TMessage>(message->GetType(), message->GetName());
    }
    TLuaMessage::PushNew(L, std::move(message));
}

// Appends the value on top of the main stack to the global array `queue`.
void TWindowScript::QueueInLua(const char* queue)
{
    lua_State* L = GetState();
    lua_getglobal(L, queue);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_pushvalue(L, -1);
        lua_setglobal(L, queue);
    }
    lua_insert(L, -2);
    lua_rawseti(L, -2, int(lua_objlen(L, -2)) + 1);
    lua_pop(L, 1);
}

// Calls the command on top of L (popped) with "_ALERT" as error handler;
// anything but a function is dropped.
void TWindowScript::RunCommandNow(lua_State* L)
{
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_getglobal(L, "_ALERT");
    lua_insert(L, -2);
    lua_pcall(L, 0, 1, -2);
    lua_pop(L, 2);
}

bool TWindowScript::DeliverMessage(TMessagePtr message, const TLuaFunction* command)
{
    lua_State* L = GetState();
    if (!L)
        return false;
    TLuaStackGuard guard(L);
    if (!IsWaiting()) {
        if (message) {
            PushMessage(L, std::move(message));
            QueueInLua("gMessageQueue");
        }
        if (command && command->Push()) {
            QueueInLua("gCommandQueue");
        }
        return true;
    }
    if (mWaitingState != kWaitingForMessage) {
        // Suspended for another reason: the command runs now, the message is
        // dropped (deleted here).
        if (command && command->Push())
            RunCommandNow(L);
        return false;
    }
    PushMessage(L, std::move(message));
    int count = 1;
    if (command && command->Push())
        ++count;
    if (Resume(count) != 0)
        mWaitingState = kScriptResumeFailed;
    return true;
}

bool TWindowScript::TakeDeferredCall()
{
    lua_State* L = GetState();
    // Only a script waiting for messages runs what it is handed; one that
    // yielded otherwise would drop the closure, so that runs at once.
    if (!IsWaiting() || mWaitingState != kWaitingForMessage) {
        lua_pop(L, 1);
        return false;
    }
    lua_pushnil(L);
    lua_insert(L, -2);
    // The closure reached the script either way: running it again here
    // after a failed resume would run it twice.
    if (Resume(2) != 0)
        mWaitingState = kScriptResumeFailed;
    return true;
}

TWindowScript* GetWindowScript()
{
    TWindowManager* manager = GetWindowManager();
    return manager ? dynamic_cast<TWindowScript*>(manager->GetScript()) : nullptr;
}
