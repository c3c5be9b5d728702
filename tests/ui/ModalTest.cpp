#include <algorithm>

#include "ManagerTestSupport.h"

#include "ui/LayeredWindow.h"

using namespace uitest;

namespace {

using Strings = std::vector<std::string>;

class ModalTest : public ManagerFixture {};

TEST_F(ModalTest, RootWindowTakesTheViewportSizeAndIsTheBottomOfTheStack)
{
    EXPECT_EQ(mManager->GetRootWindow(), mScreen);
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    EXPECT_EQ(mScreen->GetRect(), TRect(0, 0, 800, 600));
    EXPECT_EQ(mManager->GetFocus(), mScreen);
    EXPECT_FALSE(mScreen->GetClock().IsPaused());
    // Flags of a screen: modal root, takes focus, shown, to texture, cover.
    EXPECT_EQ(mScreen->GetFlags() & 0xFFF, 0x1u | 0x2u | 0x4u | 0x100u | 0x800u);
    EXPECT_STREQ(mScreen->GetClassName(), "TScreen");
    EXPECT_TRUE(mScreen->IsKindOf(TModalWindow::TypeId()));
    EXPECT_TRUE(mScreen->IsKindOf(TWindow::TypeId()));
    EXPECT_EQ(TWindow::Cast<TScreen>(mScreen), mScreen);
    TModalWindow plain;
    EXPECT_STREQ(plain.GetClassName(), "TModalWindow");
    EXPECT_FALSE(plain.IsKindOf(TScreen::TypeId()));
    EXPECT_EQ(plain.GetFlags() & 0xFFF, 0x1u | 0x2u | 0x100u);
}

TEST_F(ModalTest, PushModalReleasesCapturesAdoptsTheWindowAndGivesItTheFocus)
{
    FakeScript script;
    mManager->Init(&script);
    Probe* captured = Place(mScreen, new Probe("cap1", 0), 0, 0, 10, 10);
    Probe* other = Place(mScreen, new Probe("cap2", 0), 20, 0, 10, 10);
    mManager->AddCapture(captured);
    mManager->AddCapture(other);
    mManager->HandleEvent(Ev(kEventLeftDown, 700, 500)); // captured: no hover
    mManager->ReleaseCapture(captured);
    mManager->ReleaseCapture(other);
    mManager->HandleEvent(Ev(kEventMouseMove, 5, 5));
    ASSERT_EQ(mManager->GetHoverWindow(), captured);
    mManager->AddCapture(captured);
    mManager->AddCapture(other);
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_FALSE(mManager->NeedsRedraw());

    gNow += 100;
    auto* dialog = new ModalProbe("dialog", 0); // zero width: takes its parent's size
    gLog.clear();
    mManager->PushModal(dialog);
    EXPECT_EQ(gLog, (Strings{"cap2:leave", "cap1:leave", "dialog:focus:screen"}));
    EXPECT_EQ(mManager->GetCaptureCount(), 0u);
    EXPECT_EQ(mManager->GetHoverWindow(), nullptr);
    EXPECT_EQ(mManager->GetTopModal(), dialog);
    EXPECT_EQ(mManager->GetModal(1), mScreen);
    EXPECT_EQ(mManager->GetModalCount(), 2u);
    EXPECT_EQ(dialog->GetParent(), mScreen);
    EXPECT_EQ(mScreen->GetChildren().front(), dialog);
    EXPECT_EQ(mManager->GetFocus(), dialog);
    EXPECT_EQ(script.parent, dialog);
    EXPECT_EQ(dialog->GetRect(), TRect(0, 0, 800, 600));
    EXPECT_TRUE(mManager->NeedsRedraw());
    EXPECT_TRUE(mScreen->GetClock().IsPaused());
    EXPECT_FALSE(dialog->GetClock().IsPaused());

    // Pushing a window that is already on the stack changes nothing.
    mManager->PushModal(dialog);
    EXPECT_EQ(mManager->GetModalCount(), 2u);
    mManager->Init(nullptr);
}

TEST_F(ModalTest, PopModalDefersDeletionAndHandsFocusAndParentDown)
{
    FakeScript script;
    mManager->Init(&script);
    ModalProbe* lower = PushDialog("lower");
    ModalProbe* upper = PushDialog("upper");
    auto* task = new CountingTask();
    upper->AddTask(task);
    gLog.clear();
    mManager->PopModal();
    EXPECT_EQ(gLog, Strings{"lower:focus:upper"});
    EXPECT_EQ(mManager->GetTopModal(), lower);
    EXPECT_EQ(upper->GetParent(), nullptr);
    EXPECT_EQ(upper->GetTasks()->GetCount(), 0u); // its tasks are gone
    EXPECT_TRUE(mManager->IsPendingDelete(upper));
    EXPECT_EQ(script.parent, lower);
    EXPECT_FALSE(lower->GetClock().IsPaused()); // its timers run again
    EXPECT_TRUE(Only("upper:deleted").empty());

    mManager->HandleEvent(Ev(kEventActivate));
    EXPECT_EQ(Only("upper:deleted").size(), 1u);
    mManager->Init(nullptr);
}

// Records every kMsgModalClosed offered (consumes them).
struct Catch6 : TMessageListener {
    bool Offer(TMessage* m) override
    {
        if (m->GetType() != kMsgModalClosed)
            return false;
        gLog.push_back("closed:" + Str(m->GetName()));
        return true;
    }
};

TEST_F(ModalTest, DestroyedModalWindowPostsItsIdTextAsTypeSix)
{
    mManager->AddMessageListener(std::make_unique<Catch6>());
    ModalProbe* dialog = PushDialog("dialog");
    std::string id = Str(dialog->GetIdString());
    ASSERT_EQ(id.size(), 8u);
    mManager->PopModal();
    mManager->HandleEvent(Ev(kEventActivate)); // deletes it, posts type 6
    EXPECT_TRUE(Only("closed:").empty());
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 1u);
    mManager->DispatchMessages();
    EXPECT_EQ(Only("closed:"), Strings{"closed:" + id});

