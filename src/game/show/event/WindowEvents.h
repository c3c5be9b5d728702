#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/Event.h"
#include "ui/Window.h"

namespace KEvent {

class QuestionView;

// Sent by the show's events to a window when they show it; the target is
// the window.
enum : int32_t { kMsgShowingWindow = 1101 };

// The window events do not own their windows: whoever builds the chain
// keeps them alive until the events have run (the waiting events learn of
// their window's end through their spy).

// Adds the window to the parent (attached) and sends it "ShowingWindow".
class eShowWindow : public Event {
public:
    eShowWindow(TWindow* parent, TWindow* window);
    void Start() override;

private:
    TWindow* mParent;
    TWindow* mWindow;
};
std::shared_ptr<eShowWindow> MakeShowWindow(TWindow* parent, TWindow* window);

// Takes the window off its parent and hands it to deferred deletion; a skip
// before its turn closes the window all the same.
class eCloseWindow : public Event {
public:
    explicit eCloseWindow(TWindow* window);
    void Start() override;
    void Skip() override;

private:
    TWindow* mWindow;
};
std::shared_ptr<eCloseWindow> MakeCloseWindow(TWindow* window);

class WaitForWindowSpy;

// Finishes once the window has closed (it was destroyed or got the close
// message) and the event has started, whichever comes last. Skipping it
// ends the wait without closing the window. A null window counts as closed.
class eWaitForWindowClose : public Event {
public:
    explicit eWaitForWindowClose(TWindow* window);
    void Start() override;
    void Finish() override;

    TWindow* GetWindow() const { return mWindow; }
    bool IsClosed() const { return mClosed; }

protected:
    void OnCreated() override;
    bool IsWaiting() const { return mWaiting; }

private:
    friend class WaitForWindowSpy;
    void OnSpyGone();

    TWindow* mWindow;
    WaitForWindowSpy* mSpy = nullptr; // owned by the window tree
    bool mWaiting = false;
    bool mClosed = false;
    bool mDone = false;
};
std::shared_ptr<eWaitForWindowClose> MakeWaitForWindowClose(TWindow* window);

// The invisible child ("EventWindowSpy") an eWaitForWindowClose puts into
// its window: it finishes the event when the window goes or is told to
// close, and keeps the event alive while it lives.
class WaitForWindowSpy : public TWindow {
public:
    explicit WaitForWindowSpy(std::shared_ptr<eWaitForWindowClose> event);
    ~WaitForWindowSpy() override;

    const char* GetClassName() const override { return "WaitForWindowSpy"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator() { return nullptr; }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    // The close message finishes the event and goes on unhandled.
    bool OnMessage(TMessage* message) override;

private:
    std::shared_ptr<eWaitForWindowClose> mEvent;
};

// Shows the question's answer window on the stage (made when the event is
// built, so its spy is in it from the start) and the question on the studio
// screens, then waits for the window to close. Skipped before it started, or
// started with no show running, it deletes the window it never showed.
class eShowQuestion : public eWaitForWindowClose {
public:
    explicit eShowQuestion(QuestionView* question);
    void Start() override;
    void Skip() override;

    QuestionView* GetQuestion() const { return mQuestion; }

private:
    void DropUnshownWindow();

    QuestionView* mQuestion; // not owned
};
std::shared_ptr<eShowQuestion> MakeShowQuestion(QuestionView* question);

} // namespace KEvent
