#include "app/EventPump.h"

#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/system/Time.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "platform/CommandLine.h"
#include "platform/Task.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/Platform.h"
#include "render/Renderer.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"

namespace {

// Bit 0 when the value has 4 (Shift in mouse key flags), bit 1 when it has
// 8 (Ctrl). Mouse events take it from their key flags; key-up and character
// events apply it to the key or character code itself.
int32_t FlagMapping(uint32_t value)
{
    return ((value & 4u) ? 1 : 0) | ((value & 8u) ? 2 : 0);
}

void SetPointer(TPlatformEvent& event, const TMousePos& pos)
{
    event.x = int16_t(pos.x);
    event.y = int16_t(pos.y);
}

TMousePos PointerPos()
{
    TPlatform* platform = GetPlatform();
    return platform ? platform->GetMousePos() : TMousePos();
}

void Report(TPlatformEvent& event, int32_t type, int32_t param = 0)
{
    event = TPlatformEvent();
    event.type = type;
    event.param = param;
}

// The first pending state change, in the fixed order; false when none.
bool TakePendingFlag(TWindowEvents& events, TPlatform& platform, TPlatformEvent& event)
{
    if (events.displayChanged) {
        events.displayChanged = false;
        Report(event, kEventDisplayChanged);
        return true;
    }
    if (events.activationPending) {
        events.activationPending = false;
        if (!events.active)
            platform.ResetWorkingCount();
        Report(event, kEventActivate, events.active ? 1 : 0);
        return true;
    }
    if (events.appActivationPending) {
        events.appActivationPending = false;
        Report(event, kEventActivate, events.appActive ? 1 : 0);
        return true;
    }
    if (events.closeRequested) {
        events.closeRequested = false;
        Report(event, kEventClose);
        return true;
    }
    if (events.mouseLeftPending) {
        events.mouseLeftPending = false;
        Report(event, kEventMouseLeave);
        SetPointer(event, platform.GetMousePos());
        return true;
    }
    return false;
}

bool IsPress(uint32_t message)
{
    return message == OsMsg::LButtonDown || message == OsMsg::RButtonDown ||
           message == OsMsg::MButtonDown || message == OsMsg::XButtonDown;
}

bool IsRelease(uint32_t message)
{
    return message == OsMsg::LButtonUp || message == OsMsg::RButtonUp || message == OsMsg::MButtonUp;
}

// Buttons and the wheel.
void MapButton(TPlatformApp& app, const OsMessage& msg, TPlatformEvent& event)
{
    uint32_t message = msg.message;
    TWindowManager* manager = app.GetWindowManager();
    TWindowEvents& events = app.GetWindowEvents();

    // The click that activated the window, and its release, are dropped
    // when they come within the guard time; a release ends the guard.
    bool guarded = events.clickGuard;
    if (IsRelease(message))
        events.clickGuard = false;
    bool movie = manager && manager->IsMoviePlaying();
    bool dropped = (guarded && !movie && GetTimer() - events.clickGuardTime < kClickGuardMs) ||
                   (manager && manager->IsMovieInput());
    if (dropped) {
        // A dropped release still gives back a capture taken before.
        if (IsRelease(message) && OsGetCapture() == app.GetMainWindow())
            OsReleaseCapture();
        return;
    }

    uint32_t keys = OsLoWord(msg.wParam);
    int32_t type = kEventButton;
    int32_t code = 0;
    switch (message) {
    case OsMsg::LButtonDown:
        type = kEventLeftDown;
        break;
    case OsMsg::LButtonUp:
        type = kEventLeftUp;
        break;
    case OsMsg::RButtonDown:
        code = kButtonRightDown;
        break;
    case OsMsg::RButtonUp:
        code = kButtonRightUp;
        break;
    case OsMsg::MButtonDown:
        code = kButtonMiddleDown;
        break;
    case OsMsg::MButtonUp:
        code = kButtonMiddleUp;
        break;
    case OsMsg::MouseWheel:
        code = OsWheelDelta(msg.wParam) > 0 ? kButtonWheelForward : kButtonWheelBack;
        break;
    case OsMsg::XButtonDown: {
        uint32_t which = OsHiWord(msg.wParam);
        if (which & OsXButton::First)
            code = kButtonExtra1Down;
        else if (which & OsXButton::Second)
            code = kButtonExtra2Down;
        else
            return;
        break;
    }
    default:
        return;
    }

    // The wheel neither takes nor gives back the mouse capture.
    if (IsPress(message)) {
        if (app.IsHosted())
            OsSetFocus(app.GetMainWindow());
        OsSetCapture(app.GetMainWindow());
    } else if (IsRelease(message)) {
        OsReleaseCapture();
    }

    Report(event, type, code);
    SetPointer(event, PointerPos());
    if (!IsRelease(message))
        event.param2 = FlagMapping(keys);
}

void ArmTracking(TPlatformApp& app, bool hover, bool leave)
{
    if (hover) {
        OsTrackMouse track;
        track.flags = OsTme::Hover;
        track.window = app.GetMainWindow();
        track.hoverTimeMs = kOsHoverDefault;
        app.GetWindowEvents().hoverArmed = OsTrackMouseEvent(&track);
    }
    if (leave) {
        OsTrackMouse track;
        track.flags = OsTme::Leave;
        track.window = app.GetMainWindow();
        app.GetWindowEvents().leaveArmed = OsTrackMouseEvent(&track);
    }
}

int32_t KeyModifiers(intptr_t lParam)
{
    int32_t mods = 0;
    if (OsGetKeyState(OsKey::Shift) < 0)
        mods |= 1;
    if (OsGetKeyState(OsKey::Control) < 0)
        mods |= 2;
    if (uint32_t(lParam) & OsKeyBits::Extended)
        mods |= 8;
    return mods;
}

void MapKeyDown(const OsMessage& msg, TPlatformEvent& event)
{
    int32_t mods = KeyModifiers(msg.lParam);
    uint32_t vk = uint32_t(msg.wParam);
    // Insert counts only with Shift alone (Shift+Insert pastes).
    if (vk == OsKey::Insert && (mods & ~8) != 1)
        return;
    Report(event, kEventKeyDown, int32_t(vk));
    event.param2 = mods;
}

void MapAltKeyDown(TPlatformApp& app, const OsMessage& msg, TPlatformEvent& event)
{
    uint32_t vk = uint32_t(msg.wParam);
    if (vk == OsKey::Return) {
        // Alt+Enter: full screen on or off. An embedded program leaves the
        // choice to its host unless the host bridge carries it.
        if (app.IsHosted() && !HasPqSwitch())
            return;
        app.SetFullScreen(!app.IsFullScreen());
        TPlatform* platform = GetPlatform();
        Report(event, kEventFullScreen, platform && platform->IsFullScreen() ? 1 : 0);
        return;
    }
    if (vk == OsKey::F1) {
        TRenderer::Get()->ToggleStats();
        return;
    }
    Report(event, kEventKeyDown, int32_t(vk));
    event.param2 = KeyModifiers(msg.lParam) | 4;
}

void MapMessage(TPlatformApp& app, const OsMessage& msg, TPlatformEvent& event)
{
    TWindowEvents& events = app.GetWindowEvents();
    switch (msg.message) {
    case OsMsg::LButtonDown:
    case OsMsg::LButtonUp:
    case OsMsg::RButtonDown:
    case OsMsg::RButtonUp:
    case OsMsg::MButtonDown:
    case OsMsg::MButtonUp:
    case OsMsg::MouseWheel:
    case OsMsg::XButtonDown:
        MapButton(app, msg, event);
        break;
    case OsMsg::XButtonUp:
        // Makes no event, but gives back the capture its press took.
        OsReleaseCapture();
        break;
    case OsMsg::MouseMove:
        Report(event, kEventMouseMove);
        SetPointer(event, PointerPos());
        ArmTracking(app, !events.hoverArmed, !events.leaveArmed);
        break;
    case OsMsg::MouseHover:
        ArmTracking(app, true, false);
        Report(event, kEventHover);
        SetPointer(event, PointerPos());
        break;
    case OsMsg::CaptureChanged:
        if (msg.lParam != intptr_t(OsWindowValue(app.GetMainWindow())))
            Report(event, kEventMouseLeave);
        break;
    case OsMsg::Paint:
        OsBeginPaint(msg.window);
        OsEndPaint(msg.window);
        Report(event, kEventPaint);
        events.hoverArmed = false;
        break;
    case OsMsg::Quit:
        Report(event, kEventQuit);
        break;
    case OsMsg::KeyDown:
        MapKeyDown(msg, event);
        break;
    case OsMsg::SysKeyDown:
        if (uint32_t(msg.lParam) & OsKeyBits::AltDown)
            MapAltKeyDown(app, msg, event);
        else
            MapKeyDown(msg, event);
        break;
    case OsMsg::KeyUp:
        Report(event, kEventKeyUp, int32_t(msg.wParam));
        event.param2 = FlagMapping(uint32_t(msg.wParam));
        break;
    case OsMsg::Char:
        Report(event, kEventChar, int32_t(msg.wParam));
        event.param2 = FlagMapping(uint32_t(msg.wParam));
        break;
    default:
        break;
    }
}

} // namespace

