#include "os/window/SdlInput.h"

#include <cmath>

#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "os/window/WindowState.h"

namespace {

// A click this soon after the window gained the focus is the click that
// activated it (the focus event may come just before the button event).
constexpr uint32_t kActivationClickMs = 250;

struct KeyEntry {
    SDL_Scancode sc;
    uint8_t vk;
    uint8_t scan;
    bool extended;
};

// Keys by position (a US keyboard), with their PC set-1 scan codes.
constexpr KeyEntry kKeys[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, OsKey::Return, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, OsKey::Escape, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, OsKey::Back, 0x0E, false},
    {SDL_SCANCODE_TAB, OsKey::Tab, 0x0F, false},
    {SDL_SCANCODE_SPACE, OsKey::Space, 0x39, false},
    {SDL_SCANCODE_MINUS, OsKey::OemMinus, 0x0C, false},
    {SDL_SCANCODE_EQUALS, OsKey::OemPlus, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, OsKey::Oem4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, OsKey::Oem6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, OsKey::Oem5, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, OsKey::Oem5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, OsKey::Oem1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, OsKey::Oem7, 0x28, false},
    {SDL_SCANCODE_GRAVE, OsKey::Oem3, 0x29, false},
    {SDL_SCANCODE_COMMA, OsKey::OemComma, 0x33, false},
    {SDL_SCANCODE_PERIOD, OsKey::OemPeriod, 0x34, false},
    {SDL_SCANCODE_SLASH, OsKey::Oem2, 0x35, false},
    {SDL_SCANCODE_CAPSLOCK, OsKey::Capital, 0x3A, false},
    {SDL_SCANCODE_F1, OsKey::F1, 0x3B, false},
    {SDL_SCANCODE_F2, OsKey::F1 + 1, 0x3C, false},
    {SDL_SCANCODE_F3, OsKey::F1 + 2, 0x3D, false},
    {SDL_SCANCODE_F4, OsKey::F1 + 3, 0x3E, false},
    {SDL_SCANCODE_F5, OsKey::F1 + 4, 0x3F, false},
    {SDL_SCANCODE_F6, OsKey::F1 + 5, 0x40, false},
    {SDL_SCANCODE_F7, OsKey::F1 + 6, 0x41, false},
    {SDL_SCANCODE_F8, OsKey::F1 + 7, 0x42, false},
    {SDL_SCANCODE_F9, OsKey::F1 + 8, 0x43, false},
    {SDL_SCANCODE_F10, OsKey::F1 + 9, 0x44, false},
    {SDL_SCANCODE_F11, OsKey::F1 + 10, 0x57, false},
    {SDL_SCANCODE_F12, OsKey::F1 + 11, 0x58, false},
    {SDL_SCANCODE_F13, OsKey::F1 + 12, 0x64, false},
    {SDL_SCANCODE_F14, OsKey::F1 + 13, 0x65, false},
    {SDL_SCANCODE_F15, OsKey::F1 + 14, 0x66, false},
    {SDL_SCANCODE_F16, OsKey::F1 + 15, 0x67, false},
    {SDL_SCANCODE_F17, OsKey::F1 + 16, 0x68, false},
    {SDL_SCANCODE_F18, OsKey::F1 + 17, 0x69, false},
    {SDL_SCANCODE_F19, OsKey::F1 + 18, 0x6A, false},
    {SDL_SCANCODE_F20, OsKey::F1 + 19, 0x6B, false},
    {SDL_SCANCODE_F21, OsKey::F1 + 20, 0x6C, false},
    {SDL_SCANCODE_F22, OsKey::F1 + 21, 0x6D, false},
    {SDL_SCANCODE_F23, OsKey::F1 + 22, 0x6E, false},
    {SDL_SCANCODE_F24, OsKey::F1 + 23, 0x76, false},
    {SDL_SCANCODE_PRINTSCREEN, OsKey::Snapshot, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, OsKey::Scroll, 0x46, false},
    {SDL_SCANCODE_PAUSE, OsKey::Pause, 0x45, false},
    {SDL_SCANCODE_INSERT, OsKey::Insert, 0x52, true},
    {SDL_SCANCODE_HOME, OsKey::Home, 0x47, true},
    {SDL_SCANCODE_PAGEUP, OsKey::Prior, 0x49, true},
    {SDL_SCANCODE_DELETE, OsKey::Delete, 0x53, true},
    {SDL_SCANCODE_END, OsKey::End, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, OsKey::Next, 0x51, true},
    {SDL_SCANCODE_RIGHT, OsKey::Right, 0x4D, true},
    {SDL_SCANCODE_LEFT, OsKey::Left, 0x4B, true},
    {SDL_SCANCODE_DOWN, OsKey::Down, 0x50, true},
    {SDL_SCANCODE_UP, OsKey::Up, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, OsKey::NumLock, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, OsKey::Divide, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, OsKey::Multiply, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, OsKey::Subtract, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, OsKey::Add, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, OsKey::Return, 0x1C, true},
    {SDL_SCANCODE_KP_1, OsKey::Numpad0 + 1, 0x4F, false},
    {SDL_SCANCODE_KP_2, OsKey::Numpad0 + 2, 0x50, false},
    {SDL_SCANCODE_KP_3, OsKey::Numpad0 + 3, 0x51, false},
    {SDL_SCANCODE_KP_4, OsKey::Numpad0 + 4, 0x4B, false},
    {SDL_SCANCODE_KP_5, OsKey::Numpad0 + 5, 0x4C, false},
    {SDL_SCANCODE_KP_6, OsKey::Numpad0 + 6, 0x4D, false},
    {SDL_SCANCODE_KP_7, OsKey::Numpad0 + 7, 0x47, false},
    {SDL_SCANCODE_KP_8, OsKey::Numpad0 + 8, 0x48, false},
    {SDL_SCANCODE_KP_9, OsKey::Numpad0 + 9, 0x49, false},
    {SDL_SCANCODE_KP_0, OsKey::Numpad0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, OsKey::Decimal, 0x53, false},
    {SDL_SCANCODE_NONUSBACKSLASH, OsKey::Oem102, 0x56, false},
    {SDL_SCANCODE_APPLICATION, OsKey::Apps, 0x5D, true},
    {SDL_SCANCODE_LCTRL, OsKey::Control, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, OsKey::Shift, 0x2A, false},
    {SDL_SCANCODE_LALT, OsKey::Menu, 0x38, false},
    {SDL_SCANCODE_LGUI, OsKey::LWin, 0x5B, true},
    {SDL_SCANCODE_RCTRL, OsKey::Control, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, OsKey::Shift, 0x36, false},
    {SDL_SCANCODE_RALT, OsKey::Menu, 0x38, true},
    {SDL_SCANCODE_RGUI, OsKey::RWin, 0x5C, true},
};

