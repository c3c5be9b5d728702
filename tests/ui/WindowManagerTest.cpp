#include "ManagerTestSupport.h"

#include <algorithm>

#include "render/TestTexture.h"
#include "ui/LayeredWindow.h"

using namespace uitest;

namespace {

using Strings = std::vector<std::string>;

class WindowManagerTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        // Dialog at (100, 100) 400 x 300 with two overlapping children; the
        // front one ("front") lies over part of "back"; "hidden" is not shown.
        mDialog = PushDialog("dialog");
        mBack = Place(mDialog, new Probe("back", 0), 10, 10, 200, 100);
        mInner = Place(mBack, new Probe("inner", 0), 5, 5, 20, 20);
        mFront = Place(mDialog, new Probe("front", kTakeDown), 150, 50, 100, 100);
        mHidden = Place(mDialog, new Probe("hidden", kTakeDown), 300, 200, 50, 50);
        mHidden->SetFlags(0);
        gLog.clear();
    }

    ModalProbe* mDialog = nullptr;
    Probe* mBack = nullptr;
    Probe* mInner = nullptr;
    Probe* mFront = nullptr;
    Probe* mHidden = nullptr;
};

TEST_F(WindowManagerTest, PointerEventsGoToTheDeepestShownWindowUnderThePoint)
{
    struct Case {
        TPlatformEvent event;
        Strings log;
        const char* hover;
    };
    const std::vector<Case> cases = {
        // In "inner" (dialog 100,100 + back 10,10 + inner 5,5): local 3,4.
        {Ev(kEventMouseMove, 118, 119), {"inner:move:3,4", "back:move:8,9", "dialog:move:18,19"}, "inner"},
        // Where "front" overlaps "back", the front child is hit.
        {Ev(kEventLeftDown, 260, 160), {"front:down:10,10"}, "front"},
        // An unhandled release on "front" falls through to "back" under it.
        {Ev(kEventLeftUp, 260, 160), {"front:up:10,10", "back:up:150,50", "dialog:up:160,60"}, "front"},
        // The hidden child is not hit: the dialog itself is.
        {Ev(kEventLeftDown, 410, 310), {"dialog:down:310,210"}, "dialog"},
        // Other buttons carry their code; hover events go the same way.
        {Ev(kEventButton, 118, 119, kButtonWheelBack),
         {"inner:button7:3,4", "back:button7:8,9", "dialog:button7:18,19"}, "inner"},
        {Ev(kEventHover, 260, 160), {"front:hover:10,10", "back:hover:150,50", "dialog:hover:160,60"}, "front"},
        // Outside the dialog the top modal still receives it, in its own coordinates.
        {Ev(kEventMouseMove, 50, 40), {"dialog:move:-50,-60"}, "dialog"},
    };
    Strings messages;
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        gLog.clear();
        mManager->HandleEvent(cases[i].event);
        Strings pointer;
        for (const std::string& s : gLog) {
            if (s.find(":msg:") != std::string::npos)
                messages.push_back(s);
            else if (s.find(":focus:") == std::string::npos)
                pointer.push_back(s);
        }
        EXPECT_EQ(pointer, cases[i].log);
        ASSERT_NE(mManager->GetHoverWindow(), nullptr);
        EXPECT_EQ(Str(mManager->GetHoverWindow()->GetName()), cases[i].hover);
    }
    // The unhandled release at the modal root was posted as "mouse:up" and
    // delivered after the event to the focus window (the dialog, which took
    // it on the press); no other message was made.
    EXPECT_EQ(messages, Strings{"dialog:msg:4:mouse:up"});
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 0u);
}