void PollPlatformEvent(TPlatformEvent& event)
{
    event = TPlatformEvent();
    TPlatformApp* app = GetPlatformApp();
    if (!app) {
        event.type = kEventQuit;
        return;
    }
    OsMessage msg;

    // The host may hold the program; its commands arrive as sent messages
    // while the queue is drained here.
    SendHostReady();
    while (IsHostPaused()) {
        OsSleepMs(1);
        if (!OsPeekMessage(&msg, true))
            continue;
        if (msg.message == OsMsg::Quit) {
            event.type = kEventQuit;
            return;
        }
        OsTranslateMessage(msg);
        OsDispatchMessage(msg);
    }

    TPlatform* platform = GetPlatform();
    if (!platform || !platform->IsDeviceReady()) {
        if (OsPeekMessage(&msg, true, OsMsg::Quit, OsMsg::Quit)) {
            event.type = kEventQuit;
            return;
        }
        const TWindowEvents& events = app->GetWindowEvents();
        if (platform && events.active && !events.activationPending)
            platform->Restore();
        event.type = kEventNothing;
        return;
    }

    if (TakePendingFlag(app->GetWindowEvents(), *platform, event))
        return;

    if (!OsPeekMessage(&msg, true)) {
        // A full-screen window stays in front by itself here (desktop full
        // screen); forcing the focus back would lock the user in.
        if (TSoundManager* sound = app->GetSoundManager())
            sound->DispatchCallbacks();
        if (TTaskList* tasks = app->GetTaskList())
            tasks->RunAll(kPassIdle);
        // The cursor moved since it was last shown (the cursor thread asks).
        platform->ServeCursor();
        OsWaitMessage(1);
        event.type = kEventIdle;
        return;
    }

    event.type = kEventNothing;
    MapMessage(*app, msg, event);

    OsTranslateMessage(msg);
    bool rightButton = msg.message == OsMsg::RButtonDown || msg.message == OsMsg::RButtonUp;
    if (!(app->IsHosted() && rightButton && msg.window == app->GetMainWindow()))
        OsDispatchMessage(msg);
}
