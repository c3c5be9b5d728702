#pragma once
#include <memory>

#include "game/show/event/WindowEvents.h"

namespace KShow {

// Shows a window a state made, as eShowWindow does, and owns it until
// then: skipped before its start (the show ended early), or started with
// nowhere to put it, it deletes the window, so a window the player never
// saw does not outlive the show.
class eShowStateWindow : public KEvent::eShowWindow {
public:
    eShowStateWindow(TWindow* parent, TWindow* window);
    ~eShowStateWindow() override;
    void Start() override;
    void Skip() override;

private:
    std::unique_ptr<TWindow> mUnshown;
    bool mHasParent;
};
std::shared_ptr<eShowStateWindow> MakeShowStateWindow(TWindow* parent, TWindow* window);

} // namespace KShow
