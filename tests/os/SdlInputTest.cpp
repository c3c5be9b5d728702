#include "OsTestSupport.h"

namespace {

using SdlInput = OsMessageFixture;

struct KeyCase {
    const char* name;
    SDL_Scancode sc;
    SDL_Keycode sym;
    uint16_t mod;
    uint32_t vk;
    uint32_t scan;
    bool extended;
};

// Every kind of key the game can get, with the desktop virtual-key code,
// scan code and extended flag it must carry.
const KeyCase kKeyCases[] = {
    {"a", SDL_SCANCODE_A, 'a', KMOD_NUM, 'A', 0x1E, false},
    {"z", SDL_SCANCODE_Z, 'z', KMOD_NUM, 'Z', 0x2C, false},
    {"m", SDL_SCANCODE_M, 'm', KMOD_NUM, 'M', 0x32, false},
    {"layout letter (q on the A key)", SDL_SCANCODE_A, 'q', KMOD_NUM, 'Q', 0x1E, false},
    {"0", SDL_SCANCODE_0, '0', KMOD_NUM, '0', 0x0B, false},
    {"1", SDL_SCANCODE_1, '1', KMOD_NUM, '1', 0x02, false},
    {"9", SDL_SCANCODE_9, '9', KMOD_NUM, '9', 0x0A, false},
    {"digit on another layout", SDL_SCANCODE_1, '&', KMOD_NUM, '1', 0x02, false},
    {"f1", SDL_SCANCODE_F1, SDLK_F1, KMOD_NUM, 112, 0x3B, false},
    {"f5", SDL_SCANCODE_F5, SDLK_F5, KMOD_NUM, 116, 0x3F, false},
    {"f11", SDL_SCANCODE_F11, SDLK_F11, KMOD_NUM, 122, 0x57, false},
    {"f12", SDL_SCANCODE_F12, SDLK_F12, KMOD_NUM, 123, 0x58, false},
    {"left", SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_NUM, 37, 0x4B, true},
    {"up", SDL_SCANCODE_UP, SDLK_UP, KMOD_NUM, 38, 0x48, true},
    {"right", SDL_SCANCODE_RIGHT, SDLK_RIGHT, KMOD_NUM, 39, 0x4D, true},
    {"down", SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NUM, 40, 0x50, true},
    {"insert", SDL_SCANCODE_INSERT, SDLK_INSERT, KMOD_NUM, 45, 0x52, true},
    {"delete", SDL_SCANCODE_DELETE, SDLK_DELETE, KMOD_NUM, 46, 0x53, true},
    {"home", SDL_SCANCODE_HOME, SDLK_HOME, KMOD_NUM, 36, 0x47, true},
    {"end", SDL_SCANCODE_END, SDLK_END, KMOD_NUM, 35, 0x4F, true},
    {"page up", SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, KMOD_NUM, 33, 0x49, true},
    {"page down", SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, KMOD_NUM, 34, 0x51, true},
    {"enter", SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NUM, 13, 0x1C, false},
    {"keypad enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_NUM, 13, 0x1C, true},
    {"escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NUM, 27, 0x01, false},
    {"tab", SDL_SCANCODE_TAB, SDLK_TAB, KMOD_NUM, 9, 0x0F, false},
    {"backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NUM, 8, 0x0E, false},
    {"space", SDL_SCANCODE_SPACE, SDLK_SPACE, KMOD_NUM, 32, 0x39, false},
    {"left shift", SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_NUM, 16, 0x2A, false},
    {"right shift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_NUM, 16, 0x36, false},
    {"left ctrl", SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NUM, 17, 0x1D, false},
    {"right ctrl", SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_NUM, 17, 0x1D, true},
    {"keypad 0", SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM, 96, 0x52, false},
    {"keypad 5", SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NUM, 101, 0x4C, false},
    {"keypad 9", SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_NUM, 105, 0x49, false},
    {"keypad .", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM, 110, 0x53, false},
    {"keypad *", SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, KMOD_NUM, 106, 0x37, false},
    {"keypad +", SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NUM, 107, 0x4E, false},
    {"keypad -", SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, KMOD_NUM, 109, 0x4A, false},
    {"keypad /", SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, KMOD_NUM, 111, 0x35, true},
    {"keypad 1, num lock off", SDL_SCANCODE_KP_1, SDLK_KP_1, KMOD_NONE, 35, 0x4F, false},
    {"keypad 0, num lock off", SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NONE, 45, 0x52, false},
    {"keypad 5, num lock off", SDL_SCANCODE_KP_5, SDLK_KP_5, KMOD_NONE, 12, 0x4C, false},
    {"keypad 8, num lock off", SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NONE, 38, 0x48, false},
    {"keypad ., num lock off", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NONE, 46, 0x53, false},
    {"minus", SDL_SCANCODE_MINUS, SDLK_MINUS, KMOD_NUM, 0xBD, 0x0C, false},
    {"equals", SDL_SCANCODE_EQUALS, SDLK_EQUALS, KMOD_NUM, 0xBB, 0x0D, false},
    {"comma", SDL_SCANCODE_COMMA, SDLK_COMMA, KMOD_NUM, 0xBC, 0x33, false},
    {"period", SDL_SCANCODE_PERIOD, SDLK_PERIOD, KMOD_NUM, 0xBE, 0x34, false},
    {"slash", SDL_SCANCODE_SLASH, SDLK_SLASH, KMOD_NUM, 0xBF, 0x35, false},
    {"semicolon", SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, KMOD_NUM, 0xBA, 0x27, false},
    {"apostrophe", SDL_SCANCODE_APOSTROPHE, SDLK_QUOTE, KMOD_NUM, 0xDE, 0x28, false},
    {"grave", SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, KMOD_NUM, 0xC0, 0x29, false},
    {"left bracket", SDL_SCANCODE_LEFTBRACKET, SDLK_LEFTBRACKET, KMOD_NUM, 0xDB, 0x1A, false},
    {"backslash", SDL_SCANCODE_BACKSLASH, SDLK_BACKSLASH, KMOD_NUM, 0xDC, 0x2B, false},
    {"caps lock", SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, KMOD_NUM, 20, 0x3A, false},
    {"pause", SDL_SCANCODE_PAUSE, SDLK_PAUSE, KMOD_NUM, 19, 0x45, false},
};

TEST_F(SdlInput, KeyDownAndUpCarryExactCodesAndBits)
{
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.name);
        OsResetMessageState();
        Key(true, c.sc, c.sym, c.mod);
        Key(false, c.sc, c.sym, c.mod);
        std::vector<OsMessage> got = Drain();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].message, OsMsg::KeyDown);
        EXPECT_EQ(got[1].message, OsMsg::KeyUp);
        for (const OsMessage& m : got) {
            EXPECT_EQ(m.wParam, c.vk);
            EXPECT_EQ(m.window, window);
        }
        uint32_t expectedDown = 1u | (c.scan << 16) | (c.extended ? OsKeyBits::Extended : 0u);
        EXPECT_EQ(uint32_t(got[0].lParam), expectedDown);
        EXPECT_EQ(uint32_t(got[1].lParam), expectedDown | OsKeyBits::PreviousDown | OsKeyBits::Released);
    }
}

TEST_F(SdlInput, AutoRepeatSetsThePreviousStateBit)
{
    Key(true, SDL_SCANCODE_X, 'x');
    Key(true, SDL_SCANCODE_X, 'x', KMOD_NUM, true);
    Key(true, SDL_SCANCODE_X, 'x', KMOD_NUM, true);
    Key(false, SDL_SCANCODE_X, 'x');
    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].message, OsMsg::KeyDown);
        EXPECT_EQ(uint32_t(got[i].lParam) & OsKeyBits::RepeatMask, 1u);
        EXPECT_EQ((uint32_t(got[i].lParam) & OsKeyBits::PreviousDown) != 0, i > 0);
    }
    EXPECT_EQ(got[3].message, OsMsg::KeyUp);
}