// Keypad keys with Num Lock off: the navigation keys, not extended.
uint32_t KeypadNavigation(SDL_Scancode sc)
{
    switch (sc) {
    case SDL_SCANCODE_KP_0: return OsKey::Insert;
    case SDL_SCANCODE_KP_1: return OsKey::End;
    case SDL_SCANCODE_KP_2: return OsKey::Down;
    case SDL_SCANCODE_KP_3: return OsKey::Next;
    case SDL_SCANCODE_KP_4: return OsKey::Left;
    case SDL_SCANCODE_KP_5: return OsKey::Clear;
    case SDL_SCANCODE_KP_6: return OsKey::Right;
    case SDL_SCANCODE_KP_7: return OsKey::Home;
    case SDL_SCANCODE_KP_8: return OsKey::Up;
    case SDL_SCANCODE_KP_9: return OsKey::Prior;
    case SDL_SCANCODE_KP_PERIOD: return OsKey::Delete;
    default: return 0;
    }
}

bool Down(const uint8_t* keys, uint32_t vk)
{
    return (keys[vk] & 0x80) != 0;
}

OsWindow FirstWindow()
{
    for (auto& [value, data] : OsState().windows) {
        if (!data->destroying)
            return OsHandleOf(data.get());
    }
    return nullptr;
}

// The window an event belongs to; events without a window go to the
// focused window.
OsWindow EventWindow(uint32_t id)
{
    if (OsWindow w = OsWindowFromEventId(id))
        return w;
    if (id != 0)
        return nullptr;
    auto& s = OsState();
    if (OsIsWindow(s.keyFocus))
        return s.keyFocus;
    if (OsIsWindow(s.foreground))
        return s.foreground;
    return FirstWindow();
}

void SetLockToggle(uint32_t vk, bool on)
{
    auto& s = OsState();
    if (on)
        s.asyncKeys[vk] |= 0x01;
    else
        s.asyncKeys[vk] &= uint8_t(~0x01);
}