TEST_F(WindowManagerTest, CaptureWindowsGetEveryPointerEventAndLeaveWhenThePointIsOutside)
{
    mFront->mTakes |= kTakeMove;
    mManager->AddCapture(mInner);
    mManager->AddCapture(mFront);
    mManager->AddCapture(mInner); // listed once
    EXPECT_EQ(mManager->GetCaptureCount(), 2u);

    // Inside "inner" (115..135, 115..135), outside "front": front is listed
    // first (added last), leaves, and still gets the event.
    mManager->HandleEvent(Ev(kEventMouseMove, 120, 120));
    EXPECT_EQ(gLog, (Strings{"front:leave", "front:move:-130,-30", "inner:move:5,5", "back:move:10,10",
                             "dialog:move:20,20"}));
    EXPECT_EQ(mManager->GetHoverWindow(), nullptr); // captured events set no hover

    // A window that releases its capture when the pointer leaves is skipped.
    mFront->mTakes |= kReleaseOnLeave;
    gLog.clear();
    mManager->HandleEvent(Ev(kEventLeftDown, 120, 120));
    EXPECT_EQ(Only("front:"), Strings{"front:leave"});
    EXPECT_FALSE(mManager->HasCapture(mFront));
    EXPECT_EQ(Only("inner:"), Strings{"inner:down:5,5"});

    // Capture lost: every listed window is told; the list is theirs to change.
    gLog.clear();
    mManager->AddCapture(mFront);
    mManager->HandleEvent(Ev(kEventMouseLeave));
    EXPECT_EQ(gLog, (Strings{"front:leave", "inner:leave"}));
    EXPECT_EQ(mManager->GetCaptureCount(), 1u);

    mManager->ReleaseCapture(mInner);
    mManager->ReleaseCapture(mInner);
    EXPECT_EQ(mManager->GetCaptureCount(), 0u);
}

TEST_F(WindowManagerTest, KeysGoToTheFocusWindowElseTheTopModal)
{
    mManager->SetFocus(mInner);
    EXPECT_EQ(gLog, Strings{"inner:focus:dialog"});
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 'x'));
    mManager->HandleEvent(Ev(kEventKeyUp, 0, 0, 0x141)); // low byte only
    EXPECT_EQ(gLog, (Strings{"inner:char:120", "back:char:120", "dialog:char:120", "inner:keyup:65",
                             "back:keyup:65", "dialog:keyup:65"}));

    // An unhandled key press at the modal root comes back as a type-4 message,
    // delivered to the focus window after the event.
    gLog.clear();
    mManager->HandleEvent(Ev(kEventKeyDown, 0, 0, 'Q'));
    EXPECT_EQ(gLog, (Strings{"inner:key:81", "back:key:81", "dialog:key:81", "inner:msg:4:raw:Q",
                             "back:msg:4:raw:Q", "dialog:msg:4:raw:Q"}));

    mManager->SetFocus(nullptr);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 'y'));
    EXPECT_EQ(gLog, Strings{"dialog:char:121"});

    // A left press moves the focus to the nearest window that takes it.
    mManager->HandleEvent(Ev(kEventLeftDown, 118, 119));
    EXPECT_EQ(mManager->GetFocus(), mDialog);
}

// A listener that logs what it is offered and consumes one message name.
class Listener : public TMessageListener {
public:
    Listener(std::string tag, std::string consume) : mTag(std::move(tag)), mConsume(std::move(consume)) {}
    ~Listener() override { gLog.push_back(mTag + ":gone"); }
    bool Offer(TMessage* m) override
    {
        gLog.push_back(mTag + ":offer:" + Str(m->GetName()));
        if (onOffer)
            onOffer(m);
        return Str(m->GetName()) == mConsume;
    }
    std::function<void(TMessage*)> onOffer;

private:
    std::string mTag, mConsume;
};

// A message that carries another, as script messages do.
class Wrapper : public TMessage {
public:
    explicit Wrapper(TMessage* inner) : TMessage(inner->GetType(), "wrapper"), mInner(inner) {}
    TMessage* GetNative() override { return mInner.get(); }

private:
    TMessagePtr mInner;
};

