#include "ui/WindowScriptNatives.h"

#include "platform/Log.h"
#include "platform/Settings.h"
#include "platform/Timer.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/LayeredWindow.h"
#include "ui/LuaBinding.h"
#include "ui/ModalWindow.h"
#include "ui/Text.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"
#include "ui/WindowStyle.h"

void TWindowScriptNatives::Register(lua_State* L)
{
    using N = TWindowScriptNatives;
    LuaBind<&N::PostCreate>(L, "PostCreate", this);
    LuaBind<&N::GetLabel>(L, "GetLabel", this);
    LuaBind<&N::SetLabel>(L, "SetLabel", this);
    LuaBind<&N::SetBitmap>(L, "_SetBitmap", this);
    LuaBind<&N::SetPosition>(L, "SetPosition", this);
    LuaBind<&N::SetCommand>(L, "SetCommand", this);
    LuaBind<&N::SetWindowName>(L, "SetWindowName", this);
    LuaBind<&N::FillRect>(L, "FillRect", this);
    LuaBind<&N::GetTimer>(L, "GetTimer", this);
    LuaBind<&N::GetConfig>(L, "GetConfig", this);
    LuaBind<&N::IsEnabled>(L, "IsEnabled", this);
    LuaBind<&N::DoSelectLayer>(L, "DoSelectLayer", this);
    LuaBind<&N::EnableWindow>(L, "EnableWindow", this);
    LuaBind<&N::GetButtonToggleState>(L, "GetButtonToggleState", this);
    LuaBind<&N::SetButtonToggleState>(L, "SetButtonToggleState", this);
    LuaBind<&N::PopWindow>(L, "PopWindow", this);
    LuaBind<&N::RealSetFocus>(L, "RealSetFocus", this);
    LuaBind<&N::StringToClipboard>(L, "StringToClipboard", this);
    LuaBind<&N::UpdateWindow>(L, "UpdateWindow", this);
    LuaBind<&N::PushModal>(L, "PushModal", this);
    LuaBind<&N::ClearModalChildren>(L, "ClearModalChildren", this);
    LuaBind<&N::GetWindowDepth>(L, "GetWindowDepth", this);
    LuaBind<&N::DoPopModal>(L, "DoPopModal", this);
    LuaBind<&N::HandleGetMessage>(L, "HandleGetMessage", this);
    LuaBind<&N::GenericCreate>(L, "GenericCreate", this);
    LuaBind<&N::CreateNamedMessage>(L, "CreateNamedMessage", this);
    LuaBind<&N::CreateCloseMessage>(L, "CreateCloseMessage", this);
    LuaBind<&N::PostMessage>(L, "PostMessage", this);
    LuaBind<&N::PostMessageToParent>(L, "PostMessageToParent", this);
    LuaBind<&N::GetString>(L, "_GetString", this);
    LuaBind<&N::StartMovie>(L, "StartMovie", this);
    LuaBind<&N::IsMoviePlaying>(L, "IsMoviePlaying", this);
    LuaBind<&N::StopMovie>(L, "StopMovie", this);
    LuaBind<&N::ImageLoaded>(L, "ImageLoaded", this);
    LuaBind<&N::DestroyWindow>(L, "DestroyWindow", this);
    LuaBind<&N::DoFitToChildren>(L, "DoFitToChildren", this);
    // Published by the window manager's set-up in the original design; the
    // manager knows no Lua, so the script publishes it.
    LuaBind<&N::SetTopModalOnly>(L, "SetTopModalOnly", this);
}

TWindow* TWindowScriptNatives::CurrentParent(const char* function) const
{
    TWindow* parent = mScript.GetCurrentParent();
    if (!parent)
        WriteLog("%s: no current parent window; nothing done", function);
    return parent;
}

TWindow* TWindowScriptNatives::FindUnderTopModal(const TString& name) const
{
    TWindowManager* manager = GetWindowManager();
    TModalWindow* top = manager ? manager->GetTopModal() : nullptr;
    return top ? top->FindChild(name) : nullptr;
}

// ---------------------------------------------------------------- dialog building

int TWindowScriptNatives::GenericCreate(lua_State* L)
{
    mScript.CreateWindow(L, 1);
    return 0;
}

int TWindowScriptNatives::PostCreate(lua_State* L)
{
    TWindow* parent = CurrentParent("PostCreate");
    if (!parent)
        return 0;
    TWindowStyle style(L, 1);
    parent->PostInit(style);
    return 0;
}

void TWindowScriptNatives::PopWindow()
{
    mScript.PopParent();
}

void TWindowScriptNatives::SetWindowName(const TString& name)
{
    if (TWindow* parent = CurrentParent("SetWindowName"))
        parent->SetName(name);
}

void TWindowScriptNatives::DoFitToChildren()
{
    if (TWindow* parent = mScript.GetCurrentParent())
        parent->FitToChildren();
}

void TWindowScriptNatives::DoSelectLayer(int32_t layer)
{
    if (auto* layered = TWindow::Cast<TLayeredWindow>(mScript.GetCurrentParent()))
        layered->SelectLayer(layer);
}