void HandleKey(const SDL_KeyboardEvent& k)
{
    auto& s = OsState();
    OsWindow w = EventWindow(k.windowID);
    if (!w)
        return;
    OsKeyInfo info = OsKeyFromSdl(k.keysym.scancode, k.keysym.sym, k.keysym.mod);
    if (info.vk == 0)
        return;
    bool down = k.type == SDL_KEYDOWN;
    bool altBefore = Down(s.asyncKeys, OsKey::Menu);
    OsApplyKey(s.asyncKeys, info.vk, info.scan, info.extended, down, down && !k.repeat);
    SetLockToggle(OsKey::Capital, (k.keysym.mod & KMOD_CAPS) != 0);
    SetLockToggle(OsKey::NumLock, (k.keysym.mod & KMOD_NUM) != 0);
    SetLockToggle(OsKey::Scroll, (k.keysym.mod & KMOD_SCROLL) != 0);

    bool alt = down ? Down(s.asyncKeys, OsKey::Menu) : altBefore;
    bool ctrl = Down(s.asyncKeys, OsKey::Control);
    bool sys = (alt && !ctrl) || info.vk == OsKey::F10;

    uint32_t l = 1u | (info.scan << OsKeyBits::ScanShift);
    if (info.extended)
        l |= OsKeyBits::Extended;
    if (alt)
        l |= OsKeyBits::AltDown;
    if (down) {
        if (k.repeat)
            l |= OsKeyBits::PreviousDown;
    } else {
        l |= OsKeyBits::PreviousDown | OsKeyBits::Released;
    }
    uint32_t msg = down ? (sys ? OsMsg::SysKeyDown : OsMsg::KeyDown) : (sys ? OsMsg::SysKeyUp : OsMsg::KeyUp);
    OsQueueInput(w, msg, info.vk, intptr_t(l));
}

// Decodes one UTF-8 sequence; returns the code point or -1 for a broken
// sequence, and advances i past what it consumed.
int32_t NextCodePoint(const unsigned char* t, size_t n, size_t& i)
{
    unsigned char c = t[i++];
    if (c < 0x80)
        return c;
    int extra = 0;
    int32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return -1;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= n || (t[i] & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (t[i++] & 0x3F);
    }
    static const int32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return cp;
}

void HandleText(const SDL_TextInputEvent& t)
{
    auto& s = OsState();
    OsWindow w = EventWindow(t.windowID);
    if (!w)
        return;
    bool ctrl = Down(s.asyncKeys, OsKey::Control);
    bool alt = Down(s.asyncKeys, OsKey::Menu);
    // Ctrl+key makes its control character from the key message instead.
    if (ctrl && !alt)
        return;
    // With the left Alt key the characters are system characters; the right
    // one is taken as AltGr.
    uint32_t msg = (Down(s.asyncKeys, OsKey::LMenu) && !ctrl) ? OsMsg::SysChar : OsMsg::Char;
    const auto* text = reinterpret_cast<const unsigned char*>(t.text);
    size_t n = 0;
    while (n < sizeof t.text && text[n])
        ++n;
    size_t i = 0;
    while (i < n) {
        int32_t cp = NextCodePoint(text, n, i);
        // One byte per character: printable ASCII and Latin-1. Control
        // characters come from the key messages.
        if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0) || cp > 0xFF)
            continue;
        uint32_t l = (msg == OsMsg::SysChar) ? (1u | OsKeyBits::AltDown) : 1u;
        OsQueueInput(w, msg, uint32_t(cp), intptr_t(l));
    }
}

// Updates the pointer from an event position in window w; returns the
// window that gets mouse messages (the capture, else w when the pointer is
// inside) and the position in that window's client coordinates.
OsWindow PointerTarget(OsWindow w, int32_t x, int32_t y, int32_t* tx, int32_t* ty)
{
    auto& s = OsState();
    s.pointerWindow = w;
    s.pointerX = x;
    s.pointerY = y;
    int32_t cw = 0, ch = 0;
    OsGetClientSize(w, &cw, &ch);
    s.pointerInside = x >= 0 && y >= 0 && x < cw && y < ch;
    OsHoverPointerMoved();
    OsWindow target = s.capture ? s.capture : (s.pointerInside ? w : nullptr);
    *tx = x;
    *ty = y;
    if (target && target != w)
        OsGetCursorClientPos(target, tx, ty);
    return target;
}

