#include "os/window/Input.h"

#include <cstdlib>
#include <cstring>

#include "os/window/MessageQueue.h"
#include "os/window/WindowState.h"

namespace {

int16_t KeyStateOf(const uint8_t* keys, uint32_t vk)
{
    if (vk > 0xFF)
        return 0;
    uint8_t k = keys[vk];
    int16_t v = 0;
    if (k & 0x80)
        v = int16_t(0x8000);
    if (k & 0x01)
        v = int16_t(v | 1);
    return v;
}

// Sets one side of a modifier and the side-less code.
void SetKey(uint8_t* keys, uint32_t vk, bool down, bool toggle)
{
    if (vk == 0 || vk > 0xFF)
        return;
    if (down) {
        if (toggle && !(keys[vk] & 0x80))
            keys[vk] ^= 0x01;
        keys[vk] |= 0x80;
    } else {
        keys[vk] &= uint8_t(~0x80);
    }
}

void SetModifierSides(uint8_t* keys, uint32_t vk, uint32_t scan, bool extended, bool down, bool toggle)
{
    uint32_t side = 0;
    uint32_t generic = 0;
    switch (vk) {
    case OsKey::Shift:
    case OsKey::LShift:
    case OsKey::RShift:
        generic = OsKey::Shift;
        side = (vk == OsKey::RShift || (vk == OsKey::Shift && scan == 0x36)) ? OsKey::RShift : OsKey::LShift;
        break;
    case OsKey::Control:
    case OsKey::LControl:
    case OsKey::RControl:
        generic = OsKey::Control;
        side = (vk == OsKey::RControl || (vk == OsKey::Control && extended)) ? OsKey::RControl : OsKey::LControl;
        break;
    case OsKey::Menu:
    case OsKey::LMenu:
    case OsKey::RMenu:
        generic = OsKey::Menu;
        side = (vk == OsKey::RMenu || (vk == OsKey::Menu && extended)) ? OsKey::RMenu : OsKey::LMenu;
        break;
    default:
        SetKey(keys, vk, down, toggle);
        return;
    }
    SetKey(keys, side, down, toggle);
    uint32_t left = side == OsKey::RShift || side == OsKey::LShift   ? OsKey::LShift
                    : side == OsKey::RControl || side == OsKey::LControl ? OsKey::LControl
                                                                          : OsKey::LMenu;
    uint32_t right = left + 1;
    bool anyDown = (keys[left] & 0x80) || (keys[right] & 0x80);
    if (anyDown)
        SetKey(keys, generic, true, toggle && down);
    else
        SetKey(keys, generic, false, false);
}

bool InsideHoverBox(int32_t x, int32_t y)
{
    auto& s = OsState();
    return std::abs(x - s.hoverX) <= kOsHoverWidth / 2 && std::abs(y - s.hoverY) <= kOsHoverHeight / 2;
}

} // namespace

void OsApplyKey(uint8_t* keys, uint32_t vk, uint32_t scan, bool extended, bool down, bool toggle)
{
    SetModifierSides(keys, vk, scan, extended, down, toggle);
}

int16_t OsGetKeyState(uint32_t vk)
{
    return KeyStateOf(OsState().syncKeys, vk);
}

int16_t OsGetAsyncKeyState(uint32_t vk)
{
    return KeyStateOf(OsState().asyncKeys, vk);
}

