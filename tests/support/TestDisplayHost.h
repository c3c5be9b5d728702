#pragma once
// A display host that tests fill in and read back: what the display layer
// asks of the application, without one.

#include <atomic>
#include <string>
#include <vector>

#include "os/window/Input.h"
#include "platform/TaskList.h"
#include "render/CursorImage.h"
#include "render/DisplayHost.h"
#include "render/Platform.h"

class TTestDisplayHost : public TDisplayHost {
public:
    struct ExitRequest {
        int code;
        std::string reason;
    };

    // Installs itself; the destructor restores the default host.
    TTestDisplayHost() { SetDisplayHost(this); }
    ~TTestDisplayHost() override
    {
        if (&GetDisplayHost() == this)
            SetDisplayHost(nullptr);
        restoreTasks.Clear();
    }
    TTestDisplayHost(const TTestDisplayHost&) = delete;
    TTestDisplayHost& operator=(const TTestDisplayHost&) = delete;

    bool IsActive() const override { return active.load(); }
    OsWindow GetMainWindow() const override { return mainWindow; }
    OsWindow GetExternalParent() const override { return externalParent; }
    bool IsHosted() const override { return hosted; }
    bool IsTestMode() const override { return testMode; }
    bool GetScaleFactor(float& s) const override
    {
        s = scale;
        return hosted;
    }
    void Invalidate() override { ++invalidations; }
    bool IsMoviePlaying() const override { return moviePlaying; }
    void DisplayChanged() override { displayChanged = true; }
    TTaskList* GetRestoreTasks() override { return &restoreTasks; }
    // As the application does: the built-in arrow, and no system pointer
    // while it shows.
    void SetDefaultCursor() override
    {
        ++defaultCursorRequests;
        TPlatform* platform = GetPlatform();
        if (!platform)
            return;
        RegisterSystemCursor();
        bool shown = platform->SetCursorImageFile(kSystemCursorName, 2, 2);
        platform->SetSystemCursorWanted(!shown);
        OsShowSystemCursor(!shown);
    }
    void Exit(int code, const char* reason) override { exits.push_back({code, reason ? reason : ""}); }

    // The exit codes asked for, in order.
    std::vector<int> ExitCodes() const
    {
        std::vector<int> codes;
        for (const ExitRequest& e : exits)
            codes.push_back(e.code);
        return codes;
    }

    std::atomic<bool> active{true};
    OsWindow mainWindow = nullptr;
    OsWindow externalParent = nullptr;
    bool hosted = false;
    bool testMode = false;
    float scale = 1.0f;
    bool moviePlaying = false;
    bool displayChanged = false;
    int invalidations = 0;
    int defaultCursorRequests = 0;
    std::vector<ExitRequest> exits;
    TTaskList restoreTasks;
};