void SendSetCursor(OsWindow target, uint32_t mouseMessage)
{
    // The capture window gets no set-cursor messages.
    if (OsState().capture)
        return;
    OsSendMessage(target, OsMsg::SetCursor, OsWindowValue(target),
                  OsMakeLParam(OsHit::Client, int32_t(mouseMessage)));
}

void HandleMotion(const SDL_MouseMotionEvent& m)
{
    auto& s = OsState();
    OsWindow w = EventWindow(m.windowID);
    if (!w)
        return;
    int32_t x = 0, y = 0;
    OsWindow target = PointerTarget(w, m.x, m.y, &x, &y);
    if (!target) {
        // Outside and not captured: no move, but a leave if tracked.
        if (s.leaveWindow == w)
            OsPointerLeft(w);
        return;
    }
    SendSetCursor(target, OsMsg::MouseMove);
    if (!OsIsWindow(target))
        return;
    OsQueueInput(target, OsMsg::MouseMove, OsMouseKeyFlags(), OsMakeLParam(x, y));
}

void HandleButton(const SDL_MouseButtonEvent& b)
{
    auto& s = OsState();
    OsWindow w = EventWindow(b.windowID);
    if (!w)
        return;
    bool down = b.type == SDL_MOUSEBUTTONDOWN;
    uint32_t bit = 0, msg = 0, xbutton = 0;
    switch (b.button) {
    case SDL_BUTTON_LEFT:
        bit = OsMk::LButton;
        msg = down ? OsMsg::LButtonDown : OsMsg::LButtonUp;
        break;
    case SDL_BUTTON_RIGHT:
        bit = OsMk::RButton;
        msg = down ? OsMsg::RButtonDown : OsMsg::RButtonUp;
        break;
    case SDL_BUTTON_MIDDLE:
        bit = OsMk::MButton;
        msg = down ? OsMsg::MButtonDown : OsMsg::MButtonUp;
        break;
    case SDL_BUTTON_X1:
        bit = OsMk::XButton1;
        xbutton = OsXButton::First;
        msg = down ? OsMsg::XButtonDown : OsMsg::XButtonUp;
        break;
    case SDL_BUTTON_X2:
        bit = OsMk::XButton2;
        xbutton = OsXButton::Second;
        msg = down ? OsMsg::XButtonDown : OsMsg::XButtonUp;
        break;
    default:
        return;
    }
    int32_t x = 0, y = 0;
    OsWindow target = PointerTarget(w, b.x, b.y, &x, &y);
    if (!down)
        s.buttons &= ~bit;
    if (!target)
        return;
    if (down) {
        uint32_t now = OsNow();
        bool activating = s.foreground != target ||
                          (!s.clickSinceFocus && now - s.focusGainedAt <= kActivationClickMs);
        s.clickSinceFocus = true;
        s.buttons |= bit;
        if (activating) {
            intptr_t r = OsSendMessage(target, OsMsg::MouseActivate, OsWindowValue(target),
                                       OsMakeLParam(OsHit::Client, int32_t(msg)));
            if (!OsIsWindow(target))
                return;
            if (r == OsMouseActivate::ActivateAndEat || r == OsMouseActivate::NoActivateAndEat)
                return;
        }
        SendSetCursor(target, msg);
        if (!OsIsWindow(target))
            return;
    }
    uintptr_t wParam = OsMouseKeyFlags() | (uintptr_t(xbutton) << 16);
    OsQueueInput(target, msg, wParam, OsMakeLParam(x, y));
}

void HandleWheel(const SDL_MouseWheelEvent& e)
{
    auto& s = OsState();
    OsWindow w = EventWindow(e.windowID);
    if (s.capture)
        w = s.capture;
    if (!w)
        return;
    float amount = e.preciseY != 0.0f ? e.preciseY : float(e.y);
    if (e.direction == SDL_MOUSEWHEEL_FLIPPED)
        amount = -amount;
    long delta = std::lround(double(amount) * kOsWheelDelta);
    if (delta == 0)
        return;
    if (delta > 32767)
        delta = 32767;
    if (delta < -32768)
        delta = -32768;
    int32_t sx = 0, sy = 0;
    OsGetCursorScreenPos(&sx, &sy);
    uintptr_t wParam = OsMakeWParam(OsMouseKeyFlags(), uint32_t(int32_t(delta)));
    OsQueueInput(w, OsMsg::MouseWheel, wParam, OsMakeLParam(sx, sy));
}

