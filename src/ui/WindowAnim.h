#pragma once
#include "platform/Task.h"

class TWindow;

// A window's timer task: runs the window's Update. The window and the task
// forget each other when either goes; a task without its window ends at its
// next run.
class TWindowAnim : public TAnimTask {
public:
    TWindowAnim(TWindow* window, TClock* clock);
    ~TWindowAnim() override;

    bool Update() override;
    TWindow* GetWindow() const { return mWindow; }
    // The window is gone (or let its timer go).
    void ForgetWindow() { mWindow = nullptr; }

private:
    TWindow* mWindow;
};