TEST_F(WindowManagerTest, MessagesAreDeliveredInOrderAfterTheEventIncludingThosePostedMeanwhile)
{
    auto* first = new Listener("first", "eaten");
    auto* second = new Listener("second", "");
    mManager->AddMessageListener(std::unique_ptr<TMessageListener>(first));
    mManager->AddMessageListener(std::unique_ptr<TMessageListener>(second));
    mFront->mTakes |= kTakeMessages;

    // Delivering "a" posts "c": it comes after "b", in the same drain.
    first->onOffer = [&](TMessage* m) {
        if (Str(m->GetName()) == "a")
            mManager->PostMessage(new TMessage(3, "c"));
    };
    mManager->PostMessage(new TMessage(3, "a", mFront)); // targeted: no listeners
    mManager->PostMessage(new TMessage(3, "a"));
    mManager->PostMessage(new TMessage(3, "eaten"));
    mManager->PostMessage(new TMessage(3, "b"));
    mManager->PostMessage(TMessagePtr()); // nothing
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 4u);
    EXPECT_TRUE(gLog.empty()); // nothing is delivered before the next event

    mManager->SetFocus(mFront);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventActivate)); // type 17 delivers nothing
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 4u);
    mManager->HandleEvent(Ev(kEventMouseMove, 5, 5));
    Strings expect = {"dialog:move:-95,-95", "front:msg:3:a",          "first:offer:a", "second:offer:a",
                      "front:msg:3:a",       "first:offer:eaten",      "first:offer:b", "second:offer:b",
                      "front:msg:3:b",       "first:offer:c",          "second:offer:c", "front:msg:3:c"};
    EXPECT_EQ(gLog, expect);
    EXPECT_EQ(TMessage::LiveCount(), mBaseMessages);

    // Without a focus window a target-less message goes to the top modal;
    // a script message is offered to listeners as the message it carries.
    mManager->SetFocus(nullptr);
    gLog.clear();
    mManager->PostMessage(new Wrapper(new TMessage(3, "inside")));
    mManager->DispatchMessages();
    EXPECT_EQ(gLog, (Strings{"first:offer:inside", "second:offer:inside", "dialog:msg:3:wrapper"}));
    EXPECT_EQ(TMessage::LiveCount(), mBaseMessages);
}

TEST_F(WindowManagerTest, ListenerRemovedWhileOfferingIsDeletedAfterTheOffer)
{
    auto* self = new Listener("self", "");
    auto* other = new Listener("other", "");
    mManager->AddMessageListener(std::unique_ptr<TMessageListener>(self));
    mManager->AddMessageListener(std::unique_ptr<TMessageListener>(other));
    self->onOffer = [&](TMessage*) { EXPECT_TRUE(mManager->RemoveMessageListener(self)); };
    mManager->PostMessage(new TMessage(3, "m"));
    mManager->DispatchMessages();
    EXPECT_EQ(Only("self:"), (Strings{"self:offer:m", "self:gone"}));
    EXPECT_EQ(Only("other:"), Strings{"other:offer:m"});
    EXPECT_FALSE(mManager->RemoveMessageListener(self));
    EXPECT_TRUE(mManager->RemoveMessageListener(other));
    EXPECT_EQ(Only("other:"), (Strings{"other:offer:m", "other:gone"}));
}

TEST_F(WindowManagerTest, QuitMessageAsksTheApplicationToQuit)
{
    mFront->mTakes |= kTakeMessages;
    mManager->PostMessage(new TMessage(kMsgQuitNow, "", mFront));
    mManager->PostMessage(new Wrapper(new TMessage(kMsgQuitNow, "")));
    mManager->DispatchMessages();
    EXPECT_TRUE(mManager->IsQuitRequested());
    EXPECT_EQ(mHost.quits, 2);
    EXPECT_EQ(mHost.exitCode, 0);
    EXPECT_TRUE(Only("front:").empty()); // not delivered to anyone
    EXPECT_EQ(TMessage::LiveCount(), mBaseMessages);
}

TEST_F(WindowManagerTest, CloseRequestAndQuitEventsDeliverMessagesFirstThenGoToTheTopModal)
{
    mManager->PostMessage(new TMessage(3, "before"));
    mManager->HandleEvent(Ev(kEventClose));
    EXPECT_EQ(gLog, Strings{"dialog:msg:3:before"});
    // The render target is dropped by a display change.
    TTextureRef target = MakeEmptyTestTexture();
    mManager->SetRenderTarget(target);
    mManager->HandleEvent(Ev(kEventDisplayChanged));
    EXPECT_EQ(mManager->GetRenderTarget(), nullptr);
    EXPECT_EQ(target.use_count(), 1);
}

