#pragma once
#include <cstdint>

// Window messages, virtual-key codes and the small constants that travel in
// message parameters. The numbers are the classic desktop-window values so
// that codes seen by scripts (virtual keys) and the event pump's tables keep
// their meaning.

namespace OsMsg {
enum : uint32_t {
    Null = 0x0000,
    Create = 0x0001,
    Destroy = 0x0002,
    Move = 0x0003,
    Size = 0x0005,             // wParam: OsSize::*, lParam: client width | height << 16
    Activate = 0x0006,
    SetFocus = 0x0007,
    KillFocus = 0x0008,
    Paint = 0x000F,
    Close = 0x0010,
    Quit = 0x0012,             // wParam: exit code
    EraseBkgnd = 0x0014,
    ShowWindow = 0x0018,
    ActivateApp = 0x001C,      // wParam: 1 activated, 0 deactivated
    SetCursor = 0x0020,        // wParam: window, lParam: hit test | mouse message << 16
    MouseActivate = 0x0021,    // wParam: top-level window, lParam: hit test | mouse message << 16
    DisplayChange = 0x007E,    // wParam: bits per pixel, lParam: width | height << 16
    NcHitTest = 0x0084,
    KeyDown = 0x0100,          // wParam: virtual key, lParam: OsKeyBits
    KeyUp = 0x0101,
    Char = 0x0102,             // wParam: one 8-bit character
    DeadChar = 0x0103,
    SysKeyDown = 0x0104,
    SysKeyUp = 0x0105,
    SysChar = 0x0106,
    SysCommand = 0x0112,
    Timer = 0x0113,            // wParam: timer id
    InitMenu = 0x0116,
    MouseMove = 0x0200,        // wParam: OsMk flags, lParam: client x | y << 16 (signed 16-bit)
    LButtonDown = 0x0201,
    LButtonUp = 0x0202,
    LButtonDblClk = 0x0203,
    RButtonDown = 0x0204,
    RButtonUp = 0x0205,
    RButtonDblClk = 0x0206,
    MButtonDown = 0x0207,
    MButtonUp = 0x0208,
    MButtonDblClk = 0x0209,
    MouseWheel = 0x020A,       // wParam: OsMk flags | delta << 16, lParam: screen x | y << 16
    XButtonDown = 0x020B,      // wParam: OsMk flags | OsXButton << 16
    XButtonUp = 0x020C,
    XButtonDblClk = 0x020D,
    MouseHWheel = 0x020E,
    CaptureChanged = 0x0215,   // lParam: the window that now has the capture (or 0)
    MouseHover = 0x02A1,       // wParam: OsMk flags, lParam: client x | y << 16
    MouseLeave = 0x02A3,
    User = 0x0400,

    KeyFirst = 0x0100,
    KeyLast = 0x0109,
    MouseFirst = 0x0200,
    MouseLast = 0x020E,
};
}

// wParam of OsMsg::Size.
namespace OsSize {
enum : uint32_t { Restored = 0, Minimized = 1, Maximized = 2 };
}

// Hit-test codes (OsMsg::NcHitTest results, low word of OsMsg::SetCursor).
namespace OsHit {
enum : int32_t { Error = -2, Transparent = -1, Nowhere = 0, Client = 1, Caption = 2 };
}

// Results of OsMsg::MouseActivate. The "eat" variants drop the click.
namespace OsMouseActivate {
enum : intptr_t { Activate = 1, ActivateAndEat = 2, NoActivate = 3, NoActivateAndEat = 4 };
}

// Key-state flags in the low word of mouse messages' wParam.
namespace OsMk {
enum : uint32_t {
    LButton = 0x0001,
    RButton = 0x0002,
    Shift = 0x0004,
    Control = 0x0008,
    MButton = 0x0010,
    XButton1 = 0x0020,
    XButton2 = 0x0040,
};
}

// High word of OsMsg::XButtonDown/Up wParam.
namespace OsXButton {
enum : uint32_t { First = 1, Second = 2 };
}

constexpr int32_t kOsWheelDelta = 120;  // one wheel notch

// lParam bits of key and character messages.
namespace OsKeyBits {
enum : uint32_t {
    RepeatMask = 0x0000FFFF,   // repeat count, always 1 here
    ScanShift = 16,            // bits 16-23: scan code (PC set 1)
    ScanMask = 0x00FF0000,
    Extended = 1u << 24,       // right Ctrl/Alt, the dedicated cursor block, keypad Enter and '/', ...
    AltDown = 1u << 29,        // context code: Alt was held
    PreviousDown = 1u << 30,   // the key was already down (auto-repeat; always set on key up)
    Released = 1u << 31,       // transition: set on key up
};
}