void HandleWindowEvent(const SDL_WindowEvent& e)
{
    auto& s = OsState();
    OsWindow w = OsWindowFromEventId(e.windowID);
    OsWindowData* data = OsFindWindow(w);
    if (!data)
        return;
    switch (e.event) {
    case SDL_WINDOWEVENT_SHOWN:
        data->visible = true;
        data->invalid = true;
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        data->visible = false;
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        data->invalid = true;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        OsWindowMinimized(w);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        OsWindowRestored(w);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        data->width = e.data1;
        data->height = e.data2;
        data->invalid = true;
        if (!data->minimized)
            OsSendMessage(w, OsMsg::Size, OsSize::Restored, OsMakeLParam(e.data1, e.data2));
        break;
    case SDL_WINDOWEVENT_ENTER:
        s.pointerWindow = w;
        s.pointerInside = true;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        if (s.pointerWindow == w)
            s.pointerInside = false;
        if (s.capture != w)
            OsPointerLeft(w);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        OsWindowFocusGained(w);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        OsWindowFocusLost(w);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        OsSendMessage(w, OsMsg::Close, 0, 0);
        break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: {
        int32_t cw = 0, ch = 0;
        OsGetClientSize(w, &cw, &ch);
        OsSendMessage(w, OsMsg::DisplayChange, 32, OsMakeLParam(cw, ch));
        break;
    }
    default:
        break;
    }
}

void SendToAll(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::vector<OsWindow> all;
    for (auto& [value, data] : OsState().windows) {
        if (!data->destroying)
            all.push_back(OsHandleOf(data.get()));
    }
    for (OsWindow w : all)
        OsSendMessage(w, message, wParam, lParam);
}

} // namespace

OsKeyInfo OsKeyFromSdl(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod)
{
    OsKeyInfo info;
    for (const KeyEntry& k : kKeys) {
        if (k.sc == scancode) {
            info.vk = k.vk;
            info.scan = k.scan;
            info.extended = k.extended;
            break;
        }
    }
    if (!(mod & KMOD_NUM)) {
        if (uint32_t nav = KeypadNavigation(scancode))
            info.vk = nav;
    }
    // Letters follow the layout, like the original's virtual keys.
    bool keypad = scancode >= SDL_SCANCODE_KP_DIVIDE && scancode <= SDL_SCANCODE_KP_PERIOD;
    if (sym >= 'a' && sym <= 'z' && !keypad)
        info.vk = uint32_t(sym - 'a' + 'A');
    return info;
}

void OsWindowMinimized(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || data->minimized)
        return;
    data->minimized = true;
    OsSendMessage(window, OsMsg::Size, OsSize::Minimized, 0);
}

void OsWindowRestored(OsWindow window)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data || !data->minimized)
        return;
    data->minimized = false;
    data->invalid = true;
    OsSendMessage(window, OsMsg::Size, OsSize::Restored, OsMakeLParam(data->width, data->height));
}

void OsWindowFocusGained(OsWindow window)
{
    auto& s = OsState();
    if (!OsIsWindow(window) || s.foreground == window)
        return;
    s.foreground = window;
    s.keyFocus = window;
    s.focusGainedAt = OsNow();
    s.clickSinceFocus = false;
    OsSendMessage(window, OsMsg::ActivateApp, 1, 0);
}

void OsWindowFocusLost(OsWindow window)
{
    auto& s = OsState();
    if (s.foreground != window)
        return;
    s.foreground = nullptr;
    if (s.capture)
        OsReleaseCapture();
    OsSendMessage(window, OsMsg::ActivateApp, 0, 0);
}

void OsHandleSdlEvent(const SDL_Event& event)
{
    auto& s = OsState();
    ++s.translating;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        HandleKey(event.key);
        break;
    case SDL_TEXTINPUT:
        HandleText(event.text);
        break;
    case SDL_MOUSEMOTION:
        HandleMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        HandleButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        HandleWheel(event.wheel);
        break;
    case SDL_WINDOWEVENT:
        HandleWindowEvent(event.window);
        break;
    case SDL_QUIT:
        // A signal or the session ending: ask politely, as the close button does.
        if (OsWindow w = FirstWindow())
            OsSendMessage(w, OsMsg::Close, 0, 0);
        break;
    case SDL_DISPLAYEVENT:
        SendToAll(OsMsg::DisplayChange, 32, 0);
        break;
    default:
        break;
    }
    --s.translating;
}