TEST_F(WindowManagerTest, DeferredDeletionHappensAtTheStartOfTheNextEvent)
{
    mManager->SetFocus(mDialog);
    mManager->PostMessage(new TMessage(3, "queued-before", mInner));
    TMessage* held = new TMessage(3, "held-elsewhere", mInner);

    // The click deletes "back" (and with it "inner").
    struct Deleter : Probe {
        using Probe::Probe;
        bool OnMouseDown(TPoint) override
        {
            TWindow* back = GetParent()->FindChild("back", 1);
            GetParent()->RemoveChild(back);
            GetWindowManager()->DeferDelete(back);
            GetWindowManager()->DeferDelete(back); // twice is once
            GetWindowManager()->PostMessage(new TMessage(3, "posted-after", back->GetChildren()[0]));
            return true;
        }
    };
    Place(mDialog, new Deleter("deleter", 0), 0, 0, 10, 10);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventLeftDown, 105, 105));
    // Both messages lost their target and went to the focus window.
    EXPECT_EQ(Only("dialog:msg"), (Strings{"dialog:msg:3:queued-before", "dialog:msg:3:posted-after"}));
    EXPECT_TRUE(Only("inner:msg").empty());
    EXPECT_TRUE(Only("back:deleted").empty()); // still alive
    EXPECT_TRUE(mManager->IsPendingDelete(mInner));
    EXPECT_FALSE(mManager->IsPendingDelete(mFront));
    EXPECT_EQ(held->GetTarget(), mInner);

    // "nothing" events return before deletions are carried out.
    mManager->HandleEvent(Ev(kEventNothing));
    EXPECT_TRUE(Only("back:deleted").empty());
    mManager->HandleEvent(Ev(kEventActivate));
    EXPECT_EQ(Only("back:deleted").size(), 1u);
    EXPECT_EQ(Only("inner:deleted").size(), 1u);
    EXPECT_EQ(held->GetTarget(), nullptr); // messages held anywhere forget it
    EXPECT_FALSE(mManager->IsPendingDelete(mFront));
    delete held;

    // A capture entry of a window handed to deferred deletion is removed.
    mManager->AddCapture(mFront);
    mManager->AddCapture(mHidden);
    mDialog->RemoveChild(mFront);
    mManager->DeferDelete(mFront);
    EXPECT_FALSE(mManager->HasCapture(mFront));
    EXPECT_TRUE(mManager->HasCapture(mHidden));
}

TEST_F(WindowManagerTest, DestroyedWindowsAreForgottenAsFocusHoverCaptureAndModalFocus)
{
    mManager->HandleEvent(Ev(kEventMouseMove, 118, 119));
    ASSERT_EQ(mManager->GetHoverWindow(), mInner);
    mManager->SetFocus(mInner);
    mManager->AddCapture(mInner);
    mDialog->SetFocusWindow(mInner);
    mManager->DeferDelete(mBack);
    mBack->GetParent()->RemoveChild(mBack);
    EXPECT_EQ(mManager->GetHoverWindow(), nullptr);
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(mManager->GetFocus(), nullptr);
    EXPECT_EQ(mManager->GetCaptureCount(), 0u);
    EXPECT_EQ(mDialog->GetFocusWindow(), nullptr);

    // A pending window deleted with its pending parent is deleted once.
    Probe* parent = Place(mDialog, new Probe("p", 0), 0, 0, 10, 10);
    Probe* child = Place(parent, new Probe("c", 0), 0, 0, 5, 5);
    mManager->DeferDelete(child);
    mManager->DeferDelete(parent);
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Only("c:deleted").size(), 1u);
    EXPECT_EQ(Only("p:deleted").size(), 1u);
}

// ---------------------------------------------------------------- frames