TEST_F(SdlInput, AltMakesSystemKeysAndF10IsOneToo)
{
    struct Step {
        bool down;
        SDL_Scancode sc;
        SDL_Keycode sym;
        uint32_t message;
        uint32_t vk;
        bool altBit;
    };
    const Step steps[] = {
        {true, SDL_SCANCODE_LALT, SDLK_LALT, OsMsg::SysKeyDown, OsKey::Menu, true},
        {true, SDL_SCANCODE_X, 'x', OsMsg::SysKeyDown, 'X', true},
        {false, SDL_SCANCODE_X, 'x', OsMsg::SysKeyUp, 'X', true},
        {true, SDL_SCANCODE_RETURN, SDLK_RETURN, OsMsg::SysKeyDown, OsKey::Return, true},
        {false, SDL_SCANCODE_RETURN, SDLK_RETURN, OsMsg::SysKeyUp, OsKey::Return, true},
        // Ctrl+Alt (AltGr on the original) gives plain key messages with the Alt bit.
        {true, SDL_SCANCODE_LCTRL, SDLK_LCTRL, OsMsg::KeyDown, OsKey::Control, true},
        {true, SDL_SCANCODE_Q, 'q', OsMsg::KeyDown, 'Q', true},
        {false, SDL_SCANCODE_Q, 'q', OsMsg::KeyUp, 'Q', true},
        {false, SDL_SCANCODE_LCTRL, SDLK_LCTRL, OsMsg::SysKeyUp, OsKey::Control, true},
        {false, SDL_SCANCODE_LALT, SDLK_LALT, OsMsg::SysKeyUp, OsKey::Menu, true},
        {true, SDL_SCANCODE_X, 'x', OsMsg::KeyDown, 'X', false},
        {false, SDL_SCANCODE_X, 'x', OsMsg::KeyUp, 'X', false},
        {true, SDL_SCANCODE_F10, SDLK_F10, OsMsg::SysKeyDown, OsKey::F10, false},
        {false, SDL_SCANCODE_F10, SDLK_F10, OsMsg::SysKeyUp, OsKey::F10, false},
        {true, SDL_SCANCODE_RALT, SDLK_RALT, OsMsg::SysKeyDown, OsKey::Menu, true},
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        Key(s.down, s.sc, s.sym);
        std::vector<OsMessage> got = Drain();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, s.message);
        EXPECT_EQ(got[0].wParam, s.vk);
        EXPECT_EQ((uint32_t(got[0].lParam) & OsKeyBits::AltDown) != 0, s.altBit);
    }
    // Right Alt is the extended Alt key.
    EXPECT_EQ(OsKeyFromSdl(SDL_SCANCODE_RALT, SDLK_RALT, 0).extended, true);
    EXPECT_LT(OsGetKeyState(OsKey::RMenu), 0);
    EXPECT_LT(OsGetKeyState(OsKey::Menu), 0);
    EXPECT_GE(OsGetKeyState(OsKey::LMenu), 0);
}

