// OsWaitMessage on the real clock, and messages posted by other threads.
// Without video the wait watches only the wake-up descriptor; the X display
// path is covered by the display tests.
#include "OsTestSupport.h"

#include <chrono>
#include <thread>

#include "os/window/Timer.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class MessageWait : public OsMessageFixture {
protected:
    void SetUp() override
    {
        OsMessageFixture::SetUp();
        OsSetMessageClock(nullptr);
    }

    // How long OsWaitMessage(timeoutMs) took.
    static Clock::duration TimedWait(uint32_t timeoutMs)
    {
        auto start = Clock::now();
        OsWaitMessage(timeoutMs);
        return Clock::now() - start;
    }
};

// Generous against a loaded machine, far below the waits' own time-outs.
constexpr auto kPrompt = milliseconds(2000);

TEST_F(MessageWait, NothingHappeningWaitsTheWholeTimeout)
{
    for (uint32_t timeout : {1u, 25u}) {
        SCOPED_TRACE(timeout);
        auto took = TimedWait(timeout);
        EXPECT_GE(took, milliseconds(timeout));
        EXPECT_LT(took, milliseconds(timeout) + milliseconds(500));
    }
    EXPECT_LT(TimedWait(0), milliseconds(500));
}

TEST_F(MessageWait, AnotherThreadsPostEndsTheWaitOnce)
{
    std::thread poster([this] {
        std::this_thread::sleep_for(milliseconds(30));
        OsPostMessage(window, OsMsg::User + 1, 5, 6);
    });
    auto took = TimedWait(10000);
    poster.join();
    EXPECT_LT(took, kPrompt);

    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.window, window);
    EXPECT_EQ(m.message, OsMsg::User + 1);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_EQ(m.lParam, 6);
    EXPECT_FALSE(Peek(&m));

    // The wake-up was used up: the next wait sleeps again.
    EXPECT_GE(TimedWait(25), milliseconds(25));
}

TEST_F(MessageWait, APostWaitingForThePumpEndsTheWaitAtOnce)
{
    std::thread([this] { OsPostMessage(window, OsMsg::User, 0, 0); }).join();
    EXPECT_TRUE(OsHasQueuedMessages());
    EXPECT_LT(TimedWait(10000), kPrompt);
    OsMessage m;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::User);
}

TEST_F(MessageWait, OtherThreadsPostsArriveOnceAndInTheirOrder)
{
    constexpr uintptr_t kEach = 300;
    auto post = [this](intptr_t thread) {
        for (uintptr_t i = 0; i < kEach; ++i)
            OsPostMessage(window, OsMsg::User, i, thread);
    };
    std::thread a(post, 0);
    std::thread b(post, 1);

    uintptr_t next[2] = {0, 0};
    auto end = Clock::now() + milliseconds(10000);
    while ((next[0] < kEach || next[1] < kEach) && Clock::now() < end) {
        OsMessage m;
        if (!Peek(&m)) {
            OsWaitMessage(100);
            continue;
        }
        ASSERT_EQ(m.message, OsMsg::User);
        ASSERT_TRUE(m.lParam == 0 || m.lParam == 1);
        ASSERT_EQ(m.wParam, next[m.lParam]) << "thread " << m.lParam;
        ++next[m.lParam];
    }
    a.join();
    b.join();
    EXPECT_EQ(next[0], kEach);
    EXPECT_EQ(next[1], kEach);
    OsMessage m;
    EXPECT_FALSE(Peek(&m));
}

TEST_F(MessageWait, OtherThreadsPostsAreCheckedWhenThePumpTakesThemIn)
{
    OsWindowParams p;
    p.headless = true;
    OsWindow doomed = OsCreateWindow(p);
    ASSERT_NE(doomed, nullptr);
    std::thread([&] {
        // Queued without a look at the window table, which is the main thread's.
        EXPECT_TRUE(OsPostMessage(doomed, OsMsg::User + 1, 0, 0));
        EXPECT_TRUE(OsPostMessage(reinterpret_cast<OsWindow>(uintptr_t(0x1234)), OsMsg::User + 2, 0, 0));
        EXPECT_TRUE(OsPostMessage(nullptr, OsMsg::User + 3, 0, 0));
        EXPECT_TRUE(OsPostMessage(window, OsMsg::User + 4, 0, 0));
    }).join();
    ASSERT_TRUE(OsDestroyWindow(doomed));

    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].window, nullptr);
    EXPECT_EQ(got[0].message, OsMsg::User + 3);
    EXPECT_EQ(got[1].window, window);
    EXPECT_EQ(got[1].message, OsMsg::User + 4);
    // Stamped when taken in, on the main thread.
    EXPECT_NE(got[1].time, 0u);
}

TEST_F(MessageWait, ResetDropsOtherThreadsPosts)
{
    std::thread([this] { OsPostMessage(window, OsMsg::User, 0, 0); }).join();
    OsResetMessageState();
    EXPECT_FALSE(OsHasQueuedMessages());
    OsMessage m;
    EXPECT_FALSE(Peek(&m));
}

// A timer or a hover falls due during the wait: it ends there.
TEST_F(MessageWait, ADueTimerOrHoverEndsTheWait)
{
    struct Case {
        const char* name;
        void (*arm)(OsWindow window);
        uint32_t expected;
    };
    const Case cases[] = {
        {"timer", [](OsWindow w) { ASSERT_TRUE(OsSetTimer(w, 7, 40)); }, OsMsg::Timer},
        {"hover", [](OsWindow w) {
             OsTrackMouse t;
             t.flags = OsTme::Hover;
             t.window = w;
             t.hoverTimeMs = 40;
             ASSERT_TRUE(OsTrackMouseEvent(&t));
         },
         OsMsg::MouseHover},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Motion(100, 100);
        Drain();
        c.arm(window);
        auto took = TimedWait(10000);
        EXPECT_GE(took, milliseconds(39));
        EXPECT_LT(took, kPrompt);
        OsMessage m;
        ASSERT_TRUE(Peek(&m));
        EXPECT_EQ(m.message, c.expected);
        OsKillTimer(window, 7);
    }
}

} // namespace