// TrackMouseEvent flags.
namespace OsTme {
enum : uint32_t { Hover = 0x00000001, Leave = 0x00000002, Query = 0x40000000, Cancel = 0x80000000 };
}
constexpr uint32_t kOsHoverDefault = 0xFFFFFFFFu;  // use the system hover time
constexpr uint32_t kOsHoverTimeMs = 400;           // the system hover time
constexpr int32_t kOsHoverWidth = 4;               // the pointer must stay in a box this wide...
constexpr int32_t kOsHoverHeight = 4;              // ...and this high, centred where timing started

// Virtual-key codes. Letters are 'A'..'Z' and the main-row digits '0'..'9'.
namespace OsKey {
enum : uint32_t {
    LButton = 0x01,
    RButton = 0x02,
    Cancel = 0x03,
    MButton = 0x04,
    XButton1 = 0x05,
    XButton2 = 0x06,
    Back = 0x08,
    Tab = 0x09,
    Clear = 0x0C,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Menu = 0x12,      // Alt
    Pause = 0x13,
    Capital = 0x14,   // Caps Lock
    Escape = 0x1B,
    Space = 0x20,
    Prior = 0x21,     // Page Up
    Next = 0x22,      // Page Down
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Select = 0x29,
    Print = 0x2A,
    Execute = 0x2B,
    Snapshot = 0x2C,  // Print Screen
    Insert = 0x2D,
    Delete = 0x2E,
    Help = 0x2F,
    Digit0 = 0x30,    // ... Digit9 = 0x39
    Digit9 = 0x39,
    A = 0x41,         // ... Z = 0x5A
    Z = 0x5A,
    LWin = 0x5B,
    RWin = 0x5C,
    Apps = 0x5D,
    Sleep = 0x5F,
    Numpad0 = 0x60,   // ... Numpad9 = 0x69
    Numpad9 = 0x69,
    Multiply = 0x6A,
    Add = 0x6B,
    Separator = 0x6C,
    Subtract = 0x6D,
    Decimal = 0x6E,
    Divide = 0x6F,
    F1 = 0x70,        // ... F24 = 0x87
    F2 = 0x71,
    F3 = 0x72,
    F4 = 0x73,
    F5 = 0x74,
    F6 = 0x75,
    F7 = 0x76,
    F8 = 0x77,
    F9 = 0x78,
    F10 = 0x79,
    F11 = 0x7A,
    F12 = 0x7B,
    F24 = 0x87,
    NumLock = 0x90,
    Scroll = 0x91,
    LShift = 0xA0,
    RShift = 0xA1,
    LControl = 0xA2,
    RControl = 0xA3,
    LMenu = 0xA4,
    RMenu = 0xA5,
    Oem1 = 0xBA,      // ;:
    OemPlus = 0xBB,   // =+
    OemComma = 0xBC,
    OemMinus = 0xBD,
    OemPeriod = 0xBE,
    Oem2 = 0xBF,      // /?
    Oem3 = 0xC0,      // `~
    Oem4 = 0xDB,      // [{
    Oem5 = 0xDC,      // \|
    Oem6 = 0xDD,      // ]}
    Oem7 = 0xDE,      // '"
    Oem102 = 0xE2,    // the extra key left of Z on 102-key keyboards
};
}

// Packing helpers for message parameters.
constexpr intptr_t OsMakeLParam(int32_t low, int32_t high)
{
    return intptr_t(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr uintptr_t OsMakeWParam(uint32_t low, uint32_t high)
{
    return uintptr_t(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr uint32_t OsLoWord(uintptr_t v) { return uint32_t(v) & 0xFFFFu; }
constexpr uint32_t OsHiWord(uintptr_t v) { return (uint32_t(v) >> 16) & 0xFFFFu; }
// Signed coordinates packed in lParam (or a signed wheel delta in wParam's high word).
constexpr int32_t OsLParamX(intptr_t l) { return int16_t(uint16_t(uint32_t(l) & 0xFFFFu)); }
constexpr int32_t OsLParamY(intptr_t l) { return int16_t(uint16_t(uint32_t(l) >> 16)); }
constexpr int32_t OsWheelDelta(uintptr_t w) { return int16_t(uint16_t(uint32_t(w) >> 16)); }
