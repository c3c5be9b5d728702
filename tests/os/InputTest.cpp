#include "OsTestSupport.h"

namespace {

using Input = OsMessageFixture;

bool Track(OsWindow w, uint32_t flags, uint32_t hover = kOsHoverDefault)
{
    OsTrackMouse t;
    t.flags = flags;
    t.window = w;
    t.hoverTimeMs = hover;
    return OsTrackMouseEvent(&t);
}

std::vector<uint32_t> Ids(const std::vector<OsMessage>& msgs)
{
    std::vector<uint32_t> ids;
    for (const OsMessage& m : msgs)
        ids.push_back(m.message);
    return ids;
}

TEST_F(Input, CaptureChangesAreSentToTheLoser)
{
    OsWindowParams p;
    p.headless = true;
    p.proc = &Proc;
    OsWindow other = OsCreateWindow(p);
    ASSERT_NE(other, nullptr);

    EXPECT_EQ(OsSetCapture(window), nullptr);
    EXPECT_EQ(OsGetCapture(), window);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(OsSetCapture(window), window);  // no change, no message
    EXPECT_TRUE(calls.empty());

    EXPECT_EQ(OsSetCapture(other), window);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].window, window);
    EXPECT_EQ(calls[0].message, OsMsg::CaptureChanged);
    EXPECT_EQ(calls[0].lParam, intptr_t(OsWindowValue(other)));

    calls.clear();
    EXPECT_TRUE(OsReleaseCapture());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].window, other);
    EXPECT_EQ(calls[0].message, OsMsg::CaptureChanged);
    EXPECT_EQ(calls[0].lParam, 0);
    EXPECT_EQ(OsGetCapture(), nullptr);
    EXPECT_TRUE(Drain().empty());  // sent, never queued

    calls.clear();
    EXPECT_TRUE(OsReleaseCapture());  // nothing to release
    EXPECT_TRUE(calls.empty());

    // Destroying the capture window releases it first.
    OsSetCapture(other);
    calls.clear();
    OsDestroyWindow(other);
    EXPECT_EQ(CallIds(), (std::vector<uint32_t>{OsMsg::CaptureChanged, OsMsg::Destroy}));
    EXPECT_EQ(OsGetCapture(), nullptr);
}

TEST_F(Input, LosingFocusReleasesTheCapture)
{
    Focus();
    OsSetCapture(window);
    calls.clear();
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(CallIds(), (std::vector<uint32_t>{OsMsg::CaptureChanged, OsMsg::ActivateApp}));
    EXPECT_EQ(OsGetCapture(), nullptr);
}

TEST_F(Input, MovesOutsideArriveOnlyWhileCaptured)
{
    Focus();
    Motion(10, 10);
    Motion(-5, 400);  // outside, no capture
    std::vector<OsMessage> got = Drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].lParam, OsMakeLParam(10, 10));

    Button(true, SDL_BUTTON_LEFT, 10, 10);
    OsSetCapture(window);
    calls.clear();
    Motion(-5, 400);
    Button(false, SDL_BUTTON_LEFT, -7, 401);
    EXPECT_EQ(FindCall(OsMsg::SetCursor), nullptr);  // not while captured
    got = Drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].message, OsMsg::MouseMove);
    EXPECT_EQ(OsLParamX(got[1].lParam), -5);
    EXPECT_EQ(OsLParamY(got[1].lParam), 400);
    EXPECT_EQ(OsLoWord(got[1].wParam), OsMk::LButton);
    EXPECT_EQ(got[2].message, OsMsg::LButtonUp);
    EXPECT_EQ(OsLParamX(got[2].lParam), -7);
    EXPECT_FALSE(OsIsPointerInside(window));
}