    // Without a window manager nothing is posted.
    uint32_t live = TMessage::LiveCount();
    mManager.reset(); // its shut-down deletes the screen too
    {
        ModalProbe alone("alone", 0);
    }
    EXPECT_EQ(TMessage::LiveCount(), live);
}

TEST_F(ModalTest, ShutDownPostsTypeSixWhileTheManagerStillExists)
{
    // A modal window that looks at the queue when it is destroyed.
    struct Watch : ModalProbe {
        using ModalProbe::ModalProbe;
        ~Watch() override
        {
            TWindowManager* manager = GetWindowManager();
            gLog.push_back("queued:" + (manager ? std::to_string(manager->GetQueuedMessageCount()) : "none"));
        }
    };
    mManager->PushModal(new Watch("watch", 0));
    PushDialog("upper");
    mManager.reset();
    // The upper dialog went first and its type-6 message was queued; the
    // queue went with the manager (TearDown checks that none leaked).
    EXPECT_EQ(Only("queued:"), Strings{"queued:1"});
    EXPECT_EQ(Only("upper:deleted").size(), 1u);
    EXPECT_EQ(Only("screen:deleted").size(), 1u);
}

TEST_F(ModalTest, DoPopModalPopsDownToTheNamedWindowOrItsIdText)
{
    struct Case {
        std::string name; // "#a" = the id text of dialog a
        bool popped;
        uint32_t remaining; // modal windows left (screen + a + b + c = 4)
    };
    const std::vector<Case> cases = {
        {"c", true, 3}, {"b", true, 2}, {"a", true, 1}, {"#b", true, 2}, {"nobody", false, 4}, {"", false, 4},
        {"screen", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        while (mManager->GetModalCount() > 1)
            mManager->PopModal();
        if (!mManager->GetTopModal()) {
            mScreen = new ProbeOf<TScreen>("screen", 0);
            mManager->SetRootWindow(mScreen);
        }
        mManager->HandleEvent(Ev(kEventActivate));
        PushDialog("a");
        ModalProbe* b = PushDialog("b");
        PushDialog("c");
        std::string name = c.name;
        if (name == "#b")
            name = Str(b->GetIdString());
        gNow += 50;
        mManager->HandleEvent(Ev(kEventMouseMove, 150, 150));
        EXPECT_EQ(mManager->DoPopModal(name.c_str()), c.popped);
        EXPECT_EQ(mManager->GetModalCount(), c.remaining);
        EXPECT_EQ(mManager->GetHoverWindow(), nullptr);
        if (TModalWindow* top = mManager->GetTopModal()) {
            EXPECT_FALSE(top->GetClock().IsPaused());
        }
    }
}

TEST_F(ModalTest, CloseMessagePopsToTheNamedDialog)
{
    ModalProbe* a = PushDialog("a");
    PushDialog("b");
    mManager->PostMessage(new TMessage(kMsgCloseWindow, a->GetIdString()));
    mManager->DispatchMessages(); // to the focus window (b), handled at b
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    // Another type is not handled by the modal window.
    TMessage other(3, "x");
    EXPECT_FALSE(mScreen->TModalWindow::OnMessage(&other));
}

TEST_F(ModalTest, CoveredModalClockPausesAndResumesWhereItStopped)
{
    ModalProbe* lower = PushDialog("lower");
    gNow += 100;
    EXPECT_EQ(lower->GetClock().GetTime(), 100u);
    ModalProbe* upper = PushDialog("upper");
    gNow += 500;
    EXPECT_EQ(lower->GetClock().GetTime(), 100u);
    EXPECT_EQ(upper->GetClock().GetTime(), 500u);
    mManager->DoPopModal("upper");
    gNow += 30;
    EXPECT_EQ(lower->GetClock().GetTime(), 130u);

    // A timer of a window of the covered dialog waits while it is covered.
    struct Ticker : Probe {
        using Probe::Probe;
        bool Update() override
        {
            gLog.push_back("update:ticker");
            return true;
        }
    };
    Ticker* ticker = Place(lower, new Ticker("ticker", 0), 0, 0, 5, 5);
    ticker->SetTimer(100, true, true, false);
    PushDialog("cover");
    gLog.clear();
    for (int i = 0; i < 50; ++i) {
        gNow += 10;
        mManager->HandleEvent(Ev(kEventIdle));
    }
    EXPECT_TRUE(Only("update:").empty());
    // A direct pop (not through DoPopModal) restarts the clock as well, so
    // the timer comes due 100 ms later on it.
    mManager->PopModal();
    for (int i = 0; i < 11; ++i) {
        gNow += 10;
        mManager->HandleEvent(Ev(kEventIdle));
    }
    EXPECT_EQ(Only("update:").size(), 1u);
}

TEST_F(ModalTest, FocusWindowTakesTheFocusWithItsModalWindow)
{
    ModalProbe* dialog = PushDialog("dialog");
    Probe* edit = Place(dialog, new Probe("edit", 0), 0, 0, 10, 10);
    Probe* edit2 = Place(dialog, new Probe("edit2", 0), 20, 0, 10, 10);
    gLog.clear();
    dialog->SetFocusWindow(edit); // the dialog holds the focus: it moves at once
    EXPECT_EQ(mManager->GetFocus(), edit);
    EXPECT_EQ(gLog, Strings{"edit:focus:dialog"});
    dialog->SetFocusWindow(edit2); // held through the old focus window
    EXPECT_EQ(mManager->GetFocus(), edit2);

    // Pushed over and popped again: the focus goes to the focus window, whose
    // OnSetFocus gets the window that had the focus.
    PushDialog("upper");
    gLog.clear();
    mManager->PopModal();
    EXPECT_EQ(mManager->GetFocus(), edit2);
    EXPECT_EQ(gLog, (Strings{"dialog:focus:upper", "edit2:focus:upper"}));

    // Null leaves no focus window at all.
    dialog->SetFocusWindow(nullptr);
    EXPECT_EQ(mManager->GetFocus(), nullptr);

    // Not holding the focus: only stored.
    mManager->SetFocus(mScreen);
    dialog->SetFocusWindow(edit);
    EXPECT_EQ(mManager->GetFocus(), mScreen);
    EXPECT_EQ(dialog->GetFocusWindow(), edit);
}

// A stand-in for buttons: a window with a "default" flag and a click that is
// taken or not.
class FakeButton : public Probe {
public:
    FakeButton(const char* name, bool isDefault, bool takesClick)
        : Probe(name, 0), mDefault(isDefault), mTakes(takesClick)
    {
    }
    static bool IsDefault(TWindow* w)
    {
        auto* b = dynamic_cast<FakeButton*>(w);
        return b && b->mDefault;
    }
    static bool Click(TWindow* w)
    {
        auto* b = static_cast<FakeButton*>(w);
        gLog.push_back(Str(b->GetName()) + ":click");
        return b->mTakes;
    }
    bool mDefault, mTakes;
};

class EnterTest : public ModalTest {
protected:
    void SetUp() override
    {
        ModalTest::SetUp();
        TDefaultButtonHooks hooks;
        hooks.isDefault = &FakeButton::IsDefault;
        hooks.click = &FakeButton::Click;
        TModalWindow::SetDefaultButtonHooks(hooks);
        mManager->Init(&mScript);
        mDialog = PushDialog("dialog");
    }
    void TearDown() override
    {
        TModalWindow::SetDefaultButtonHooks(TDefaultButtonHooks());
        mManager->Init(nullptr);
        ModalTest::TearDown();
    }
    FakeScript mScript;
    ModalProbe* mDialog = nullptr;
};

TEST_F(EnterTest, EnterClicksTheDefaultButtonFoundLast)
{
    // Children front to back: panel1 { ok1 (default), other }, ok2 (default).
    // ok2 is added first, so it stands behind panel1 and is found last.
    Place(mDialog, new FakeButton("ok2", true, true), 0, 0, 10, 10);
    Probe* panel = Place(mDialog, new Probe("panel1", 0), 0, 20, 100, 100);
    Place(panel, new FakeButton("other", false, true), 0, 0, 10, 10);
    Place(panel, new FakeButton("ok1", true, true), 20, 0, 10, 10);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(Only("ok"), Strings{"ok2:click"});
    EXPECT_TRUE(mScript.delivered.empty());

    // A hidden default button is not found.
    mDialog->FindChild("ok2", 1)->SetFlags(0);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(Only("ok"), Strings{"ok1:click"});

    // The first default button of a list ends the visit of that list.
    FindDefault search;
    panel->Walk(search);
    EXPECT_EQ(Str(search.GetFound()->GetName()), "ok1");
}

TEST_F(EnterTest, WithoutADefaultButtonEnterSendsTypeTwo)
{
    // No default button and no focus window: to the dialog itself, which does
    // not handle it; the script gets it.
    mManager->SetFocus(nullptr);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(gLog, (Strings{"dialog:msg:2:", "script:2:"}));

    // With a focus window: to it (then up to its dialog).
    Probe* edit = Place(mDialog, new Probe("edit", 0), 0, 0, 10, 10);
    mManager->SetFocus(edit);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(Only("edit:msg"), Strings{"edit:msg:2:"});

    // A default button that does not take the click: the click and type 2.
    Place(mDialog, new FakeButton("ok", true, false), 50, 0, 10, 10);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(Only("ok:click").size(), 1u);
    EXPECT_EQ(Only("edit:msg"), Strings{"edit:msg:2:"});

    // Other characters are not the modal window's.
    EXPECT_FALSE(mDialog->TModalWindow::OnChar('a'));
}

TEST_F(EnterTest, DefaultButtonsOfAnotherModalWindowAreNotSearched)
{
    Place(mDialog, new FakeButton("below", true, true), 0, 0, 10, 10);
    ModalProbe* upper = PushDialog("upper");
    Place(upper, new FakeButton("above", true, true), 0, 0, 10, 10);
    mManager->SetFocus(mDialog);
    gLog.clear();
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    EXPECT_EQ(Only("above"), Strings{});
    EXPECT_EQ(Only("below"), Strings{"below:click"});
}

// ---------------------------------------------------------------- drawing

class ModalDrawTest : public ModalTest {
protected:
    size_t Frames() const { return GfxRecordingLog().Count("BeginScene"); }
    Strings Draws()
    {
        gLog.clear();
        mManager->Invalidate();
        gNow += 20;
        mManager->HandleEvent(Ev(kEventIdle));
        // Draws and tasks only.
        Strings out;
        for (const std::string& entry : gLog)
            if (entry.find(":draw") != std::string::npos || entry.compare(0, 5, "task:") == 0)
                out.push_back(entry);
        return out;
    }
};

TEST_F(ModalDrawTest, FullScreenOpaqueWindowHidesTheModalWindowsBelow)
{
    PushDialog("a");
    ModalProbe* b = PushDialog("b", 0, 0, 800, 600);
    PushDialog("c");
    EXPECT_EQ(Draws(), (Strings{"screen:draw", "a:draw", "b:draw", "c:draw"}));

    // A screen-sized opaque child makes b a cover: screen and a are not drawn.
    Probe* backdrop = Place(b, new Probe("backdrop", 0), 0, 0, 800, 600);
    backdrop->SetFlags(backdrop->GetFlags() | kWindowOpaqueCover);
    EXPECT_TRUE(b->IsInCover(backdrop));
    EXPECT_TRUE(b->GetFlags() & kWindowOpaqueCover);
    EXPECT_EQ(Draws(), (Strings{"b:draw", "backdrop:draw", "c:draw"}));

    // Not the screen's size: no cover.
    backdrop->SetSize(799, 600);
    EXPECT_FALSE(b->IsInCover(backdrop));
    EXPECT_FALSE(b->GetFlags() & kWindowOpaqueCover);
    EXPECT_EQ(Draws(), (Strings{"screen:draw", "a:draw", "b:draw", "backdrop:draw", "c:draw"}));

    // Top modal only.
    mManager->SetTopModalOnly(true);
    EXPECT_EQ(Draws(), Strings{"c:draw"});
}

TEST_F(ModalDrawTest, PoppingInAFrameTaskStopsThatFramesModalDrawing)
{
    PushDialog("a");
    ModalProbe* b = PushDialog("b");
    mHost.tasks.Add(new CountingTask([&] {
        if (mManager->GetTopModal() == b)
            mManager->PopModal();
    }));
    GfxRecordingLog().Clear();
    EXPECT_EQ(Draws(), Strings{"task:1"}); // popped in the frame: no modal window drawn
    EXPECT_EQ(Frames(), 1u);
    EXPECT_EQ(GfxRecordingLog().presents, 1u);

    // The next frame comes without anyone asking for it: the screen must
    // not keep the popped window's picture.
    gLog.clear();
    gNow += 20;
    mManager->HandleEvent(Ev(kEventIdle));
    EXPECT_EQ(Frames(), 2u);
    EXPECT_NE(std::find(gLog.begin(), gLog.end(), "a:draw"), gLog.end());
    EXPECT_EQ(Draws(), (Strings{"task:1", "screen:draw", "a:draw"}));
}

TEST_F(ModalDrawTest, ScreenFillsWhenOnTopOrAlways)
{
    mScreen->SetFillColour(0.5f, 0.25f, 0, 1);
    Draws();
    std::vector<TDrawnFill> fills = DrawnFills();
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect, TRect(0, 0, 800, 600));
    EXPECT_EQ(fills[0].argb, 0xFF7F3F00u); // 0.5, 0.25, 0, 1 in bytes

    PushDialog("dialog");
    GfxRecordingLog().Clear();
    Draws();
    EXPECT_EQ(DrawnFills().size(), 0u);
    mScreen->SetFillAlways(true);
    GfxRecordingLog().Clear();
    Draws();
    EXPECT_EQ(DrawnFills().size(), 1u);
}