class FrameTest : public ManagerFixture {
protected:
    size_t Frames() const { return GfxRecordingLog().Count("BeginScene"); }
    // Idle events every `step` ms until `until`; the times frames began.
    std::vector<uint32_t> IdleUntil(uint32_t until, uint32_t step = 1)
    {
        std::vector<uint32_t> at;
        while (gNow < until) {
            uint32_t before = Frames();
            mManager->HandleEvent(Ev(kEventIdle));
            if (Frames() != before)
                at.push_back(gNow);
            gNow += step;
        }
        return at;
    }
};

TEST_F(FrameTest, FramesAreDrawnOnlyWhenInvalidatedAndAtLeast12MsApart)
{
    IdleUntil(gNow + 50);
    uint32_t t0 = gNow;
    GfxRecordingLog().Clear();
    mManager->Invalidate();
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), 1u);
    gNow += 5;
    mManager->Invalidate();
    std::vector<uint32_t> at = IdleUntil(t0 + 100);
    EXPECT_EQ(at, std::vector<uint32_t>{t0 + 12});
    EXPECT_EQ(Frames(), 2u); // and none after that: nothing invalidated
    EXPECT_FALSE(mManager->NeedsRedraw());
    EXPECT_EQ(mManager->GetLastFrameTime(), t0 + 12);
}

TEST_F(FrameTest, BackgroundFramesAre200MsApartUnlessPqOrHosted)
{
    struct Case {
        bool active, pq, hosted;
        uint32_t interval;
    };
    const Case cases[] = {
        {true, false, false, 12}, {false, false, false, 200}, {false, true, false, 12}, {false, false, true, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        mHost.active = c.active;
        mHost.pq = c.pq;
        mHost.hosted = c.hosted;
        IdleUntil(gNow + 300);
        uint32_t start = gNow;
        // Invalidate on every idle event: frames come at the pacing interval.
        std::vector<uint32_t> at;
        while (gNow < start + 450) {
            mManager->Invalidate();
            uint32_t before = Frames();
            mManager->HandleEvent(Ev(kEventIdle));
            if (Frames() != before)
                at.push_back(gNow);
            ++gNow;
        }
        ASSERT_GE(at.size(), 2u);
        for (size_t i = 1; i < at.size(); ++i)
            EXPECT_EQ(at[i] - at[i - 1], c.interval);
    }
}

TEST_F(FrameTest, NoFrameWhileAMovieShowsOrTheFlipIsPending)
{
    IdleUntil(gNow + 50);
    GfxRecordingLog().Clear();
    mManager->SetMoviePlaying(true);
    mManager->Invalidate();
    IdleUntil(gNow + 50);
    EXPECT_EQ(Frames(), 0u);
    mManager->SetMoviePlaying(false);
    mHost.flipPending = true;
    IdleUntil(gNow + 50);
    EXPECT_EQ(Frames(), 0u);
    EXPECT_TRUE(mManager->NeedsRedraw());
    mHost.flipPending = false;
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), 1u);

    mManager->SetMovieInput(true);
    EXPECT_TRUE(mManager->IsMovieInput());
}

TEST_F(FrameTest, FrameTasksRunBeforeDrawingAndTheirInvalidationsAskForNoFrame)
{
    IdleUntil(gNow + 50);
    ModalProbe* dialog = PushDialog("dialog");
    auto* appTask = new CountingTask([&] { mManager->Invalidate(); });
    mHost.tasks.Add(appTask);
    auto* modalTask = new CountingTask();
    dialog->AddTask(modalTask);
    gNow += 20;
    gLog.clear();
    GfxRecordingLog().Clear();
    mManager->HandleEvent(Ev(kEventIdle));
    // Idle pass of the top modal, then the frame: application tasks, top
    // modal tasks, drawing.
    EXPECT_EQ(gLog, (Strings{"task:0", "task:1", "task:1", "screen:draw", "dialog:draw"}));
    EXPECT_EQ(appTask->runs, 1);
    EXPECT_EQ(Frames(), 1u);
    IdleUntil(gNow + 100);
    EXPECT_EQ(Frames(), 1u);
    EXPECT_EQ(appTask->runs, 1);
    EXPECT_EQ(modalTask->runs, 2 + 100); // idle passes went on
}

