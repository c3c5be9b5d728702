#pragma once
#include "render/DisplayHost.h"

class TPlatformApp;

// The display layer's view of the application object: its main window,
// hosting, activity and exit, the window manager's redraw and movie flags
// and the application handle's restore tasks.
class TAppDisplayHost : public TDisplayHost {
public:
    explicit TAppDisplayHost(TPlatformApp* app) : mApp(app) {}

    bool IsActive() const override;
    OsWindow GetMainWindow() const override;
    OsWindow GetExternalParent() const override;
    bool IsHosted() const override;
    bool IsTestMode() const override;
    bool GetScaleFactor(float& scale) const override;
    void Invalidate() override;
    bool IsMoviePlaying() const override;
    void DisplayChanged() override;
    TTaskList* GetRestoreTasks() override;
    void SetDefaultCursor() override;
    void Exit(int code, const char* reason) override;

private:
    TPlatformApp* mApp;
};
