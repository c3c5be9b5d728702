#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "ui/Window.h"

class TTask;
class TTaskList;

// How the modal window finds and clicks default buttons. The button class
// installs these; without them no window counts as a default button.
struct TDefaultButtonHooks {
    // The window is a button with its "default" flag.
    bool (*isDefault)(TWindow* window) = nullptr;
    // Clicks it; true when the click was taken.
    bool (*click)(TWindow* window) = nullptr;
};

// A layer of the modal stack: a dialog or screen that takes the input while
// it is on top. It owns its task list (run only while it is the top modal
// window), keeps its own clock (paused while another modal window covers it),
// a focus window that gets the focus whenever it does, and the set of its
// descendants that cover the whole screen opaquely.
// Made by the game or by scripts and pushed with TWindowManager::PushModal;
// its destruction posts a kMsgModalClosed message named with its id text.
class TModalWindow : public TWindow {
public:
    TModalWindow();
    ~TModalWindow() override;

    const char* GetClassName() const override { return "TModalWindow"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TModalWindow::TypeId); }

    // Restarts the clock.
    bool OnAttach() override;
    // Always fits to the children first.
    void PostInit(const TStyle& style) override;
    // kMsgCloseWindow pops the modal stack down to the named window.
    bool OnMessage(TMessage* message) override;
    // Enter: the default button, else a kMsgDefaultAction message.
    bool OnChar(int32_t character) override;
    // Hands the focus on to the focus window, when one is set.
    void OnSetFocus(TWindow* previous) override;

    // Tasks (owned by the list).
    void AddTask(TTask* task);
    bool RemoveTask(TTask* task);
    void RunTasks(int32_t pass);
    void ClearTasks();
    TTaskList* GetTasks() const { return mTasks.get(); }

    // The window that gets the keyboard focus with this one (null: this one
    // keeps it). Moves the manager's focus at once when this window has it.
    void SetFocusWindow(TWindow* window);
    TWindow* GetFocusWindow() const { return mFocusWindow; }

    // Cover set: descendants with kWindowOpaqueCover and the screen's size.
    // The window's own kWindowOpaqueCover follows whether the set is empty.
    void UpdateCover(TWindow* window, bool add);
    bool IsInCover(const TWindow* window) const;
    uint32_t GetCoverCount() const { return uint32_t(mCover.size()); }

    TClock& GetClock() { return mClock; }

    static void SetDefaultButtonHooks(const TDefaultButtonHooks& hooks);
    static const TDefaultButtonHooks& GetDefaultButtonHooks();
    // Every live modal window forgets the window as its focus window and
    // cover entry (the window is being destroyed).
    static void ForgetWindow(const TWindow* window);

private:
    std::unique_ptr<TTaskList> mTasks;
    TWindow* mFocusWindow = nullptr;
    std::vector<TWindow*> mCover;
    TClock mClock;
};

// Searches a modal window's tree for its default button: children front to
// back, depth first; a shown default button is recorded and ends the visit of
// its sibling list; a later match replaces an earlier one.
class FindDefault : public TWindowSpider {
public:
    bool Visit(TWindow* window) override;
    TWindow* GetFound() const { return mFound; }

private:
    TWindow* mFound = nullptr;
};
