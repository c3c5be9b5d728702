#include "OsTestSupport.h"

#include "os/window/Timer.h"

namespace {

using MQ = OsMessageFixture;

TEST_F(MQ, SendCallsTheProcedureAtOncePostWaitsForDispatch)
{
    hook = [](OsWindow, uint32_t m, uintptr_t, intptr_t, bool* handled) -> intptr_t {
        *handled = m == OsMsg::User;
        return 77;
    };
    EXPECT_EQ(OsSendMessage(window, OsMsg::User, 1, 2), 77);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].wParam, 1u);
    EXPECT_EQ(calls[0].lParam, 2);

    calls.clear();
    EXPECT_TRUE(OsPostMessage(window, OsMsg::User + 5, 3, 4));
    EXPECT_TRUE(calls.empty());
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.window, window);
    EXPECT_EQ(m.message, OsMsg::User + 5);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_EQ(m.lParam, 4);
    EXPECT_EQ(m.time, 1000u);
    EXPECT_TRUE(calls.empty());
    OsDispatchMessage(m);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, OsMsg::User + 5);
    EXPECT_FALSE(Peek(&m));
}

TEST_F(MQ, PeekWithoutRemoveLeavesTheMessage)
{
    OsPostMessage(window, OsMsg::User, 1, 0);
    OsMessage m;
    ASSERT_TRUE(OsPeekMessage(&m, false));
    ASSERT_TRUE(OsPeekMessage(&m, false));
    ASSERT_TRUE(Peek(&m));
    EXPECT_FALSE(Peek(&m));
}

// Window-state changes reach the procedure directly and never show up in
// the queue.
TEST_F(MQ, WindowStateEventsAreSentNotPosted)
{
    struct Case {
        uint8_t event;
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    const Case cases[] = {
        {SDL_WINDOWEVENT_FOCUS_GAINED, OsMsg::ActivateApp, 1, 0},
        {SDL_WINDOWEVENT_MINIMIZED, OsMsg::Size, OsSize::Minimized, 0},
        {SDL_WINDOWEVENT_RESTORED, OsMsg::Size, OsSize::Restored, OsMakeLParam(480, 360)},
        {SDL_WINDOWEVENT_FOCUS_LOST, OsMsg::ActivateApp, 0, 0},
        {SDL_WINDOWEVENT_CLOSE, OsMsg::Close, 0, 0},
    };
    hook = [](OsWindow, uint32_t m, uintptr_t, intptr_t, bool* handled) -> intptr_t {
        *handled = m == OsMsg::Close;  // keep the window, as the main window does
        return 0;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.event));
        calls.clear();
        WindowEvent(c.event);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].message, c.message);
        EXPECT_EQ(calls[0].wParam, c.wParam);
        EXPECT_EQ(calls[0].lParam, c.lParam);
        EXPECT_TRUE(Drain().empty());
    }
    // Repeating a state that did not change sends nothing.
    calls.clear();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(OsIsWindow(window));
}

TEST_F(MQ, OrderPostedThenInputThenQuitThenPaintThenTimer)
{
    ASSERT_TRUE(OsShowWindow(window, OsShow::Show));  // visible and invalid
    ASSERT_TRUE(OsSetTimer(window, 0, 250));
    now += 300;
    OsPostQuitMessage(7);
    Key(true, SDL_SCANCODE_Q, 'q');
    OsPostMessage(window, OsMsg::User, 0, 0);
    OsPostMessage(nullptr, OsMsg::User + 1, 0, 0);
    Key(false, SDL_SCANCODE_Q, 'q');

    std::vector<uint32_t> order;
    OsMessage m;
    for (int i = 0; i < 10 && Peek(&m); ++i) {
        order.push_back(m.message);
        if (m.message == OsMsg::Paint) {
            // Paint keeps coming until the window is validated.
            OsMessage again;
            ASSERT_TRUE(Peek(&again));
            EXPECT_EQ(again.message, OsMsg::Paint);
            EXPECT_TRUE(OsBeginPaint(window));
            OsEndPaint(window);
        }
        if (m.message == OsMsg::Quit) {
            EXPECT_EQ(m.wParam, 7u);
            EXPECT_EQ(m.window, nullptr);
        }
    }
    const std::vector<uint32_t> expected = {OsMsg::User,  OsMsg::User + 1, OsMsg::KeyDown, OsMsg::KeyUp,
                                            OsMsg::Quit,  OsMsg::Paint,    OsMsg::Timer};
    EXPECT_EQ(order, expected);
}