void TWindowScriptNatives::DestroyWindow(const TString& name)
{
    TWindow* parent = CurrentParent("DestroyWindow");
    TWindow* window = parent ? parent->FindChild(name) : nullptr;
    if (!window || window == parent)
        return;
    window->GetParent()->RemoveChild(window);
    if (TWindowManager* manager = GetWindowManager())
        manager->DeferDelete(window);
    else
        delete window;
}

void TWindowScriptNatives::RealSetFocus(const TString& name)
{
    TWindow* parent = mScript.GetCurrentParent();
    TWindow* window = parent ? parent->FindChild(name) : nullptr;
    if (TWindowManager* manager = GetWindowManager(); manager && window)
        manager->SetFocus(window);
}

// ---------------------------------------------------------------- windows under the top modal

// The kind-dependent functions answer for plain windows only until the
// widget classes (text, button, image) register their own behaviour here.
TString TWindowScriptNatives::GetLabel(const TString& name)
{
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->GetTopModal())
        return TString();
    TWindow* window = FindUnderTopModal(name);
    if (!window)
        return name + "_is_not_found";
    if (TText* text = TWindow::Cast<TText>(window))
        return text->GetText();
    if (TButton* button = CastToButton(window))
        return button->GetLabel();
    return name + "_is_not_a_TText_window_or_TButton";
}

void TWindowScriptNatives::SetLabel(const TString& name, const TString& label)
{
    TWindow* window = FindUnderTopModal(name);
    if (TText* text = TWindow::Cast<TText>(window))
        text->SetText(label);
    else if (TButton* button = CastToButton(window))
        button->SetLabel(label);
}

void TWindowScriptNatives::SetBitmap(const TString& name, const TString& image, double)
{
    // The texture maker logs an image that does not load.
    if (TImage* window = TWindow::Cast<TImage>(FindUnderTopModal(name)))
        window->SetImage(TTexture::Get(image, 0), window->GetScale());
}

void TWindowScriptNatives::SetPosition(const TString& name, int32_t x, int32_t y)
{
    if (TWindow* window = FindUnderTopModal(name))
        window->MoveTo(x, y);
}

int TWindowScriptNatives::SetCommand(lua_State* L)
{
    const TString name = LuaArgToString(L, 1);
    TButton* button = CastToButton(FindUnderTopModal(name));
    if (!button) {
        // Nothing would release a function pinned for another kind.
        WriteLog("SetCommand: %s is no button under the top modal window", name.c_str());
        return 0;
    }
    if (!lua_isfunction(L, 2)) {
        WriteLog("SetCommand %s: the command is no function", name.c_str());
        return 0;
    }
    lua_pushvalue(L, 2);
    button->SetAction(std::make_unique<TButton::LuaAction>(std::make_unique<TLuaFunction>(L)));
    return 0;
}

bool TWindowScriptNatives::EnableWindow(const TString& name, bool on)
{
    TWindowManager* manager = GetWindowManager();
    TWindow* found = nullptr;
    for (TWindow* w = manager ? manager->GetTopModal() : nullptr; w && !found; w = w->GetParent())
        found = w->FindChild(name);
    if (!found)
        return false;
    found->SetFlags(on ? found->GetFlags() | kWindowShown : found->GetFlags() & ~kWindowShown);
    manager->Invalidate();
    return true;
}

bool TWindowScriptNatives::GetButtonToggleState(const TString& name)
{
    TButton* button = CastToButton(FindUnderTopModal(name));
    return button && button->IsOn();
}

void TWindowScriptNatives::SetButtonToggleState(const TString& name, bool on)
{
    if (TButton* button = CastToButton(FindUnderTopModal(name)))
        button->SetToggleState(on);
}

bool TWindowScriptNatives::ImageLoaded(const TString& name)
{
    TImage* image = TWindow::Cast<TImage>(FindUnderTopModal(name));
    return image && image->GetTexture();
}

// ---------------------------------------------------------------- modal stack and drawing

TString TWindowScriptNatives::PushModal(const TString& name)
{
    TWindowManager* manager = GetWindowManager();
    if (!manager) {
        WriteLog("PushModal %s: no window manager", name.c_str());
        return TString();
    }
    auto* modal = new TModalWindow();
    modal->SetName(name);
    manager->PushModal(modal);
    return modal->GetIdString();
}

void TWindowScriptNatives::DoPopModal(const TString& name)
{
    if (TWindowManager* manager = GetWindowManager())
        manager->DoPopModal(name);
}

void TWindowScriptNatives::ClearModalChildren()
{
    TWindowManager* manager = GetWindowManager();
    TModalWindow* top = manager ? manager->GetTopModal() : nullptr;
    if (!top)
        return;
    top->DeleteChildren();
    top->SetSize(0, 0);
    top->MoveTo(0, 0);
}

