#include "app/HostBridge.h"

#include "app/PlatformApp.h"
#include "os/system/Time.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "sound/SoundManager.h"

namespace {

struct TBridgeState {
    bool on = false;
    bool readySent = false;
    bool acknowledged = false;
    bool soundHeld = false;
    bool paused = false;
    uint32_t pauseStart = 0;
    uint32_t pausedTotal = 0;
    bool muted = false;
    float savedVolume = 0.0f;
    bool fullScreen = false;
    OsWindow hostWindow = nullptr;
};

TBridgeState gBridge;
uint32_t (*gClock)() = nullptr;

uint32_t Now()
{
    return gClock ? gClock() : OsTimeMs();
}

TSoundManager* SoundManager()
{
    TPlatformApp* app = GetPlatformApp();
    return app ? app->GetSoundManager() : nullptr;
}

void BeginPause()
{
    if (gBridge.paused)
        return;
    gBridge.paused = true;
    gBridge.pauseStart = Now();
}

void EndPause()
{
    if (!gBridge.paused)
        return;
    gBridge.paused = false;
    gBridge.pausedTotal += Now() - gBridge.pauseStart;
    gBridge.pauseStart = 0;
}

void ReevaluateSound()
{
    TSoundManager* sound = SoundManager();
    if (gBridge.acknowledged && !gBridge.soundHeld && !gBridge.paused) {
        if (gBridge.muted) {
            gBridge.muted = false;
            if (sound)
                sound->SetMasterVolume(gBridge.savedVolume);
            gBridge.savedVolume = 0.0f;
        }
    } else if (!gBridge.muted) {
        gBridge.muted = true;
        gBridge.savedVolume = sound ? sound->GetGroupVolume(-1) : 0.0f;
        if (sound)
            sound->SetMasterVolume(0.0f);
    }
}

} // namespace

void EnableHostBridge()
{
    gBridge.on = true;
}

bool IsHostBridgeOn()
{
    return gBridge.on;
}

void SendHostReady()
{
    if (!gBridge.on || gBridge.readySent)
        return;
    gBridge.readySent = true;
    gBridge.acknowledged = true;
}

void HostCommand(uint32_t command, intptr_t parameter)
{
    (void)parameter;
    if (!gBridge.on)
        return;
    switch (command) {
    case 2:
        gBridge.soundHeld = true;
        break;
    case 3:
        gBridge.soundHeld = false;
        break;
    case 4:
        if (OsGetCapture())
            OsReleaseCapture();
        BeginPause();
        break;
    case 5:
    case 6:
    case 9:
    case 10:
        EndPause();
        break;
    case 7:
        gBridge.acknowledged = true;
        EndPause();
        break;
    default:
        break;
    }
    ReevaluateSound();
}

bool IsHostPaused()
{
    return gBridge.on && gBridge.paused;
}

uint32_t GetHostPausedTotal()
{
    if (!gBridge.on)
        return 0;
    uint32_t total = gBridge.pausedTotal;
    if (gBridge.paused)
        total += Now() - gBridge.pauseStart;
    return total;
}

void NotifyHostFullScreen(bool fullScreen)
{
    gBridge.fullScreen = fullScreen;
    if (gBridge.hostWindow)
        OsSendMessage(gBridge.hostWindow, OsMsg::User, fullScreen ? 1 : 0, 0);
}

bool IsHostFullScreen()
{
    return gBridge.fullScreen;
}

intptr_t ForwardToHost(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (!gBridge.hostWindow)
        return 0;
    return OsSendMessage(gBridge.hostWindow, message, wParam, lParam);
}

void RecordParentWindow(OsWindow window)
{
    gBridge.hostWindow = OsGetParent(window);
}

OsWindow GetHostWindow()
{
    return gBridge.hostWindow;
}

bool IsHostMuted()
{
    return gBridge.muted;
}

void SetHostBridgeClock(uint32_t (*clock)())
{
    gClock = clock;
}

void ResetHostBridge()
{
    gBridge = TBridgeState();
}

void SetHostWindow(OsWindow window)
{
    gBridge.hostWindow = window;
}