TEST_F(MQ, FilteredPeekTakesOnlyTheRange)
{
    OsPostMessage(window, OsMsg::User, 0, 0);
    OsMessage m;
    EXPECT_FALSE(Peek(&m, OsMsg::Quit, OsMsg::Quit));
    OsPostQuitMessage(0);
    ASSERT_TRUE(Peek(&m, OsMsg::Quit, OsMsg::Quit));
    EXPECT_EQ(m.message, OsMsg::Quit);
    EXPECT_FALSE(Peek(&m, OsMsg::Quit, OsMsg::Quit));
    // The other message is still there.
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::User);
}

TEST_F(MQ, TimersFireWhenDueAndDoNotCatchUp)
{
    ASSERT_TRUE(OsSetTimer(window, 0, 250));
    OsMessage m;
    EXPECT_FALSE(Peek(&m));
    now = 1249;
    EXPECT_FALSE(Peek(&m));
    now = 1250;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::Timer);
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.window, window);
    EXPECT_FALSE(Peek(&m));
    // Very late: one message, then the next period starts from now.
    now = 3000;
    ASSERT_TRUE(Peek(&m));
    EXPECT_FALSE(Peek(&m));
    now = 3249;
    EXPECT_FALSE(Peek(&m));
    now = 3250;
    EXPECT_TRUE(Peek(&m));
    EXPECT_TRUE(OsKillTimer(window, 0));
    EXPECT_FALSE(OsKillTimer(window, 0));
    now = 9000;
    EXPECT_FALSE(Peek(&m));
    EXPECT_FALSE(OsSetTimer(reinterpret_cast<OsWindow>(uintptr_t(0x1A2B)), 1, 10));
}