// ---------------------------------------------------------------- layers

TEST(LayeredWindow, ChildrenAddedWithAllLayersSelectedGoIntoEveryLayer)
{
    TLayeredWindow w(3);
    EXPECT_STREQ(w.GetClassName(), "TLayeredWindow");
    EXPECT_TRUE(w.IsKindOf(TWindow::TypeId()));
    EXPECT_FALSE(w.IsKindOf(TModalWindow::TypeId()));
    EXPECT_EQ(w.GetSelectedLayer(), 0);
    auto* first = new TWindow();
    w.AddChild(first, true);
    w.SelectLayer(-1);
    auto* a = new TWindow();
    auto* b = new TWindow();
    w.AddChild(a, true);
    w.AddChild(b, true);
    w.AddChild(a, true); // already a child: not listed twice
    // `first` came while layer 0 was selected: layer 0 only.
    EXPECT_EQ(w.GetLayer(0), (std::vector<TWindow*>{b, a, first}));
    EXPECT_EQ(w.GetLayer(1), (std::vector<TWindow*>{b, a}));
    EXPECT_EQ(w.GetLayer(2), (std::vector<TWindow*>{b, a}));
    EXPECT_EQ(w.GetLayer(3).size(), 0u);

    EXPECT_EQ(w.RemoveChild(b), &w);
    EXPECT_EQ(w.GetLayer(0), (std::vector<TWindow*>{a, first}));
    EXPECT_EQ(w.GetLayer(2), std::vector<TWindow*>{a});
    delete b;
}