TEST_F(SdlInput, KeyStateFollowsTheMessagesTakenFromTheQueue)
{
    Key(true, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    EXPECT_LT(OsGetAsyncKeyState(OsKey::Shift), 0);
    EXPECT_GE(OsGetKeyState(OsKey::Shift), 0);  // not pumped yet
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_LT(OsGetKeyState(OsKey::Shift), 0);
    EXPECT_LT(OsGetKeyState(OsKey::RShift), 0);
    EXPECT_GE(OsGetKeyState(OsKey::LShift), 0);
    EXPECT_GE(OsGetKeyState(OsKey::Control), 0);
    Key(false, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    ASSERT_TRUE(Peek(&m));
    EXPECT_GE(OsGetKeyState(OsKey::Shift), 0);
    // Both shift keys: the generic code stays down until both are up.
    Key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Key(true, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    Key(false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Drain();
    EXPECT_LT(OsGetKeyState(OsKey::Shift), 0);
    Key(false, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    Drain();
    EXPECT_GE(OsGetKeyState(OsKey::Shift), 0);
    // Caps Lock's low bit is the lock as SDL reports it.
    Key(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, KMOD_CAPS);
    EXPECT_EQ(OsGetAsyncKeyState(OsKey::Capital) & 1, 1);
    Drain();
    EXPECT_EQ(OsGetKeyState(OsKey::Capital) & 1, 1);
    Key(false, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, KMOD_CAPS);
    Key(true, SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, KMOD_NONE);  // off again
    Drain();
    EXPECT_EQ(OsGetKeyState(OsKey::Capital) & 1, 0);
}

TEST_F(SdlInput, TextBecomesOneByteCharacters)
{
    struct Case {
        const char* name;
        const char* utf8;
        std::vector<uint32_t> chars;
    };
    const Case cases[] = {
        {"ascii", "a", {'a'}},
        {"two", "Hi", {'H', 'i'}},
        {"space and punctuation", " ~", {' ', '~'}},
        {"latin-1 e acute", "\xC3\xA9", {0xE9}},
        {"latin-1 y diaeresis", "\xC3\xBF", {0xFF}},
        {"latin-1 nbsp", "\xC2\xA0", {0xA0}},
        {"euro sign is dropped", "\xE2\x82\xAC", {}},
        {"emoji is dropped", "\xF0\x9F\x98\x80", {}},
        {"mixed", "a\xE2\x82\xAC" "b\xC3\xA4", {'a', 'b', 0xE4}},
        {"C1 control dropped", "\xC2\x85", {}},
        {"DEL dropped", "\x7F", {}},
        {"control dropped", "\x01", {}},
        {"truncated sequence dropped", "\xC3", {}},
        {"overlong dropped", "\xC1\xA1", {}},
        {"stray continuation dropped", "\xA9z", {'z'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text(c.utf8);
        std::vector<uint32_t> got;
        for (const OsMessage& m : Drain()) {
            EXPECT_EQ(m.message, OsMsg::Char);
            got.push_back(uint32_t(m.wParam));
        }
        EXPECT_EQ(got, c.chars);
    }
}

TEST_F(SdlInput, TextWithCtrlIsDroppedAndWithLeftAltIsSystemCharacters)
{
    Key(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    Text("a");
    Key(false, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    Key(true, SDL_SCANCODE_LALT, SDLK_LALT);
    Text("b");
    Key(false, SDL_SCANCODE_LALT, SDLK_LALT);
    Key(true, SDL_SCANCODE_RALT, SDLK_RALT);  // AltGr
    Text("@");
    std::vector<std::pair<uint32_t, uint32_t>> chars;
    for (const OsMessage& m : Drain()) {
        if (m.message == OsMsg::Char || m.message == OsMsg::SysChar)
            chars.emplace_back(m.message, uint32_t(m.wParam));
    }
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {{OsMsg::SysChar, 'b'}, {OsMsg::Char, '@'}};
    EXPECT_EQ(chars, expected);
}

TEST_F(SdlInput, MouseButtonsCarryFlagsAndPositions)
{
    Focus();
    struct Case {
        uint8_t button;
        uint32_t down;
        uint32_t up;
        uint32_t flag;
        uint32_t xbutton;
    };
    const Case cases[] = {
        {SDL_BUTTON_LEFT, OsMsg::LButtonDown, OsMsg::LButtonUp, OsMk::LButton, 0},
        {SDL_BUTTON_RIGHT, OsMsg::RButtonDown, OsMsg::RButtonUp, OsMk::RButton, 0},
        {SDL_BUTTON_MIDDLE, OsMsg::MButtonDown, OsMsg::MButtonUp, OsMk::MButton, 0},
        {SDL_BUTTON_X1, OsMsg::XButtonDown, OsMsg::XButtonUp, OsMk::XButton1, OsXButton::First},
        {SDL_BUTTON_X2, OsMsg::XButtonDown, OsMsg::XButtonUp, OsMk::XButton2, OsXButton::Second},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.button));
        calls.clear();
        Button(true, c.button, 10, 20);
        // The cursor is asked for first, with the button message in the high word.
        const ProcCall* sc = FindCall(OsMsg::SetCursor);
        ASSERT_NE(sc, nullptr);
        EXPECT_EQ(OsLoWord(uintptr_t(sc->lParam)), uint32_t(OsHit::Client));
        EXPECT_EQ(OsHiWord(uintptr_t(sc->lParam)), c.down);
        EXPECT_EQ(FindCall(OsMsg::MouseActivate), nullptr);
        Button(false, c.button, 11, 21);
        std::vector<OsMessage> got = Drain();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].message, c.down);
        EXPECT_EQ(OsLoWord(got[0].wParam), c.flag);
        EXPECT_EQ(OsHiWord(got[0].wParam), c.xbutton);
        EXPECT_EQ(got[0].lParam, OsMakeLParam(10, 20));
        EXPECT_EQ(got[1].message, c.up);
        EXPECT_EQ(OsLoWord(got[1].wParam), 0u);
        EXPECT_EQ(OsHiWord(got[1].wParam), c.xbutton);
        EXPECT_EQ(got[1].lParam, OsMakeLParam(11, 21));
    }
    // Held buttons and Shift/Ctrl show in later messages.
    Key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Key(true, SDL_SCANCODE_RCTRL, SDLK_RCTRL);
    Button(true, SDL_BUTTON_LEFT, 5, 5);
    Button(true, SDL_BUTTON_RIGHT, 5, 5);
    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(OsLoWord(got[3].wParam), OsMk::LButton | OsMk::RButton | OsMk::Shift | OsMk::Control);
    EXPECT_LT(OsGetKeyState(OsKey::LButton), 0);
}

TEST_F(SdlInput, MovesAreMergedAndAskForTheCursor)
{
    Focus();
    Motion(1, 2);
    Motion(3, 4);
    Motion(5, 6);
    int setCursor = 0;
    for (const ProcCall& c : calls) {
        if (c.message == OsMsg::SetCursor) {
            ++setCursor;
            EXPECT_EQ(c.wParam, OsWindowValue(window));
            EXPECT_EQ(OsLoWord(uintptr_t(c.lParam)), uint32_t(OsHit::Client));
            EXPECT_EQ(OsHiWord(uintptr_t(c.lParam)), OsMsg::MouseMove);
        }
    }
    EXPECT_EQ(setCursor, 3);
    Key(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
    Motion(7, 8);
    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, OsMsg::MouseMove);
    EXPECT_EQ(got[0].lParam, OsMakeLParam(5, 6));
    EXPECT_EQ(got[0].wParam, 0u);
    EXPECT_EQ(got[1].message, OsMsg::KeyDown);
    EXPECT_EQ(got[2].message, OsMsg::MouseMove);
    EXPECT_EQ(got[2].wParam, OsMk::Control);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(OsGetCursorClientPos(window, &x, &y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_TRUE(OsIsPointerInside(window));
}

TEST_F(SdlInput, WheelNotchesAre120)
{
    Focus();
    Motion(50, 60);
    Drain();
    Key(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
    Drain();
    const std::pair<int, int> cases[] = {{1, 120}, {-1, -120}, {3, 360}, {-2, -240}};
    for (auto [notches, delta] : cases) {
        Wheel(notches);
        std::vector<OsMessage> got = Drain();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].message, OsMsg::MouseWheel);
        EXPECT_EQ(OsWheelDelta(got[0].wParam), delta);
        EXPECT_EQ(OsLoWord(got[0].wParam), OsMk::Shift);
        EXPECT_EQ(got[0].lParam, OsMakeLParam(50, 60));  // screen = client for a headless window
    }
    Wheel(1, true);
    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(OsWheelDelta(got[0].wParam), -120);
    Wheel(0);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(SdlInput, ClickOnAnInactiveWindowIsAMouseActivation)
{
    // Not focused at all.
    Button(true, SDL_BUTTON_LEFT, 10, 10);
    Button(false, SDL_BUTTON_LEFT, 10, 10);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].message, OsMsg::MouseActivate);
    EXPECT_EQ(OsHiWord(uintptr_t(calls[0].lParam)), OsMsg::LButtonDown);
    EXPECT_EQ(calls[1].message, OsMsg::SetCursor);
    EXPECT_EQ(Drain().size(), 2u);

    // Focus came just before the click (the click gave it).
    calls.clear();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    now += 40;
    Button(true, SDL_BUTTON_LEFT, 10, 10);
    EXPECT_NE(FindCall(OsMsg::MouseActivate), nullptr);
    // The next click on the active window is an ordinary one.
    calls.clear();
    now += 10;
    Button(false, SDL_BUTTON_LEFT, 10, 10);
    Button(true, SDL_BUTTON_LEFT, 10, 10);
    EXPECT_EQ(FindCall(OsMsg::MouseActivate), nullptr);
    Drain();

    // A procedure may eat the activating click.
    hook = [](OsWindow, uint32_t m, uintptr_t, intptr_t, bool* handled) -> intptr_t {
        *handled = m == OsMsg::MouseActivate;
        return OsMouseActivate::ActivateAndEat;
    };
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Button(false, SDL_BUTTON_LEFT, 10, 10);
    Drain();
    Button(true, SDL_BUTTON_RIGHT, 10, 10);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(SdlInput, EventsForUnknownWindowsAreIgnored)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = 999999;
    e.key.keysym.scancode = SDL_SCANCODE_A;
    e.key.keysym.sym = 'a';
    OsHandleSdlEvent(e);
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = 999999;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    OsHandleSdlEvent(e);
    EXPECT_TRUE(Drain().empty());
    EXPECT_TRUE(calls.empty());
}

TEST_F(SdlInput, QuitEventAsksTheWindowToClose)
{
    hook = [](OsWindow, uint32_t m, uintptr_t, intptr_t, bool* handled) -> intptr_t {
        *handled = m == OsMsg::Close;
        return 0;
    };
    SDL_Event e{};
    e.type = SDL_QUIT;
    OsHandleSdlEvent(e);
    EXPECT_EQ(CallIds(), std::vector<uint32_t>{OsMsg::Close});
    EXPECT_TRUE(Drain().empty());
}

} // namespace