// Tracks the control characters that OsTranslateMessage makes.
TEST_F(MQ, TranslateMakesControlCharacters)
{
    struct Case {
        const char* name;
        SDL_Scancode sc;
        SDL_Keycode sym;
        bool ctrl;
        bool alt;
        int expected;  // -1: no character
    };
    const Case cases[] = {
        {"backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, false, false, 8},
        {"tab", SDL_SCANCODE_TAB, SDLK_TAB, false, false, 9},
        {"enter", SDL_SCANCODE_RETURN, SDLK_RETURN, false, false, 13},
        {"keypad enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, false, false, 13},
        {"escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, false, false, 27},
        {"ctrl+a", SDL_SCANCODE_A, 'a', true, false, 1},
        {"ctrl+z", SDL_SCANCODE_Z, 'z', true, false, 26},
        {"ctrl+c", SDL_SCANCODE_C, 'c', true, false, 3},
        {"plain a (comes from text input)", SDL_SCANCODE_A, 'a', false, false, -1},
        {"ctrl+1", SDL_SCANCODE_1, '1', true, false, -1},
        {"alt+enter", SDL_SCANCODE_RETURN, SDLK_RETURN, false, true, -1},
        {"f1", SDL_SCANCODE_F1, SDLK_F1, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OsResetMessageState();
        if (c.ctrl)
            Key(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
        if (c.alt)
            Key(true, SDL_SCANCODE_LALT, SDLK_LALT);
        Key(true, c.sc, c.sym);
        Key(true, SDL_SCANCODE_B, 'b');  // further input that must come after the character
        std::vector<uint32_t> chars;
        OsMessage m;
        bool sawB = false;
        for (int i = 0; i < 10 && Peek(&m); ++i) {
            if (m.message == OsMsg::Char) {
                EXPECT_FALSE(sawB) << "character after later input";
                chars.push_back(uint32_t(m.wParam));
            }
            if ((m.message == OsMsg::KeyDown || m.message == OsMsg::SysKeyDown) && m.wParam == 'B')
                sawB = true;
            else
                OsTranslateMessage(m);
        }
        if (c.expected < 0) {
            EXPECT_TRUE(chars.empty());
        } else {
            ASSERT_EQ(chars.size(), 1u);
            EXPECT_EQ(chars[0], uint32_t(c.expected));
        }
    }
}

TEST_F(MQ, TranslateReportsKeyMessagesOnly)
{
    OsMessage m;
    m.window = window;
    m.message = OsMsg::KeyUp;
    m.wParam = OsKey::Return;
    EXPECT_TRUE(OsTranslateMessage(m));
    m.message = OsMsg::MouseMove;
    EXPECT_FALSE(OsTranslateMessage(m));
    EXPECT_TRUE(Drain().empty());
}

// Alt+F4: the pump first sees the key-down with Alt; dispatching it to the
// default procedure sends the close message.
TEST_F(MQ, AltF4BecomesASentCloseAfterTheKeyDown)
{
    hook = [](OsWindow, uint32_t m, uintptr_t, intptr_t, bool* handled) -> intptr_t {
        *handled = m == OsMsg::Close;
        return 0;
    };
    Focus();
    Key(true, SDL_SCANCODE_LALT, SDLK_LALT);
    Key(true, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT | KMOD_NUM);
    calls.clear();
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::SysKeyDown);
    EXPECT_EQ(m.wParam, OsKey::Menu);
    OsDispatchMessage(m);
    EXPECT_EQ(FindCall(OsMsg::Close), nullptr);
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::SysKeyDown);
    EXPECT_EQ(m.wParam, OsKey::F4);
    EXPECT_NE(uint32_t(m.lParam) & OsKeyBits::AltDown, 0u);
    EXPECT_EQ(FindCall(OsMsg::Close), nullptr);
    OsDispatchMessage(m);
    const std::vector<uint32_t> expected = {OsMsg::SysKeyDown, OsMsg::SysKeyDown, OsMsg::Close};
    EXPECT_EQ(CallIds(), expected);
    EXPECT_TRUE(OsIsWindow(window));

    // F4 without Alt closes nothing.
    OsResetMessageState();
    calls.clear();
    Key(true, SDL_SCANCODE_F4, SDLK_F4);
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::KeyDown);
    OsDispatchMessage(m);
    EXPECT_EQ(FindCall(OsMsg::Close), nullptr);
}

TEST_F(MQ, DefaultCloseDestroysTheWindowAndDropsItsMessages)
{
    OsPostMessage(window, OsMsg::User, 0, 0);
    OsPostMessage(nullptr, OsMsg::User + 1, 0, 0);
    OsSetTimer(window, 1, 10);
    OsSendMessage(window, OsMsg::Close, 0, 0);
    EXPECT_EQ(CallIds(), (std::vector<uint32_t>{OsMsg::Close, OsMsg::Destroy}));
    EXPECT_FALSE(OsIsWindow(window));
    now += 100;
    std::vector<OsMessage> left = Drain();
    ASSERT_EQ(left.size(), 1u);  // only the thread message
    EXPECT_EQ(left[0].message, OsMsg::User + 1);
    EXPECT_EQ(left[0].window, nullptr);
    EXPECT_EQ(OsDispatchMessage(left[0]), 0);

    // A dead handle takes nothing.
    calls.clear();
    EXPECT_FALSE(OsPostMessage(window, OsMsg::User, 0, 0));
    EXPECT_EQ(OsSendMessage(window, OsMsg::User, 0, 0), 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(OsDestroyWindow(window));
}

TEST_F(MQ, DestroyFromInsideTheDestroyMessageIsHarmless)
{
    hook = [](OsWindow w, uint32_t m, uintptr_t, intptr_t, bool*) -> intptr_t {
        if (m == OsMsg::Destroy) {
            EXPECT_FALSE(OsDestroyWindow(w));
            OsPostQuitMessage(0);
        }
        return 0;
    };
    EXPECT_TRUE(OsDestroyWindow(window));
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::Quit);
}

TEST_F(MQ, HandlesAreLookedUpNeverTrusted)
{
    EXPECT_TRUE(OsIsWindow(window));
    EXPECT_FALSE(OsIsWindow(nullptr));
    EXPECT_FALSE(OsIsWindow(reinterpret_cast<OsWindow>(uintptr_t(0x1A2B))));
    EXPECT_EQ(OsWindowFromValue(0x1A2B), nullptr);
    EXPECT_EQ(OsWindowFromValue(OsWindowValue(window)), window);
    EXPECT_EQ(OsGetParent(window), nullptr);

    int x = 0;
    OsSetWindowUserData(window, &x);
    EXPECT_EQ(OsGetWindowUserData(window), &x);
    EXPECT_TRUE(OsSetWindowTitle(window, "Dunmere"));
    EXPECT_EQ(OsGetWindowTitle(window), "Dunmere");
    int32_t w = 0, h = 0;
    EXPECT_TRUE(OsGetClientSize(window, &w, &h));
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 360);

    // A new window never gets the handle of a destroyed one.
    OsWindow old = window;
    OsDestroyWindow(window);
    OsWindowParams p;
    p.headless = true;
    window = OsCreateWindow(p);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window, old);
    EXPECT_FALSE(OsIsWindow(old));
    EXPECT_EQ(OsGetWindowUserData(old), nullptr);
}

