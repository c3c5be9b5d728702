#include "app/CursorThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/PlatformApp.h"
#include "render/Platform.h"
#include "ui/WindowManager.h"

namespace {

// Wakes the thread early when it is told to stop.
std::mutex gWakeMutex;
std::condition_variable gWake;

} // namespace

void CursorThread(TPlatformApp* app)
{
    while (!app->mCursorStop.load()) {
        int wait = kCursorPollIntervalMs;
        TPlatform* platform = GetPlatform();
        TWindowManager* manager = app->GetWindowManager();
        if (platform && manager && !manager->IsMoviePlaying()) {
            if (platform->MoveMouse(-1, -1).x == -1)
                wait = kCursorIdleIntervalMs;
        }
        std::unique_lock<std::mutex> lock(gWakeMutex);
        gWake.wait_for(lock, std::chrono::milliseconds(wait), [app] { return app->mCursorStop.load(); });
    }
}

void TPlatformApp::StartCursorThread()
{
    if (mCursorThread.joinable())
        return;
    mCursorStop.store(false);
    mCursorThread = std::thread(CursorThread, this);
}

void TPlatformApp::StopCursorThread()
{
    if (!mCursorThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(gWakeMutex);
        mCursorStop.store(true);
    }
    gWake.notify_all();
    mCursorThread.join();
}