void OsUpdateSyncKeys(const OsMessage& msg)
{
    auto& s = OsState();
    uint32_t vk = uint32_t(msg.wParam) & 0xFFu;
    uint32_t l = uint32_t(msg.lParam);
    uint32_t scan = (l & OsKeyBits::ScanMask) >> OsKeyBits::ScanShift;
    bool extended = (l & OsKeyBits::Extended) != 0;
    switch (msg.message) {
    case OsMsg::KeyDown:
    case OsMsg::SysKeyDown:
        SetModifierSides(s.syncKeys, vk, scan, extended, true, (l & OsKeyBits::PreviousDown) == 0);
        break;
    case OsMsg::KeyUp:
    case OsMsg::SysKeyUp:
        SetModifierSides(s.syncKeys, vk, scan, extended, false, false);
        break;
    case OsMsg::LButtonDown:
        SetKey(s.syncKeys, OsKey::LButton, true, true);
        break;
    case OsMsg::LButtonUp:
        SetKey(s.syncKeys, OsKey::LButton, false, false);
        break;
    case OsMsg::RButtonDown:
        SetKey(s.syncKeys, OsKey::RButton, true, true);
        break;
    case OsMsg::RButtonUp:
        SetKey(s.syncKeys, OsKey::RButton, false, false);
        break;
    case OsMsg::MButtonDown:
        SetKey(s.syncKeys, OsKey::MButton, true, true);
        break;
    case OsMsg::MButtonUp:
        SetKey(s.syncKeys, OsKey::MButton, false, false);
        break;
    case OsMsg::XButtonDown:
    case OsMsg::XButtonUp: {
        uint32_t which = OsHiWord(msg.wParam) == OsXButton::Second ? OsKey::XButton2 : OsKey::XButton1;
        SetKey(s.syncKeys, which, msg.message == OsMsg::XButtonDown, true);
        break;
    }
    default:
        return;
    }
    // The lock states come from SDL with the key events.
    if (msg.message >= OsMsg::KeyDown && msg.message <= OsMsg::SysKeyUp) {
        for (uint32_t lock : {uint32_t(OsKey::Capital), uint32_t(OsKey::NumLock), uint32_t(OsKey::Scroll)})
            s.syncKeys[lock] = uint8_t((s.syncKeys[lock] & 0x80) | (s.asyncKeys[lock] & 0x01));
    }
}

uint32_t OsMouseKeyFlags()
{
    auto& s = OsState();
    uint32_t flags = s.buttons;
    if (s.asyncKeys[OsKey::Shift] & 0x80)
        flags |= OsMk::Shift;
    if (s.asyncKeys[OsKey::Control] & 0x80)
        flags |= OsMk::Control;
    return flags;
}

OsWindow OsSetCapture(OsWindow window)
{
    auto& s = OsState();
    OsWindow previous = s.capture;
    if (!OsIsWindow(window))
        return previous;
    if (previous == window)
        return previous;
    s.capture = window;
    OsWindowData* data = OsFindWindow(window);
    if (data && data->sdl)
        SDL_CaptureMouse(SDL_TRUE);
    if (previous)
        OsSendMessage(previous, OsMsg::CaptureChanged, 0, intptr_t(OsWindowValue(window)));
    return previous;
}

bool OsReleaseCapture()
{
    auto& s = OsState();
    OsWindow previous = s.capture;
    if (!previous)
        return true;
    s.capture = nullptr;
    OsWindowData* data = OsFindWindow(previous);
    if (data && data->sdl)
        SDL_CaptureMouse(SDL_FALSE);
    OsSendMessage(previous, OsMsg::CaptureChanged, 0, 0);
    // A leave that happened while captured is reported now.
    if (s.leaveWindow == previous && !(s.pointerWindow == previous && s.pointerInside))
        OsPointerLeft(previous);
    return true;
}

OsWindow OsGetCapture()
{
    return OsState().capture;
}

bool OsTrackMouseEvent(OsTrackMouse* track)
{
    auto& s = OsState();
    if (!track)
        return false;
    if (track->flags & OsTme::Query) {
        OsWindow w = s.leaveWindow ? s.leaveWindow : s.hoverWindow;
        track->window = w;
        track->flags = (s.hoverWindow ? uint32_t(OsTme::Hover) : 0u) | (s.leaveWindow ? uint32_t(OsTme::Leave) : 0u);
        track->hoverTimeMs = s.hoverWindow ? s.hoverTime : 0;
        return true;
    }
    if (!OsIsWindow(track->window))
        return false;
    OsWindow w = track->window;
    if (track->flags & OsTme::Cancel) {
        if ((track->flags & OsTme::Hover) && s.hoverWindow == w)
            s.hoverWindow = nullptr;
        if ((track->flags & OsTme::Leave) && s.leaveWindow == w)
            s.leaveWindow = nullptr;
        return true;
    }
    bool inside = s.pointerWindow == w && s.pointerInside;
    if (track->flags & OsTme::Hover) {
        s.hoverWindow = w;
        s.hoverTime = track->hoverTimeMs == kOsHoverDefault ? kOsHoverTimeMs : track->hoverTimeMs;
        s.hoverStart = OsNow();
        s.hoverX = s.pointerX;
        s.hoverY = s.pointerY;
    }
    if (track->flags & OsTme::Leave) {
        s.leaveWindow = w;
        if (!inside && s.capture != w)
            OsPointerLeft(w);
    }
    return true;
}

