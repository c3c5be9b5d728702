// The message pump with an SDL window on a real X display: the wait sleeps
// on the X connection and ends for X input, for another thread's post, or at
// its time-out; a peek takes X input in wherever it waits.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "os/window/MessageQueue.h"
#include "os/window/Window.h"

namespace {

std::vector<uint32_t> gMessages;

intptr_t Proc(OsWindow w, uint32_t m, uintptr_t wp, intptr_t lp)
{
    gMessages.push_back(m);
    if (m == OsMsg::Close)
        return 0;  // noted, the window stays
    return OsDefWindowProc(w, m, wp, lp);
}

bool Received(uint32_t message)
{
    for (uint32_t m : gMessages) {
        if (m == message)
            return true;
    }
    return false;
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Generous against a loaded machine, far below the waits' own time-outs.
constexpr auto kPrompt = milliseconds(2000);

class MessageWaitX : public ::testing::Test {
protected:
    OsWindow window = nullptr;
    Window xWindow = 0;
    Display* display = nullptr;  // ours, shared with SDL
    Display* other = nullptr;    // a second X client

    void SetUp() override
    {
        OsSetMessageClock(nullptr);
        OsResetMessageState();
        ASSERT_TRUE(OsInitVideo()) << SDL_GetError();
        OsWindowParams p;
        p.title = "wait";
        p.proc = &Proc;
        window = OsCreateWindow(p);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(static_cast<SDL_Window*>(OsGetSdlWindow(window)), &info));
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        xWindow = info.info.x11.window;
        display = info.info.x11.display;
        other = XOpenDisplay(nullptr);
        ASSERT_NE(other, nullptr);
        Settle();
        gMessages.clear();
    }

    void TearDown() override
    {
        if (other)
            XCloseDisplay(other);
        if (OsIsWindow(window))
            OsDestroyWindow(window);
        OsShutdownVideo();
    }

    // The other client asks the window to close, as a window manager's
    // close button does; the event is on its way once this returns.
    void SendClose() const
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = xWindow;
        e.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(XInternAtom(other, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(other, xWindow, False, 0, &e);
        XSync(other, False);
    }

    static void Drain()
    {
        OsMessage m;
        for (int i = 0; i < 1000 && OsPeekMessage(&m, true);)
            ++i;
    }

    // The X server answers a new window with a few events of its own; the
    // tests start once a wait of 20 ms passes without any.
    static void Settle()
    {
        auto end = Clock::now() + milliseconds(3000);
        do {
            Drain();
            auto start = Clock::now();
            OsWaitMessage(20);
            if (Clock::now() - start >= milliseconds(20))
                return;
        } while (Clock::now() < end);
        FAIL() << "the X connection never went quiet";
    }

    // How long OsWaitMessage(timeoutMs) took while `act` ran on another
    // thread 30 ms into the wait.
    static Clock::duration WaitWhile(uint32_t timeoutMs, const std::function<void()>& act)
    {
        std::thread actor([&] {
            std::this_thread::sleep_for(milliseconds(30));
            act();
        });
        auto start = Clock::now();
        OsWaitMessage(timeoutMs);
        auto took = Clock::now() - start;
        actor.join();
        return took;
    }
};

TEST_F(MessageWaitX, NothingHappeningWaitsTheWholeTimeout)
{
    for (uint32_t timeout : {1u, 25u}) {
        SCOPED_TRACE(timeout);
        auto start = Clock::now();
        OsWaitMessage(timeout);
        auto took = Clock::now() - start;
        EXPECT_GE(took, milliseconds(timeout));
        EXPECT_LT(took, milliseconds(timeout) + milliseconds(500));
    }
}

TEST_F(MessageWaitX, AnEventFromAnotherXClientEndsTheWait)
{
    auto took = WaitWhile(10000, [&] { SendClose(); });
    EXPECT_LT(took, kPrompt);
    OsMessage m;
    OsPeekMessage(&m, true);
    EXPECT_TRUE(Received(OsMsg::Close));
}

// Right after a pump and a wait that saw nothing, X input ends the next wait
// at once and the next peek takes it in: from the connection, and from
// Xlib's queue, where events read along with a reply wait and the
// connection no longer shows them.
TEST_F(MessageWaitX, XInputIsSeenWhereverItWaits)
{
    for (bool heldByXlib : {false, true}) {
        SCOPED_TRACE(heldByXlib ? "in Xlib's queue" : "on the connection");
        OsMessage m;
        OsPeekMessage(&m, true);
        OsWaitMessage(1);
        gMessages.clear();
        SendClose();
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        ASSERT_EQ(poll(&fd, 1, 2000), 1);
        if (heldByXlib) {
            XSync(display, False);
            ASSERT_GT(QLength(display), 0);
        }
        auto start = Clock::now();
        OsWaitMessage(10000);
        EXPECT_LT(Clock::now() - start, kPrompt);
        OsPeekMessage(&m, true);
        EXPECT_TRUE(Received(OsMsg::Close));
    }
}

TEST_F(MessageWaitX, AnotherThreadsPostEndsTheWait)
{
    auto took = WaitWhile(10000, [&] { OsPostMessage(window, OsMsg::User, 9, 0); });
    EXPECT_LT(took, kPrompt);
    OsMessage m;
    ASSERT_TRUE(OsPeekMessage(&m, true));
    EXPECT_EQ(m.message, OsMsg::User);
    EXPECT_EQ(m.wParam, 9u);
}

TEST_F(MessageWaitX, EventsSdlAlreadyQueuedEndTheWaitAtOnce)
{
    SDL_Event e{};
    e.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    auto start = Clock::now();
    OsWaitMessage(10000);
    EXPECT_LT(Clock::now() - start, kPrompt);
    OsMessage m;
    OsPeekMessage(&m, true);  // takes the event in; it makes no message
    EXPECT_FALSE(SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT));
}

} // namespace