TEST_F(Input, HoverAfterRestingInsideTheBox)
{
    Motion(100, 100);
    Drain();
    ASSERT_TRUE(Track(window, OsTme::Hover));
    OsMessage m;
    now = 1399;
    EXPECT_FALSE(Peek(&m));
    // Small moves within the 4x4 box keep the timing.
    Motion(102, 98);
    Drain();
    now = 1400;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::MouseHover);
    EXPECT_EQ(m.lParam, OsMakeLParam(102, 98));
    // One-shot.
    now = 5000;
    EXPECT_FALSE(Peek(&m));

    // Leaving the box restarts the timing where the pointer is now.
    ASSERT_TRUE(Track(window, OsTme::Hover));  // at 5000, (102, 98)
    now = 5300;
    Motion(105, 98);
    Drain();
    now = 5400;
    EXPECT_FALSE(Peek(&m));
    now = 5699;
    EXPECT_FALSE(Peek(&m));
    now = 5700;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::MouseHover);

    // A custom time, and none while the pointer is outside.
    ASSERT_TRUE(Track(window, OsTme::Hover, 50));
    now = 5750;
    ASSERT_TRUE(Peek(&m));
    EXPECT_EQ(m.message, OsMsg::MouseHover);
    ASSERT_TRUE(Track(window, OsTme::Hover));
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    now = 9000;
    EXPECT_FALSE(Peek(&m));
}

TEST_F(Input, LeaveIsPostedOnceAndEndsTracking)
{
    Motion(10, 10);
    Drain();
    ASSERT_TRUE(Track(window, OsTme::Hover | OsTme::Leave));
    OsTrackMouse q;
    q.flags = OsTme::Query;
    ASSERT_TRUE(OsTrackMouseEvent(&q));
    EXPECT_EQ(q.window, window);
    EXPECT_EQ(q.flags, OsTme::Hover | OsTme::Leave);
    EXPECT_EQ(q.hoverTimeMs, kOsHoverTimeMs);

    Motion(12, 10);
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    EXPECT_EQ(Ids(Drain()), (std::vector<uint32_t>{OsMsg::MouseMove, OsMsg::MouseLeave}));
    q.flags = OsTme::Query;
    OsTrackMouseEvent(&q);
    EXPECT_EQ(q.flags, 0u);
    now += 1000;
    EXPECT_TRUE(Drain().empty());  // the hover went with the leave
}

TEST_F(Input, LeaveAtOnceWhenThePointerIsAlreadyOutside)
{
    ASSERT_TRUE(Track(window, OsTme::Leave));  // never entered
    EXPECT_EQ(Ids(Drain()), std::vector<uint32_t>{OsMsg::MouseLeave});
    EXPECT_FALSE(Track(reinterpret_cast<OsWindow>(uintptr_t(0x1A2B)), OsTme::Leave));
}

TEST_F(Input, LeaveWhileCapturedWaitsForTheRelease)
{
    Focus();
    Motion(10, 10);
    Track(window, OsTme::Leave);
    Button(true, SDL_BUTTON_LEFT, 10, 10);
    OsSetCapture(window);
    Motion(-20, 10);
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    EXPECT_EQ(Ids(Drain()), (std::vector<uint32_t>{OsMsg::MouseMove, OsMsg::LButtonDown, OsMsg::MouseMove}));
    Button(false, SDL_BUTTON_LEFT, -20, 10);
    calls.clear();
    OsReleaseCapture();
    EXPECT_EQ(CallIds(), std::vector<uint32_t>{OsMsg::CaptureChanged});
    EXPECT_EQ(Ids(Drain()), (std::vector<uint32_t>{OsMsg::LButtonUp, OsMsg::MouseLeave}));

    // Back inside before the release: no leave.
    Motion(10, 10);
    Track(window, OsTme::Leave);
    OsSetCapture(window);
    Motion(-20, 10);
    Motion(30, 30);
    OsReleaseCapture();
    EXPECT_EQ(Ids(Drain()), (std::vector<uint32_t>{OsMsg::MouseMove}));
}

TEST_F(Input, CancelRemovesTracking)
{
    Motion(10, 10);
    Track(window, OsTme::Hover | OsTme::Leave);
    ASSERT_TRUE(Track(window, OsTme::Cancel | OsTme::Hover));
    now += 1000;
    Drain();
    OsTrackMouse q;
    q.flags = OsTme::Query;
    OsTrackMouseEvent(&q);
    EXPECT_EQ(q.flags, OsTme::Leave);
    ASSERT_TRUE(Track(window, OsTme::Cancel | OsTme::Leave));
    WindowEvent(SDL_WINDOWEVENT_LEAVE);
    EXPECT_TRUE(Drain().empty());
}

} // namespace