TEST_F(FrameTest, PaintDrawsWithoutTheIdlePass)
{
    IdleUntil(gNow + 50);
    ModalProbe* dialog = PushDialog("dialog");
    auto* task = new CountingTask();
    dialog->AddTask(task);
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle)); // frame drawn, redraw flag spent
    gNow += 20;
    gLog.clear();
    GfxRecordingLog().Clear();
    mManager->HandleEvent(Ev(kEventPaint));
    EXPECT_EQ(gLog, (Strings{"task:1", "screen:draw", "dialog:draw"}));
    EXPECT_EQ(Frames(), 1u);
}

TEST_F(FrameTest, PacingSurvivesTheWrapOfTheMillisecondCounter)
{
    gNow = 0xFFFFFFF0u;
    mManager->Invalidate();
    mManager->HandleEvent(Ev(kEventIdle));
    uint32_t frames = Frames();
    EXPECT_EQ(mManager->GetLastFrameTime(), 0xFFFFFFF0u);
    mManager->Invalidate();
    gNow = 0xFFFFFFFBu; // 11 ms later
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), frames);
    gNow = 0xFFFFFFFCu; // 12 ms
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), frames + 1);
    mManager->Invalidate();
    gNow = 8; // 12 ms after, past the wrap
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), frames + 2);
}

TEST_F(FrameTest, RefusedFrameDrawsNothing)
{
    IdleUntil(gNow + 50);
    GfxInjectResult(GfxOp::BeginScene, GfxResult::Failed);
    GfxRecordingLog().Clear();
    gLog.clear();
    mManager->Invalidate();
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(GfxRecordingLog().calls, Strings{"BeginScene -> Failed"});
    EXPECT_TRUE(Only("screen:draw").empty());
    EXPECT_EQ(GfxRecordingLog().Count("EndScene"), 0u);
}

TEST_F(FrameTest, HoverOutlineIsFourYellowBarsAroundTheHoverWindow)
{
    ModalProbe* dialog = PushDialog("dialog");
    Place(dialog, new Probe("w", 0), 10, 20, 30, 40);
    mManager->SetOutlineHover(true);
    IdleUntil(gNow + 50);
    mManager->HandleEvent(Ev(kEventMouseMove, 115, 125));
    EXPECT_TRUE(mManager->NeedsRedraw()); // a pointer event invalidates
    gNow += 20;
    GfxRecordingLog().Clear();
    mManager->HandleEvent(Ev(kEventIdle));
    std::vector<TDrawnFill> fills = DrawnFills();
    ASSERT_EQ(fills.size(), 4u);
    // The window lies at (110, 120)-(140, 160) on the screen.
    EXPECT_EQ(fills[0].rect, TRect(110, 120, 140, 122));
    EXPECT_EQ(fills[1].rect, TRect(110, 158, 140, 160));
    EXPECT_EQ(fills[2].rect, TRect(110, 120, 112, 160));
    EXPECT_EQ(fills[3].rect, TRect(138, 120, 140, 160));
    for (const TDrawnFill& fill : fills)
        EXPECT_EQ(fill.argb, 0xFFFFFF00u); // opaque yellow
}

TEST_F(FrameTest, RenderTargetPassDrawsIntoTheTextureThenCompletesOnScreen)
{
    ModalProbe* dialog = PushDialog("dialog");
    ModalProbe* top = PushDialog("top");
    (void)dialog;
    TTextureRef target = MakeTestTexture(64, 64);
    mManager->SetRenderTarget(target);
    IdleUntil(gNow + 50);
    gLog.clear();
    GfxRecordingLog().Clear();
    mManager->Invalidate();
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    // The texture pass (its picture copied into the texture at its end),
    // then the frame on screen.
    const std::string surface = SurfaceName(TestTextureData(target)->GetSurface());
    EXPECT_TRUE(CallsInOrder({"SetViewport 0,0,64,64", "BeginScene", "EndScene", "Blt " + surface + " ",
                              "BeginScene", "EndScene", "Present"}));
    EXPECT_EQ(Frames(), 2u);
    EXPECT_EQ(GfxRecordingLog().presents, 1u);
    // Into the texture: the windows with the to-texture flag below the top
    // (only the screen has it). On screen: the root in normal mode (where it
    // shows the texture), then the top modal alone. The middle dialog lacks
    // the to-texture flag and is drawn in neither pass.
    EXPECT_EQ(gLog, (Strings{"screen:draw", "screen:draw", "top:draw"}));
    EXPECT_TRUE(mScreen->GetFlags() & kWindowDrawnToTexture);
    EXPECT_FALSE(top->GetFlags() & kWindowDrawnToTexture);
}