void OsPointerLeft(OsWindow window)
{
    auto& s = OsState();
    if (s.leaveWindow != window)
        return;
    // A leave ends all tracking of the window.
    s.leaveWindow = nullptr;
    if (s.hoverWindow == window)
        s.hoverWindow = nullptr;
    OsQueueInput(window, OsMsg::MouseLeave, 0, 0);
}

void OsHoverPointerMoved()
{
    auto& s = OsState();
    if (!s.hoverWindow)
        return;
    if (s.pointerWindow != s.hoverWindow || !InsideHoverBox(s.pointerX, s.pointerY)) {
        // Timing starts again where the pointer is now.
        s.hoverStart = OsNow();
        s.hoverX = s.pointerX;
        s.hoverY = s.pointerY;
    }
}

void OsCheckHover()
{
    auto& s = OsState();
    OsWindow w = s.hoverWindow;
    if (!w)
        return;
    if (!OsIsWindow(w)) {
        s.hoverWindow = nullptr;
        return;
    }
    if (s.pointerWindow != w || !s.pointerInside)
        return;
    if (int32_t(OsNow() - s.hoverStart) < int32_t(s.hoverTime))
        return;
    s.hoverWindow = nullptr;
    OsQueueInput(w, OsMsg::MouseHover, OsMouseKeyFlags(), OsMakeLParam(s.pointerX, s.pointerY));
}

int32_t OsHoverDelay()
{
    auto& s = OsState();
    if (!s.hoverWindow || s.pointerWindow != s.hoverWindow || !s.pointerInside)
        return -1;
    int32_t left = int32_t(s.hoverTime) - int32_t(OsNow() - s.hoverStart);
    return left < 0 ? 0 : left;
}

bool OsGetCursorClientPos(OsWindow window, int32_t* x, int32_t* y)
{
    auto& s = OsState();
    if (!OsIsWindow(window))
        return false;
    int32_t px = s.pointerX, py = s.pointerY;
    if (s.pointerWindow && s.pointerWindow != window) {
        int32_t ax = 0, ay = 0, bx = 0, by = 0;
        OsGetWindowPosition(s.pointerWindow, &ax, &ay);
        OsGetWindowPosition(window, &bx, &by);
        px += ax - bx;
        py += ay - by;
    }
    if (x)
        *x = px;
    if (y)
        *y = py;
    return true;
}

bool OsGetCursorScreenPos(int32_t* x, int32_t* y)
{
    auto& s = OsState();
    int32_t ox = 0, oy = 0;
    if (s.pointerWindow)
        OsGetWindowPosition(s.pointerWindow, &ox, &oy);
    if (x)
        *x = s.pointerX + ox;
    if (y)
        *y = s.pointerY + oy;
    return true;
}

bool OsIsPointerInside(OsWindow window)
{
    auto& s = OsState();
    return OsIsWindow(window) && s.pointerWindow == window && s.pointerInside;
}

void OsForgetWindowInput(OsWindow window)
{
    auto& s = OsState();
    if (s.hoverWindow == window)
        s.hoverWindow = nullptr;
    if (s.leaveWindow == window)
        s.leaveWindow = nullptr;
    if (s.pointerWindow == window) {
        s.pointerWindow = nullptr;
        s.pointerInside = false;
    }
    if (s.capture == window)
        s.capture = nullptr;
}

void OsResetInputState()
{
    auto& s = OsState();
    s.capture = nullptr;
    s.foreground = nullptr;
    s.keyFocus = nullptr;
    s.focusGainedAt = 0;
    s.clickSinceFocus = true;
    s.pointerWindow = nullptr;
    s.pointerX = s.pointerY = 0;
    s.pointerInside = false;
    s.buttons = 0;
    s.hoverWindow = nullptr;
    s.leaveWindow = nullptr;
    std::memset(s.asyncKeys, 0, sizeof s.asyncKeys);
    std::memset(s.syncKeys, 0, sizeof s.syncKeys);
    for (auto& [value, data] : s.windows)
        data->minimized = false;
}
