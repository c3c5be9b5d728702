#include "render/DisplayHost.h"

#include <atomic>

#include "platform/Log.h"

namespace {

class TDefaultDisplayHost : public TDisplayHost {
public:
    bool IsActive() const override { return true; }
    OsWindow GetMainWindow() const override { return nullptr; }
    OsWindow GetExternalParent() const override { return nullptr; }
    bool IsHosted() const override { return false; }
    bool IsTestMode() const override { return false; }
    bool GetScaleFactor(float& scale) const override
    {
        scale = 1.0f;
        return false;
    }
    void Invalidate() override {}
    bool IsMoviePlaying() const override { return false; }
    void DisplayChanged() override {}
    TTaskList* GetRestoreTasks() override { return nullptr; }
    void SetDefaultCursor() override {}
    void Exit(int code, const char* reason) override
    {
        WriteLog("The display cannot go on (exit code %d): %s", code, reason ? reason : "");
    }
};

TDefaultDisplayHost gDefaultHost;
std::atomic<TDisplayHost*> gHost{nullptr};

} // namespace

void SetDisplayHost(TDisplayHost* host)
{
    gHost.store(host);
}

TDisplayHost& GetDisplayHost()
{
    TDisplayHost* host = gHost.load();
    return host ? *host : gDefaultHost;
}