TEST_F(FrameTest, ScreenShowsTheRenderTargetWithItsTopLeftCornerAtTheOrigin)
{
    TTextureRef target = MakeTestTexture(64, 32);
    mManager->SetRenderTarget(target);
    IdleUntil(gNow + 50);
    GfxRecordingLog().Clear();
    mManager->Invalidate();
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    // The screen's frame on the back buffer: the one quad textured with the
    // target covers (0, 0)-(64, 32), give or take the half-pixel offset.
    GfxSurface* surface = TestTextureData(target)->GetSurface();
    const GfxDrawRecord* quad = nullptr;
    for (const GfxDrawRecord& draw : GfxRecordingLog().draws)
        if (draw.state.texture == surface)
            quad = &draw;
    ASSERT_NE(quad, nullptr);
    ASSERT_EQ(quad->vertexCount, 4u);
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (uint32_t v = 0; v < 4; ++v) {
        left = std::min(left, quad->Float(v, 0));
        right = std::max(right, quad->Float(v, 0));
        top = std::min(top, quad->Float(v, 4));
        bottom = std::max(bottom, quad->Float(v, 4));
    }
    EXPECT_NEAR(left, 0.0f, 0.5f);
    EXPECT_NEAR(top, 0.0f, 0.5f);
    EXPECT_NEAR(right - left, 64.0f, 0.01f);
    EXPECT_NEAR(bottom - top, 32.0f, 0.01f);
}

TEST_F(FrameTest, OverlayWindowsAreDrawnAfterTheModalStackAndDeletedWithTheManager)
{
    PushDialog("dialog");
    auto* overlay = new Probe("overlay", 0);
    overlay->SetSize(50, 50);
    mManager->AddOverlayWindow(overlay);
    IdleUntil(gNow + 50);
    gLog.clear();
    mManager->Invalidate();
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(gLog, (Strings{"screen:draw", "dialog:draw", "overlay:draw"}));
    mManager.reset();
    EXPECT_EQ(Only("overlay:deleted").size(), 1u);
}

// ---------------------------------------------------------------- script seam

TEST_F(WindowManagerTest, ScriptIsToldTheCurrentParentAndRunsWithAWindowAsParent)
{
    FakeScript script;
    EXPECT_FALSE(mManager->RunWindowString(mDialog, "x = 1")); // no script yet
    EXPECT_FALSE(mManager->SetTranslateLabels(true));
    mManager->Init(&script);
    EXPECT_EQ(script.parent, mDialog);

    EXPECT_TRUE(mManager->RunWindowScript(mBack, "dialogs/a.lua"));
    EXPECT_TRUE(mManager->RunWindowString(mFront, "x = 1"));
    EXPECT_EQ(script.ran, (Strings{"file dialogs/a.lua in back", "code x = 1 in front"}));
    EXPECT_EQ(script.parent, mDialog); // restored
    EXPECT_FALSE(mManager->SetTranslateLabels(true));
    EXPECT_TRUE(mManager->SetTranslateLabels(false));

    // Unhandled messages end at the script.
    mManager->PostMessage(new TMessage(3, "to-script", mBack));
    mManager->DispatchMessages();
    EXPECT_EQ(script.delivered.back(), (std::pair<int32_t, std::string>(3, "to-script")));
    mManager->Init(nullptr);
}

} // namespace
