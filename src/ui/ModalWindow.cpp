#include "ui/ModalWindow.h"

#include <algorithm>

#include "platform/TaskList.h"
#include "ui/WindowManager.h"

namespace {
TDefaultButtonHooks gDefaultButtonHooks;
// Every live modal window (main thread only).
std::vector<TModalWindow*> gLiveModals;
} // namespace

TModalWindow::TModalWindow() : mTasks(std::make_unique<TTaskList>())
{
    ChangeFlags(kWindowModalRoot | kWindowTakesFocus, 0);
    gLiveModals.push_back(this);
}

TModalWindow::~TModalWindow()
{
    gLiveModals.erase(std::find(gLiveModals.begin(), gLiveModals.end(), this));
    if (TWindowManager* manager = GetWindowManager())
        manager->PostMessage(new TMessage(kMsgModalClosed, GetIdString()));
    mTasks->Clear();
    mTasks.reset();
    mCover.clear();
    mFocusWindow = nullptr;
}

void TModalWindow::SetDefaultButtonHooks(const TDefaultButtonHooks& hooks)
{
    gDefaultButtonHooks = hooks;
}

const TDefaultButtonHooks& TModalWindow::GetDefaultButtonHooks()
{
    return gDefaultButtonHooks;
}

void TModalWindow::ForgetWindow(const TWindow* window)
{
    for (TModalWindow* modal : gLiveModals) {
        if (modal->mFocusWindow == window)
            modal->mFocusWindow = nullptr;
        auto it = std::find(modal->mCover.begin(), modal->mCover.end(), window);
        if (it != modal->mCover.end())
            modal->mCover.erase(it);
    }
}

bool TModalWindow::OnAttach()
{
    mClock.Start();
    return true;
}

void TModalWindow::PostInit(const TStyle& style)
{
    FitToChildren();
    TWindow::PostInit(style);
}

bool TModalWindow::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgCloseWindow)
        return false;
    if (TWindowManager* manager = GetWindowManager())
        manager->DoPopModal(message->GetName());
    return true;
}

bool TModalWindow::OnChar(int32_t character)
{
    if (character != 13)
        return false;
    FindDefault search;
    Walk(search);
    if (search.GetFound() && gDefaultButtonHooks.click && gDefaultButtonHooks.click(search.GetFound()))
        return true;
    TWindowManager* manager = GetWindowManager();
    TWindow* target = manager && manager->GetFocus() ? manager->GetFocus() : this;
    target->SendMessage(new TMessage(kMsgDefaultAction, TString()));
    return true;
}

void TModalWindow::OnSetFocus(TWindow* previous)
{
    TWindowManager* manager = GetWindowManager();
    if (mFocusWindow && mFocusWindow != this && manager)
        manager->PassFocus(mFocusWindow, previous);
}

void TModalWindow::AddTask(TTask* task)
{
    mTasks->Add(task);
}

bool TModalWindow::RemoveTask(TTask* task)
{
    return mTasks->Remove(task);
}

void TModalWindow::RunTasks(int32_t pass)
{
    mTasks->RunAll(pass);
}

void TModalWindow::ClearTasks()
{
    mTasks->Clear();
}

void TModalWindow::SetFocusWindow(TWindow* window)
{
    TWindow* old = mFocusWindow;
    mFocusWindow = window;
    TWindowManager* manager = GetWindowManager();
    if (!manager)
        return;
    // This window holds the focus itself or through its focus window.
    TWindow* focus = manager->GetFocus();
    if (focus && (focus == this || focus == old))
        manager->PassFocus(window, focus);
}

void TModalWindow::UpdateCover(TWindow* window, bool add)
{
    auto it = std::find(mCover.begin(), mCover.end(), window);
    if (add && it == mCover.end())
        mCover.push_back(window);
    else if (!add && it != mCover.end())
        mCover.erase(it);
    bool covered = !mCover.empty();
    if (covered != ((GetFlags() & kWindowOpaqueCover) != 0)) {
        if (covered)
            ChangeFlags(kWindowOpaqueCover, 0);
        else
            ChangeFlags(0, kWindowOpaqueCover);
    }
}

bool TModalWindow::IsInCover(const TWindow* window) const
{
    return std::find(mCover.begin(), mCover.end(), window) != mCover.end();
}

bool FindDefault::Visit(TWindow* window)
{
    const TDefaultButtonHooks& hooks = TModalWindow::GetDefaultButtonHooks();
    if (hooks.isDefault && hooks.isDefault(window) && window->IsShown()) {
        mFound = window;
        return false; // ends this list of siblings
    }
    // Windows of another modal window are not searched.
    if (!(window->GetFlags() & kWindowModalRoot))
        window->Walk(*this);
    return true;
}
