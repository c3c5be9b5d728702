#include "game/show/screens/ScreenChildren.h"

#include "platform/Log.h"
#include "ui/Text.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"

namespace ShowScreens {

void SetShadowText(TWindow& window, const TString& name, const TString& text)
{
    for (const TString& each : {name, name + "_shadow1", name + "_shadow2"})
        if (TText* child = TWindow::Cast<TText>(window.FindChild(each)))
            child->SetText(text);
}

void SetTextColor(TWindow& window, const TString& name, float r, float g, float b, float a)
{
    if (TText* child = TWindow::Cast<TText>(window.FindChild(name)))
        child->SetColor(r, g, b, a);
}

void HideChild(TWindow& window, const TString& name)
{
    if (TWindow* child = window.FindChild(name); child && child != &window)
        child->SetFlags(0);
}

void CloseSelf(TWindow& window)
{
    // It stays on its parent until it is deleted, so that a message it is
    // handling still goes on up; hidden, nothing can click it meanwhile.
    window.SetFlags(window.GetFlags() & ~uint32_t(kWindowShown));
    if (TWindowManager* manager = GetWindowManager())
        manager->DeferDelete(&window);
    else
        WriteLog("%s: no window manager; the window is hidden but not deleted", window.GetClassName());
}

TString LookupLabel(const TString& label)
{
    TWindowManager* manager = GetWindowManager();
    TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
    return script ? script->LookupLabel(label) : label;
}

} // namespace ShowScreens
