#include "game/show/event/WindowEvents.h"

#include "game/show/event/ShowLinks.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace KEvent {

namespace {

void SendShowing(TWindow* window)
{
    window->SendMessage(new TMessage(kMsgShowingWindow, "ShowingWindow", window));
}

// Deferred when there is a window manager, else at once.
void DeleteWindow(TWindow* window)
{
    if (TWindowManager* windows = GetWindowManager()) {
        if (!windows->IsPendingDelete(window))
            windows->DeferDelete(window);
    } else {
        delete window;
    }
}

} // namespace

eShowWindow::eShowWindow(TWindow* parent, TWindow* window) : mParent(parent), mWindow(window)
{
    SetName("eShowWindow");
}

void eShowWindow::Start()
{
    if (mParent && mWindow) {
        mParent->AddChild(mWindow, true);
        SendShowing(mWindow);
    } else {
        WriteLog("eShowWindow without a %s", mParent ? "window" : "parent");
    }
    Event::Start();
    Finish();
}

std::shared_ptr<eShowWindow> MakeShowWindow(TWindow* parent, TWindow* window)
{
    return Create<eShowWindow>(parent, window);
}

eCloseWindow::eCloseWindow(TWindow* window) : mWindow(window)
{
    SetName("eCloseWindow");
}

void eCloseWindow::Start()
{
    // Closed once, however often it is started or skipped.
    if (TWindow* window = mWindow) {
        mWindow = nullptr;
        if (TWindow* parent = window->GetParent())
            parent->RemoveChild(window);
        DeleteWindow(window);
    }
    Event::Start();
    Finish();
}

void eCloseWindow::Skip()
{
    if (!IsFinished())
        Start();
    Event::Skip();
}

std::shared_ptr<eCloseWindow> MakeCloseWindow(TWindow* window)
{
    return Create<eCloseWindow>(window);
}

eWaitForWindowClose::eWaitForWindowClose(TWindow* window) : mWindow(window)
{
    SetName(StrFormat("eWaitForWindowClose(%s)", window ? window->GetName().c_str() : ""));
}

void eWaitForWindowClose::OnCreated()
{
    if (!mWindow) {
        WriteLog("%s: no window to wait for", GetName().c_str());
        mClosed = true;
        return;
    }
    auto self = std::static_pointer_cast<eWaitForWindowClose>(GetSharedPtr());
    mSpy = new WaitForWindowSpy(self);
    mWindow->AddChild(mSpy, true);
}

void eWaitForWindowClose::Start()
{
    mWaiting = true;
    Event::Start();
    if (mClosed)
        Finish();
}

void eWaitForWindowClose::Finish()
{
    mClosed = true;
    if (mWaiting && !mDone) {
        mDone = true;
        Event::Finish();
    }
}

void eWaitForWindowClose::OnSpyGone()
{
    mSpy = nullptr;
    mWindow = nullptr;
}

std::shared_ptr<eWaitForWindowClose> MakeWaitForWindowClose(TWindow* window)
{
    return Create<eWaitForWindowClose>(window);
}

WaitForWindowSpy::WaitForWindowSpy(std::shared_ptr<eWaitForWindowClose> event) : mEvent(std::move(event))
{
    SetName("EventWindowSpy");
    MoveTo(0, 0);
}

WaitForWindowSpy::~WaitForWindowSpy()
{
    // The window is going: the wait is over. The event may go with the
    // last pointer released here.
    std::shared_ptr<eWaitForWindowClose> event = std::move(mEvent);
    if (event) {
        event->OnSpyGone();
        event->Finish();
    }
}

bool WaitForWindowSpy::OnMessage(TMessage* message)
{
    if (mEvent && message && message->GetType() == kMsgCloseWindow)
        mEvent->Finish();
    return false;
}

eShowQuestion::eShowQuestion(QuestionView* question)
    : eWaitForWindowClose(question ? question->MakeWindow() : nullptr), mQuestion(question)
{
    SetName(StrFormat("show question: %s", question ? question->GetQuestionText().c_str() : ""));
}

void eShowQuestion::Start()
{
    // Skipped before its turn: nothing to show, it ends now.
    TWindow* window = IsClosed() ? nullptr : GetWindow();
    ShowLink* show = GetShowLink();
    if (window && show) {
        show->ShowQuestionWindow(window);
        show->ShowCurrentQuestionOnMainScreens();
        SendShowing(window);
    } else if (window) {
        WriteLog("%s: no show to show it in", GetName().c_str());
        DropUnshownWindow();
        eWaitForWindowClose::Finish(); // ends as it starts
    }
    eWaitForWindowClose::Start();
}

void eShowQuestion::Skip()
{
    if (!IsWaiting())
        DropUnshownWindow();
    eWaitForWindowClose::Skip();
}

void eShowQuestion::DropUnshownWindow()
{
    // A window this event made and never put anywhere would live on (and
    // keep the event alive through its spy) for ever.
    TWindow* window = GetWindow();
    if (window && !window->GetParent())
        DeleteWindow(window);
}

std::shared_ptr<eShowQuestion> MakeShowQuestion(QuestionView* question)
{
    return Create<eShowQuestion>(question);
}

} // namespace KEvent