TEST_F(MQ, WindowsWithVideoNeedVideo)
{
    if (OsVideoReady())
        GTEST_SKIP() << "video is running";
    OsWindowParams p;
    EXPECT_EQ(OsCreateWindow(p), nullptr);
}

TEST_F(MQ, PaintOnlyForVisibleRestoredWindows)
{
    OsMessage m;
    OsInvalidateWindow(window);
    EXPECT_FALSE(Peek(&m));  // hidden
    OsShowWindow(window, OsShow::Show);
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::Paint);
    OsDispatchMessage(m);  // the default procedure validates
    EXPECT_FALSE(Peek(&m));
    OsShowWindow(window, OsShow::Minimize);
    OsInvalidateWindow(window);
    EXPECT_FALSE(Peek(&m));
    OsShowWindow(window, OsShow::Restore);  // restoring repaints
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::Paint);
}

TEST_F(MQ, HeadlessShowMinimizeRestoreSendTheirMessages)
{
    ASSERT_TRUE(OsShowWindow(window, OsShow::Show));
    EXPECT_TRUE(OsIsWindowVisible(window));
    EXPECT_EQ(OsGetForegroundWindow(), window);
    ASSERT_TRUE(OsShowWindow(window, OsShow::Minimize));
    EXPECT_TRUE(OsIsMinimized(window));
    ASSERT_TRUE(OsShowWindow(window, OsShow::Restore));
    EXPECT_FALSE(OsIsMinimized(window));
    const std::vector<uint32_t> expected = {OsMsg::ActivateApp, OsMsg::Size, OsMsg::Size};
    EXPECT_EQ(CallIds(), expected);
    EXPECT_EQ(calls[1].wParam, OsSize::Minimized);
    EXPECT_EQ(calls[2].wParam, OsSize::Restored);
}

TEST_F(MQ, WaitReturnsAtOnceWhenSomethingIsQueued)
{
    OsSetMessageClock(nullptr);
    OsPostMessage(window, OsMsg::User, 0, 0);
    auto start = SDL_GetTicks64();
    OsWaitMessage(2000);
    EXPECT_LT(SDL_GetTicks64() - start, 500u);
    EXPECT_TRUE(OsHasQueuedMessages());
}

} // namespace
