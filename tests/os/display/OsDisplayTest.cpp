// The stand-in layer on a real X display (run under Xvfb without a window
// manager).
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <vector>

#include "os/window/Clipboard.h"
#include "os/window/Input.h"
#include "os/window/MessageQueue.h"
#include "os/window/Timer.h"
#include "os/window/Window.h"

namespace {

struct Call {
    uint32_t message;
    uintptr_t wParam;
    bool duringPeek;
};

std::vector<Call> gCalls;
bool gInPeek = false;

intptr_t Proc(OsWindow w, uint32_t m, uintptr_t wp, intptr_t lp)
{
    gCalls.push_back({m, wp, gInPeek});
    if (m == OsMsg::Close)
        return 0;  // the main window only notes the request
    return OsDefWindowProc(w, m, wp, lp);
}

class OsDisplay : public ::testing::Test {
protected:
    OsWindow window = nullptr;

    void SetUp() override
    {
        gCalls.clear();
        OsSetMessageClock(nullptr);
        OsResetMessageState();
        ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
        OsWindowParams p;
        p.title = "Dunmere";
        p.proc = &Proc;
        window = OsCreateWindow(p);
        ASSERT_NE(window, nullptr) << SDL_GetError();
    }
    void TearDown() override
    {
        if (OsIsWindow(window))
            OsDestroyWindow(window);
        OsShutdownVideo();
    }

    bool Peek(OsMessage* m)
    {
        gInPeek = true;
        bool r = OsPeekMessage(m, true);
        gInPeek = false;
        return r;
    }

    // Pumps until pred() holds or the time is up; posted messages are dispatched.
    template <class Pred>
    bool PumpUntil(Pred pred, int ms = 3000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            OsMessage m;
            if (Peek(&m)) {
                OsTranslateMessage(m);
                OsDispatchMessage(m);
            } else {
                OsWaitMessage(10);
            }
        }
        return true;
    }

    const Call* Find(uint32_t message, uintptr_t wParam) const
    {
        for (const Call& c : gCalls) {
            if (c.message == message && c.wParam == wParam)
                return &c;
        }
        return nullptr;
    }

    uint32_t SdlId() const { return SDL_GetWindowID(static_cast<SDL_Window*>(OsGetSdlWindow(window))); }
};

TEST_F(OsDisplay, WindowIsAHiddenFixedSizeGlWindowUntilShown)
{
    auto* sdl = static_cast<SDL_Window*>(OsGetSdlWindow(window));
    ASSERT_NE(sdl, nullptr);
    uint32_t flags = SDL_GetWindowFlags(sdl);
    EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
    EXPECT_NE(flags & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);
    EXPECT_FALSE(OsIsWindowVisible(window));
    int32_t w = 0, h = 0;
    ASSERT_TRUE(OsGetClientSize(window, &w, &h));
    EXPECT_EQ(w, 480);
    EXPECT_EQ(h, 360);
    EXPECT_EQ(OsWindowFromEventId(SdlId()), window);

    EXPECT_TRUE(OsSetWindowTitle(window, "Quiz \xC3\xA9"));
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Quiz \xC3\xA9");

    // Shown, it takes the focus even without a window manager, and the
    // activation reaches the procedure from inside the pump.
    ASSERT_TRUE(OsShowWindow(window, OsShow::Show));
    ASSERT_TRUE(PumpUntil([&] { return Find(OsMsg::ActivateApp, 1) != nullptr; }));
    EXPECT_TRUE(Find(OsMsg::ActivateApp, 1)->duringPeek);
    EXPECT_EQ(OsGetForegroundWindow(), window);
    EXPECT_TRUE(OsIsWindowVisible(window));
    // It also wants painting (the default procedure validates).
    ASSERT_TRUE(PumpUntil([&] { return Find(OsMsg::Paint, 0) != nullptr; }));
    OsMessage m;
    EXPECT_FALSE(OsPeekMessage(&m, false, OsMsg::Paint, OsMsg::Paint));
}

TEST_F(OsDisplay, WindowManagerCloseIsSentInsideThePeek)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SdlId();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    OsMessage m;
    EXPECT_FALSE(Peek(&m));  // nothing posted
    const Call* close = Find(OsMsg::Close, 0);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->duringPeek);
    EXPECT_TRUE(OsIsWindow(window));
}

TEST_F(OsDisplay, KeysAndTextFromSdlArePosted)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SdlId();
    e.key.keysym.scancode = SDL_SCANCODE_DELETE;
    e.key.keysym.sym = SDLK_DELETE;
    e.key.keysym.mod = KMOD_NUM;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    t.text.windowID = SdlId();
    SDL_strlcpy(t.text.text, "\xC3\xBC", sizeof t.text.text);
    ASSERT_EQ(SDL_PushEvent(&t), 1);
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::KeyDown);
    EXPECT_EQ(m.wParam, OsKey::Delete);
    EXPECT_NE(uint32_t(m.lParam) & OsKeyBits::Extended, 0u);
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::Char);
    EXPECT_EQ(m.wParam, 0xFCu);
}

TEST_F(OsDisplay, TimersRunOnTheRealClock)
{
    ASSERT_TRUE(OsSetTimer(window, 0, 30));
    int timers = 0;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] {
        for (const Call& c : gCalls)
            timers += c.message == OsMsg::Timer;
        gCalls.clear();
        return timers >= 2;
    }));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(55));
}

TEST_F(OsDisplay, ClipboardRoundTripsLatin1)
{
    const std::string text = "caf\xE9 \xA3" "5 \xFF";
    ASSERT_TRUE(OsSetClipboardText(text));
    EXPECT_TRUE(OsHasClipboardText());
    EXPECT_EQ(OsGetClipboardText(), text);
    char* raw = SDL_GetClipboardText();
    ASSERT_NE(raw, nullptr);
    EXPECT_STREQ(raw, "caf\xC3\xA9 \xC2\xA3" "5 \xC3\xBF");
    SDL_free(raw);
}

TEST_F(OsDisplay, CaptureWorksWithARealWindow)
{
    ASSERT_TRUE(OsShowWindow(window, OsShow::Show));
    ASSERT_TRUE(PumpUntil([&] { return OsGetForegroundWindow() == window; }));
    EXPECT_EQ(OsSetCapture(window), nullptr);
    EXPECT_EQ(OsGetCapture(), window);
    gCalls.clear();
    EXPECT_TRUE(OsReleaseCapture());
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].message, OsMsg::CaptureChanged);
}

TEST_F(OsDisplay, DestroyClosesTheSdlWindow)
{
    uint32_t id = SdlId();
    ASSERT_NE(SDL_GetWindowFromID(id), nullptr);
    ASSERT_TRUE(OsDestroyWindow(window));
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
    ASSERT_FALSE(gCalls.empty());
    EXPECT_EQ(gCalls.back().message, OsMsg::Destroy);
}

} // namespace