TEST(LayeredWindow, SelectLayerShowsOnlyThatLayerAndReselectingDoesNothing)
{
    TLayeredWindow w(2);
    auto* zero = new TWindow();
    w.AddChild(zero, true);
    w.SelectLayer(1);
    auto* one = new TWindow();
    w.AddChild(one, true);
    EXPECT_EQ(w.GetLayer(0), std::vector<TWindow*>{zero});
    EXPECT_EQ(w.GetLayer(1), std::vector<TWindow*>{one});

    EXPECT_FALSE(zero->GetFlags() & kWindowShown);
    EXPECT_TRUE(one->GetFlags() & kWindowShown);

    // Selecting the selected layer again does nothing: a hidden child of it
    // is not shown again.
    one->SetFlags(0);
    w.SelectLayer(1);
    EXPECT_FALSE(one->GetFlags() & kWindowShown);

    w.SelectLayer(0);
    EXPECT_TRUE(zero->GetFlags() & kWindowShown);
    EXPECT_FALSE(one->GetFlags() & kWindowShown);
    w.SelectLayer(1);
    EXPECT_FALSE(zero->GetFlags() & kWindowShown);
    EXPECT_TRUE(one->GetFlags() & kWindowShown);
    // -1 shows layer 0.
    w.SelectLayer(-1);
    EXPECT_TRUE(zero->GetFlags() & kWindowShown);
    EXPECT_FALSE(one->GetFlags() & kWindowShown);
    // Out of range: logged and ignored.
    w.SelectLayer(5);
    w.SelectLayer(-2);
    EXPECT_EQ(w.GetSelectedLayer(), -1);
}

TEST(LayeredWindow, DestroyedChildLeavesItsLayers)
{
    TLayeredWindow w(2);
    w.SelectLayer(-1);
    auto* a = new TWindow();
    auto* b = new TWindow();
    w.AddChild(a, true);
    w.AddChild(b, true);
    delete a; // takes itself off its parent's list
    EXPECT_EQ(w.GetLayer(0), std::vector<TWindow*>{b});
    EXPECT_EQ(w.GetLayer(1), std::vector<TWindow*>{b});
    w.SelectLayer(1);
    EXPECT_TRUE(b->GetFlags() & kWindowShown);
}

} // namespace