int32_t TWindowScriptNatives::GetWindowDepth()
{
    TWindowManager* manager = GetWindowManager();
    int32_t depth = 0;
    for (TWindow* w = manager ? manager->GetTopModal() : nullptr; w; w = w->GetParent())
        ++depth;
    return depth;
}

void TWindowScriptNatives::SetTopModalOnly(bool on)
{
    if (TWindowManager* manager = GetWindowManager())
        manager->SetTopModalOnly(on);
}

void TWindowScriptNatives::UpdateWindow()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TWindowScriptNatives::FillRect(TLuaTable* rect, TLuaTable* colour)
{
    auto number = [](TLuaTable* t, int i) { return t ? t->GetNumber(i, 0) : 0.0; };
    TRect area(int32_t(number(rect, 1)), int32_t(number(rect, 2)), int32_t(number(rect, 3)),
               int32_t(number(rect, 4)));
    float rgba[4];
    for (int i = 0; i < 4; ++i)
        rgba[i] = float(number(colour, i + 1));
    TRenderer* renderer = TRenderer::Get();
    renderer->PushClipRect(area);
    renderer->FillRect(area, rgba);
    renderer->PopClipRect();
}

// ---------------------------------------------------------------- messages

namespace {

// Whether the thread is one the dialog library runs a file in (it passes
// the file's yields on to the script's coroutine).
bool PassesWaitsOn(lua_State* L)
{
    lua_getglobal(L, "gPassingCoroutines");
    bool passes = false;
    if (lua_istable(L, -1)) {
        lua_pushthread(L);
        lua_rawget(L, -2);
        passes = lua_toboolean(L, -1) != 0;
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    return passes;
}

} // namespace

int TWindowScriptNatives::HandleGetMessage(lua_State* L)
{
    if ((L != mScript.GetThread() && !PassesWaitsOn(L)) || lua_status(L) != 0) {
        // Only the script's coroutine, or a file's coroutine that passes its
        // waits on to it, can wait; elsewhere the call answers "no message"
        // at once.
        WriteLog("HandleGetMessage called outside the script's coroutine; nothing to wait for");
        return 0;
    }
    if (lua_gettop(L) == 1) {
        double ms = lua_tonumber(L, 1);
        mScript.SetTimer(ms > 0 ? uint32_t(ms < 4e9 ? ms : 4e9) : 0, true, true, false);
    } else {
        mScript.Suspend();
    }
    mScript.SetWaitingState(kWaitingForMessage);
    lua_getglobal(L, "gYieldResult");
    return lua_yield(L, 1);
}

TMessagePtr TWindowScriptNatives::CreateNamedMessage(int32_t type, const TString& name)
{
    return std::make_unique<TMessage>(type, name);
}

TMessagePtr TWindowScriptNatives::CreateCloseMessage()
{
    TWindow* parent = CurrentParent("CreateCloseMessage");
    return std::make_unique<TMessage>(kMsgCloseWindow, parent ? parent->GetIdString() : TString());
}

int TWindowScriptNatives::Post(lua_State* L, bool toParent)
{
    lua_settop(L, 1);
    TMessagePtr message = std::make_unique<TLuaMessageWrapper>(L);
    TWindowManager* manager = GetWindowManager();
    if (!manager) {
        WriteLog("PostMessage: no window manager; message %d dropped", message->GetType());
        return 0;
    }
    if (toParent) {
        TModalWindow* top = manager->GetTopModal();
        message->SetTarget(top ? top->GetParent() : nullptr);
    }
    manager->PostMessage(std::move(message));
    return 0;
}

int TWindowScriptNatives::PostMessage(lua_State* L)
{
    return Post(L, false);
}

int TWindowScriptNatives::PostMessageToParent(lua_State* L)
{
    return Post(L, true);
}

// ---------------------------------------------------------------- application services

double TWindowScriptNatives::GetTimer()
{
    return double(::GetTimer());
}

TString TWindowScriptNatives::GetConfig(const TString& key)
{
    return ::GetConfig(key);
}

bool TWindowScriptNatives::IsEnabled(const TString& key)
{
    return ::IsEnabled(key);
}

bool TWindowScriptNatives::StringToClipboard(const TString& text)
{
    TWindowScriptHost* host = mScript.GetHost();
    return host && host->StringToClipboard(text);
}

TString TWindowScriptNatives::GetString(const TString& key, const TString& a1, const TString& a2, const TString& a3,
                                        const TString& a4, const TString& a5)
{
    TWindowScriptHost* host = mScript.GetHost();
    if (!host) {
        WriteLog("_GetString %s: no string table", key.c_str());
        return TString();
    }
    const TString args[5] = {a1, a2, a3, a4, a5};
    return host->GetString(key, args);
}

// ---------------------------------------------------------------- movies

bool TWindowScriptNatives::StartMovie(const TString& file, bool translate, bool allowInput)
{
    return mScript.StartMovie(file, translate, allowInput);
}

bool TWindowScriptNatives::IsMoviePlaying()
{
    return mScript.IsMoviePlaying();
}

void TWindowScriptNatives::StopMovie()
{
    mScript.StopMovie();
}
