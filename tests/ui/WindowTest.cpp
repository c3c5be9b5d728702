#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Task.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/Renderer.h"
#include "support/HeadlessDisplay.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"
#include "ui/Window.h"
#include "ui/WindowAnim.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"
#include "ui/WindowSpider.h"

namespace {

using Log = std::vector<std::string>;

std::string Pt(TPoint p)
{
    return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

// A window that writes what happens to it into a shared log and answers
// "handled" for the operations listed in `handles`.
class Probe : public TWindow {
public:
    Probe(Log& log, std::string tag, const TRect& rect = TRect()) : mLog(log), mTag(std::move(tag))
    {
        SetName(mTag.c_str());
        MoveTo(rect.left, rect.top);
        SetSize(rect.Width(), rect.Height());
    }
    ~Probe() override { mLog.push_back(mTag + ":deleted"); }

    bool Handles(const std::string& op) const
    {
        for (const auto& h : handles)
            if (h == op)
                return true;
        return false;
    }
    bool Note(const std::string& op, const std::string& args = "")
    {
        mLog.push_back(mTag + ":" + op + args);
        return Handles(op);
    }

    bool OnAttach() override { return Note("OnAttach") || attach; }
    void Draw() override
    {
        TRect viewport, clip;
        TRenderer::Get()->GetViewport(viewport);
        TRenderer::Get()->GetClipRect(clip);
        drawViewport = viewport;
        drawClip = clip;
        Note("Draw");
    }
    void PostDraw() override { Note("PostDraw"); }
    bool OnMessage(TMessage* m) override { return Note("OnMessage", "(" + std::string(m->GetName().c_str()) + ")"); }
    bool Update() override
    {
        Note("Update");
        return keepTimer;
    }
    bool OnMouseDown(TPoint p) override { return Note("OnMouseDown", Pt(p)); }
    bool OnMouseButton(int32_t code, TPoint p) override { return Note("OnMouseButton", std::to_string(code) + Pt(p)); }
    bool OnMouseUp(TPoint p) override { return Note("OnMouseUp", Pt(p)); }
    bool OnMouseMove(TPoint p) override { return Note("OnMouseMove", Pt(p)); }
    bool OnMouseHover(TPoint p) override
    {
        Note("OnMouseHover", Pt(p));
        return TWindow::OnMouseHover(p) || Handles("OnMouseHover");
    }
    bool OnChar(int32_t c) override { return Note("OnChar", "(" + std::to_string(c) + ")"); }
    bool OnKeyDown(int32_t key, int32_t extra) override
    {
        return Note("OnKeyDown", "(" + std::to_string(key) + "," + std::to_string(extra) + ")");
    }
    bool OnKeyUp(int32_t key) override { return Note("OnKeyUp", "(" + std::to_string(key) + ")"); }
    void OnSetFocus(TWindow* previous) override
    {
        Note("OnSetFocus", "(" + std::string(previous ? previous->GetName().c_str() : "null") + ")");
    }

    // Test access to the flag bits SetFlags keeps.
    void Change(uint32_t add, uint32_t remove) { ChangeFlags(add, remove); }

    std::vector<std::string> handles;
    bool attach = true;
    bool keepTimer = true;
    TRect drawViewport, drawClip;

private:
    Log& mLog;
    std::string mTag;
};

// A modal window with a size.
std::unique_ptr<TModalWindow> MakeModal(const char* name, int32_t w, int32_t h)
{
    auto modal = std::make_unique<TModalWindow>();
    modal->SetName(name);
    modal->SetSize(w, h);
    return modal;
}

// Records what reaches the window script.
class ScriptProbe : public TWindowScriptHooks {
public:
    void SetCurrentParent(TWindow* window) override { parent = window; }
    TWindow* GetCurrentParent() const override { return parent; }
    bool SetTranslateLabels(bool) override { return false; }
    bool RunFile(const TString&) override { return false; }
    bool RunString(const TString&) override { return false; }
    void DeliverMessage(TMessagePtr message) override { delivered.push_back(message->GetName().c_str()); }
    TWindow* parent = nullptr;
    std::vector<std::string> delivered;
};

// Takes every target-less message and keeps "type:name".
class MessageCatcher : public TMessageListener {
public:
    explicit MessageCatcher(std::vector<std::string>& out) : mOut(out) {}
    bool Offer(TMessage* m) override
    {
        mOut.push_back(std::to_string(m->GetType()) + ":" + m->GetName().c_str());
        return true;
    }

private:
    std::vector<std::string>& mOut;
};

TPlatformEvent Event(int32_t type, int32_t x = 0, int32_t y = 0, int32_t param = 0, int32_t param2 = 0)
{
    TPlatformEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.param = param;
    e.param2 = param2;
    return e;
}

Log Without(const Log& log, const std::string& op)
{
    Log out;
    for (const auto& l : log)
        if (l.find(":" + op) == std::string::npos)
            out.push_back(l);
    return out;
}

// ---------------------------------------------------------------------------
// Geometry

TEST(WindowGeometry, StyleGeometryTable)
{
    struct Case {
        const char* what;
        int32_t x, w, align;
        int32_t left, width; // expected; left -1 = nothing applied
    };
    const Case cases[] = {
        {"pixels", 10, 100, 0, 10, 100},
        {"centre offset", 80000, 100, 0, 350, 100},
        {"centre offset +20", 80020, 100, 0, 370, 100},
        {"from the far edge", 160000 - 10, 100, 0, 790, 100},
        {"far edge, right-aligned", 160000 - 10, 100, 0x2, 690, 100},
        {"negative position", -20, 100, 0, 780, 100},
        {"stretch to the far edge", 10, 160000, 0, 10, 790},
        {"stretch less 20", 10, 160000 - 20, 0, 10, 770},
        {"negative size extends back", 100, -50, 0, 50, 50},
        {"negative position and size", -20, -100, 0, 680, 100},
        {"centre-aligned pixels", 400, 100, 0x1, 350, 100},
        {"right-aligned pixels", 400, 100, 0x2, 300, 100},
        {"centring wins over right", 400, 100, 0x3, 350, 100},
        {"centred stretch, offset +10", 80010, 160000, 0, 20, 780},
        {"centred stretch, offset -10", 79990, 160000, 0, 0, 780},
        {"relative position, size 0", 80000, 0, 0, -1, 0},
        {"backward size beyond range", 10, -90000, 0, -1, 0},
        {"overflowing position", 2000000000, 2000000000, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log log;
        TWindow parent;
        parent.SetSize(800, 600);
        auto* child = new Probe(log, "c");
        parent.AddChild(child, false);
        TValueStyle style;
        style.Set("x", c.x).Set("w", c.w).Set("align", c.align);
        // The vertical axis reads the same encoding against the height.
        style.Set("y", c.x == 80000 ? 80000 : 5).Set("h", 20);
        child->Init(style);
        if (c.left < 0) {
            EXPECT_EQ(child->GetRect(), TRect());
            continue;
        }
        EXPECT_EQ(child->GetRect().left, c.left);
        EXPECT_EQ(child->GetWidth(), c.width);
        EXPECT_EQ(child->GetRect().top, c.x == 80000 ? 290 : 5);
        EXPECT_EQ(child->GetHeight(), 20);
    }
}

TEST(WindowGeometry, VerticalAxisUsesHeightAndItsAlignBits)
{
    TWindow parent;
    parent.SetSize(800, 600);
    auto* child = new TWindow();
    parent.AddChild(child, false);
    TValueStyle style;
    style.Set("x", 10).Set("w", 10).Set("y", 500).Set("h", 100).Set("align", 0x8);
    child->Init(style);
    EXPECT_EQ(child->GetRect(), TRect(10, 400, 20, 500));

    auto* other = new TWindow();
    parent.AddChild(other, false);
    style.Set("y", 300).Set("align", 0x4 | 0x8); // centring wins
    other->Init(style);
    EXPECT_EQ(other->GetRect(), TRect(10, 250, 20, 350));
}

TEST(WindowGeometry, WhatTheWindowHasWinsAndRelativeValuesNeedAParentExtent)
{
    TWindow parent;
    parent.SetSize(800, 600);
    auto* child = new TWindow();
    parent.AddChild(child, false);
    child->MoveTo(7, 9);
    child->SetSize(30, 0);
    TValueStyle style;
    style.Set("x", 100).Set("y", 100).Set("w", 50).Set("h", 60);
    child->Init(style);
    EXPECT_EQ(child->GetRect(), TRect(7, 9, 37, 69)); // position and width kept, height taken

    TWindow empty; // no width: a relative value applies nothing
    auto* inner = new TWindow();
    empty.AddChild(inner, false);
    style.Clear();
    style.Set("x", -10).Set("w", 5).Set("h", 5);
    inner->Init(style);
    EXPECT_EQ(inner->GetRect(), TRect());
    style.Set("x", 3);
    inner->Init(style);
    EXPECT_EQ(inner->GetRect(), TRect(3, 0, 8, 5));

    // Without a parent only the alignment is applied.
    TWindow lone;
    style.Clear();
    style.Set("x", 100).Set("w", 40).Set("h", 10).Set("align", 0x2);
    lone.Init(style);
    EXPECT_EQ(lone.GetRect(), TRect(60, 0, 100, 10));
}

TEST(WindowGeometry, InitReadsTheNameAndPostInitFitsToChildren)
{
    TWindow parent;
    TValueStyle style;
    style.Set("name", "panel").Set("w", 10).Set("h", 10);
    parent.Init(style);
    EXPECT_EQ(parent.GetName(), "panel");
    EXPECT_EQ(parent.GetRect(), TRect(0, 0, 10, 10));

    auto* a = new TWindow();
    a->MoveTo(5, 40);
    a->SetSize(100, 10); // right 105, bottom 50
    auto* b = new TWindow();
    b->MoveTo(0, 0);
    b->SetSize(20, 70);
    parent.AddChild(a, false);
    parent.AddChild(b, false);
    TValueStyle noFit;
    parent.PostInit(noFit);
    EXPECT_EQ(parent.GetRect(), TRect(0, 0, 10, 10));
    TValueStyle fit;
    fit.Set("fit", true);
    parent.PostInit(fit);
    EXPECT_EQ(parent.GetRect(), TRect(0, 0, 105, 70));

    // Fitting never shrinks.
    parent.SetSize(200, 200);
    parent.FitToChildren();
    EXPECT_EQ(parent.GetRect(), TRect(0, 0, 200, 200));
}

TEST(WindowGeometry, ScreenRectAndPointConversions)
{
    TWindow root;
    root.MoveTo(100, 50);
    root.SetSize(500, 500);
    auto* mid = new TWindow();
    mid->MoveTo(10, 20);
    mid->SetSize(200, 200);
    root.AddChild(mid, false);
    auto* leaf = new TWindow();
    leaf->MoveTo(3, 4);
    leaf->SetSize(30, 40);
    mid->AddChild(leaf, false);

    EXPECT_EQ(leaf->GetScreenRect(), TRect(113, 74, 143, 114));
    EXPECT_EQ(leaf->GetClientRect(), TRect(0, 0, 30, 40));
    TPoint s = leaf->ClientToScreen({1, 2});
    EXPECT_EQ(Pt(s), "(114,76)");
    EXPECT_EQ(Pt(leaf->ScreenToClient(s)), "(1,2)");
    EXPECT_EQ(Pt(leaf->ChildToParent({1, 2})), "(4,6)");
    EXPECT_EQ(Pt(leaf->ParentToChild({4, 6})), "(1,2)");

    leaf->MoveTo(0, 1); // keeps the size
    EXPECT_EQ(leaf->GetRect(), TRect(0, 1, 30, 41));
}

// ---------------------------------------------------------------------------
// Identity, flags, tree

TEST(WindowTree, IdsCountUpAndFormatAsPaddedHex)
{
    TWindow a, b, c;
    EXPECT_EQ(b.GetId(), a.GetId() + 1);
    EXPECT_EQ(c.GetId(), a.GetId() + 2);
    EXPECT_EQ(TWindow::FormatId(0), "       0");
    EXPECT_EQ(TWindow::FormatId(0x1a), "      1a");
    EXPECT_EQ(TWindow::FormatId(0x12345678), "12345678");
    EXPECT_EQ(c.GetIdString(), TWindow::FormatId(c.GetId()));
}

TEST(WindowTree, KindTestsAndCreator)
{
    std::unique_ptr<TWindow> made(TWindow::GetCreator());
    EXPECT_STREQ(made->GetClassName(), "TWindow");
    EXPECT_TRUE(made->IsKindOf(TWindow::TypeId()));
    EXPECT_FALSE(made->IsKindOf(TModalWindow::TypeId()));
    EXPECT_EQ(TWindow::Cast<TModalWindow>(made.get()), nullptr);
    auto modal = MakeModal("m", 10, 10);
    EXPECT_TRUE(modal->IsKindOf(TWindow::TypeId()));
    EXPECT_EQ(TWindow::Cast<TModalWindow>(modal.get()), modal.get());
    EXPECT_EQ(TWindow::Cast<TWindow>(nullptr), nullptr);
}

TEST(WindowTree, SetFlagsReplacesOnlyTheUpperByte)
{
    Log log;
    Probe w(log, "w");
    EXPECT_EQ(w.GetFlags(), uint32_t(kWindowShown));
    w.Change(kWindowModalRoot | kWindowTakesFocus, 0);
    w.SetFlags(kWindowOpaqueCover | kWindowRadioGroup | 0x10000);
    EXPECT_EQ(w.GetFlags(), uint32_t(kWindowModalRoot | kWindowTakesFocus | kWindowOpaqueCover));
    EXPECT_TRUE(w.HasFlags(kWindowModalRoot | kWindowOpaqueCover));
    EXPECT_FALSE(w.HasFlags(kWindowShown));

    TWindowClearFlags clear(~uint32_t(kWindowOpaqueCover), false);
    TWindow parent;
    auto* child = new Probe(log, "child");
    parent.AddChild(child, false);
    child->SetFlags(kWindowShown | kWindowOpaqueCover);
    auto* grandchild = new TWindow();
    child->AddChild(grandchild, false);
    grandchild->SetFlags(kWindowShown | kWindowOpaqueCover);
    parent.Walk(clear);
    EXPECT_EQ(child->GetFlags(), uint32_t(kWindowShown));
    EXPECT_TRUE(grandchild->HasFlags(kWindowOpaqueCover)); // not recursive
    TWindowClearFlags deep(~uint32_t(kWindowOpaqueCover), true);
    parent.Walk(deep);
    EXPECT_EQ(grandchild->GetFlags(), uint32_t(kWindowShown));
}

TEST(WindowTree, NewChildGoesToTheFrontAndAListedChildKeepsItsPlace)
{
    Log log;
    TWindow parent;
    auto* a = new Probe(log, "a");
    auto* b = new Probe(log, "b");
    auto* c = new Probe(log, "c");
    EXPECT_TRUE(parent.AddChild(a, false));
    EXPECT_TRUE(parent.AddChild(b, true));
    EXPECT_TRUE(parent.AddChild(c, false));
    EXPECT_EQ(parent.GetChildren(), (std::vector<TWindow*>{c, b, a}));
    EXPECT_EQ(log, (Log{"b:OnAttach"}));
    EXPECT_TRUE(parent.AddChild(a, false));
    EXPECT_EQ(parent.GetChildren(), (std::vector<TWindow*>{c, b, a}));
    EXPECT_EQ(a->GetParent(), &parent);
    EXPECT_FALSE(parent.AddChild(&parent, false));
    EXPECT_FALSE(parent.AddChild(nullptr, false));
    EXPECT_FALSE(a->AddChild(&parent, false)); // no cycles
}

TEST(WindowTree, RefusedAttachUndoesOnlyThatChild)
{
    Log log;
    TWindow parent;
    auto* a = new Probe(log, "a");
    auto* b = new Probe(log, "b");
    parent.AddChild(a, false);
    parent.AddChild(b, false);
    b->attach = false;
    // A listed child refusing a new attach leaves, even when not in front.
    auto* front = new Probe(log, "front");
    parent.AddChild(front, false);
    EXPECT_FALSE(parent.AddChild(b, true));
    EXPECT_EQ(parent.GetChildren(), (std::vector<TWindow*>{front, a}));
    EXPECT_EQ(b->GetParent(), nullptr);

    EXPECT_FALSE(parent.AddChild(b, true)); // a new child refusing
    EXPECT_EQ(parent.GetChildren(), (std::vector<TWindow*>{front, a}));
    EXPECT_EQ(b->GetParent(), nullptr);
    delete b;
}

TEST(WindowTree, RemoveChildAndMovingToAnotherParent)
{
    Log log;
    TWindow first, second;
    auto* a = new Probe(log, "a");
    first.AddChild(a, false);
    EXPECT_EQ(first.RemoveChild(&second), nullptr);
    // Adding to another parent takes it off the first list.
    second.AddChild(a, false);
    EXPECT_TRUE(first.GetChildren().empty());
    EXPECT_EQ(a->GetParent(), &second);
    EXPECT_EQ(second.RemoveChild(a), &second);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(second.RemoveChild(a), nullptr);
    EXPECT_EQ(a->SetParent(&first), nullptr); // stores only
    EXPECT_EQ(a->SetParent(nullptr), &first);
    delete a;
}

TEST(WindowTree, IsShownWalksToTheModalRoot)
{
    Log log;
    auto root = std::make_unique<Probe>(log, "root");
    root->Change(kWindowModalRoot, 0);
    auto* mid = new TWindow();
    root->AddChild(mid, false);
    auto* leaf = new TWindow();
    mid->AddChild(leaf, false);
    EXPECT_TRUE(leaf->IsShown());
    mid->SetFlags(0);
    EXPECT_FALSE(leaf->IsShown());
    mid->SetFlags(kWindowShown);
    root->SetFlags(0);
    EXPECT_FALSE(leaf->IsShown());
    root->SetFlags(kWindowShown);
    // Without a modal root above, nothing is shown.
    TWindow lone;
    auto* loneChild = new TWindow();
    lone.AddChild(loneChild, false);
    EXPECT_FALSE(loneChild->IsShown());
    EXPECT_FALSE(lone.IsShown());
}

TEST(WindowTree, GetModalWindowFindsTheNearestModalAncestor)
{
    Log log;
    auto outer = MakeModal("outer", 100, 100);
    auto* inner = new TModalWindow();
    outer->AddChild(inner, false);
    auto* panel = new TWindow();
    inner->AddChild(panel, false);
    EXPECT_EQ(panel->GetModalWindow(), inner);
    EXPECT_EQ(inner->GetModalWindow(), outer.get()); // not the window itself
    EXPECT_EQ(outer->GetModalWindow(), nullptr);

    // A modal root that is not a TModalWindow ends the search with nothing.
    auto* fake = new Probe(log, "fake");
    fake->Change(kWindowModalRoot, 0);
    panel->AddChild(fake, false);
    auto* below = new TWindow();
    fake->AddChild(below, false);
    EXPECT_EQ(below->GetModalWindow(), nullptr);
}

TEST(WindowTree, FindChildSearchesInListOrderToADepth)
{
    TWindow root;
    root.SetName("root");
    auto* a = new TWindow();
    a->SetName("a");
    auto* b = new TWindow();
    b->SetName("b");
    auto* deep = new TWindow();
    deep->SetName("x");
    auto* shallow = new TWindow();
    shallow->SetName("x");
    root.AddChild(a, false);
    root.AddChild(b, false); // front: b, a
    a->AddChild(shallow, false);
    b->AddChild(new TWindow(), false);
    b->GetChildren()[0]->AddChild(deep, false);

    EXPECT_EQ(root.FindChild("root", 0), &root);
    EXPECT_EQ(root.FindChild("a", 0), nullptr);
    EXPECT_EQ(root.FindChild("a", 1), a);
    EXPECT_EQ(root.FindChild("x", 1), nullptr);
    EXPECT_EQ(root.FindChild("x", 2), shallow); // deep is three levels down
    EXPECT_EQ(root.FindChild("x", -1), deep);   // b comes first in the list
    EXPECT_EQ(root.FindChild("none", -1), nullptr);
}

TEST(WindowTree, WalkOrderStopAndChangesDuringTheWalk)
{
    struct Collect : TWindowSpider {
        std::vector<TWindow*> seen;
        TWindow* stopAt = nullptr;
        std::function<void(TWindow*)> onVisit;
        bool Visit(TWindow* w) override
        {
            seen.push_back(w);
            if (onVisit)
                onVisit(w);
            return w != stopAt;
        }
    };
    TWindow parent;
    auto* a = new TWindow();
    auto* b = new TWindow();
    auto* c = new TWindow();
    parent.AddChild(a, false);
    parent.AddChild(b, false);
    parent.AddChild(c, false); // c, b, a

    Collect forward;
    parent.Walk(forward);
    EXPECT_EQ(forward.seen, (std::vector<TWindow*>{c, b, a}));
    Collect backward;
    parent.Walk(backward, true);
    EXPECT_EQ(backward.seen, (std::vector<TWindow*>{a, b, c}));
    Collect stopping;
    stopping.stopAt = b;
    parent.Walk(stopping);
    EXPECT_EQ(stopping.seen, (std::vector<TWindow*>{c, b}));

    // A visit that removes the next child and adds a new one: the removed one
    // is not visited, the new one neither.
    Collect changing;
    auto* added = new TWindow();
    changing.onVisit = [&](TWindow* w) {
        if (w == c) {
            parent.RemoveChild(b);
            parent.AddChild(added, false);
        }
    };
    parent.Walk(changing);
    EXPECT_EQ(changing.seen, (std::vector<TWindow*>{c, a}));
    delete b;

    GetLargest largest(parent);
    EXPECT_EQ(largest.GetRight(), 0);
}

// ---------------------------------------------------------------------------
// Hit testing and event dispatch

// root (modal root, 400x300) with children, front first:
//   front (10,10)-(110,110)   over
//   back  (50,50)-(250,250)   which holds  inner (20,20)-(120,120)
struct DispatchFixture : ::testing::Test {
    void SetUp() override
    {
        root = MakeModal("root", 400, 300);
        back = new Probe(log, "back", TRect(50, 50, 250, 250));
        inner = new Probe(log, "inner", TRect(20, 20, 120, 120));
        front = new Probe(log, "front", TRect(10, 10, 110, 110));
        root->AddChild(back, false);
        back->AddChild(inner, false);
        root->AddChild(front, false);
        manager.AddMessageListener(std::make_unique<MessageCatcher>(messages));
    }
    std::vector<std::string> Messages()
    {
        manager.DispatchMessages();
        return messages;
    }

    TWindowManager manager;
    Log log;
    std::vector<std::string> messages;
    std::unique_ptr<TModalWindow> root;
    Probe* back = nullptr;
    Probe* inner = nullptr;
    Probe* front = nullptr;
};

TEST_F(DispatchFixture, HitTestTakesTheFrontShownChildAndDescends)
{
    EXPECT_EQ(root->GetChildAt({80, 80}), front);
    EXPECT_EQ(root->GetChildAt({109, 109}), front);
    EXPECT_EQ(root->GetChildAt({110, 110}), back); // right and bottom are outside
    EXPECT_EQ(root->GetChildAt({5, 5}), nullptr);

    TPoint p{120, 130};
    EXPECT_EQ(root->FindDeepest(p), inner);
    EXPECT_EQ(Pt(p), "(50,60)");
    p = {120, 130};
    EXPECT_EQ(root->FindDeepest(p, 1), back);
    EXPECT_EQ(Pt(p), "(70,80)");
    p = {120, 130};
    EXPECT_EQ(root->FindDeepest(p, 0), root.get());
    p = {399, 299};
    EXPECT_EQ(root->FindDeepest(p), root.get());

    front->SetFlags(0); // hidden: not hit
    EXPECT_EQ(root->GetChildAt({80, 80}), back);
    back->SetFlags(0);
    p = {120, 130};
    EXPECT_EQ(root->FindDeepest(p), root.get());
}

TEST_F(DispatchFixture, EachEventTypeReachesItsOperation)
{
    struct Case {
        TPlatformEvent event;
        const char* expected;
    };
    const Case cases[] = {
        {Event(kEventLeftDown, 1, 2), "inner:OnMouseDown(1,2)"},
        {Event(kEventButton, 1, 2, kButtonWheelBack), "inner:OnMouseButton7(1,2)"},
        {Event(kEventLeftUp, 1, 2), "inner:OnMouseUp(1,2)"},
        {Event(kEventMouseMove, 1, 2), "inner:OnMouseMove(1,2)"},
        {Event(kEventHover, 1, 2), "inner:OnMouseHover(1,2)"},
        {Event(kEventKeyDown, 0, 0, 0x141, 9), "inner:OnKeyDown(65,9)"}, // the low byte
        {Event(kEventKeyUp, 0, 0, 0x142), "inner:OnKeyUp(66)"},
        {Event(kEventChar, 0, 0, 0x1e9), "inner:OnChar(233)"},
    };
    const char* ops[] = {"OnMouseDown", "OnMouseButton", "OnMouseUp", "OnMouseMove",
                         "OnMouseHover", "OnKeyDown", "OnKeyUp", "OnChar"};
    for (const char* op : ops)
        inner->handles.push_back(op);
    for (const Case& c : cases) {
        log.clear();
        EXPECT_TRUE(inner->DispatchEvent(c.event));
        EXPECT_EQ(log, (Log{c.expected}));
    }
    log.clear();
    EXPECT_FALSE(inner->DispatchEvent(Event(kEventPaint))); // no operation for it
    EXPECT_TRUE(log.empty());
}

TEST_F(DispatchFixture, UnhandledClickFallsThroughToTheNextSiblingThenTheParent)
{
    // (80, 80) in root: inside front at (70,70) and inside back's inner at (10,10).
    front->DispatchEvent(Event(kEventMouseMove, 70, 70));
    EXPECT_EQ(log, (Log{"front:OnMouseMove(70,70)", "inner:OnMouseMove(10,10)", "back:OnMouseMove(30,30)"}));

    log.clear();
    back->handles = {"OnMouseMove"};
    EXPECT_TRUE(front->DispatchEvent(Event(kEventMouseMove, 70, 70)));
    EXPECT_EQ(log, (Log{"front:OnMouseMove(70,70)", "inner:OnMouseMove(10,10)", "back:OnMouseMove(30,30)"}));

    // A point only in front goes straight to the parent (the modal root).
    log.clear();
    EXPECT_FALSE(front->DispatchEvent(Event(kEventMouseMove, 5, 5)));
    EXPECT_EQ(log, (Log{"front:OnMouseMove(5,5)"}));
    EXPECT_TRUE(Messages().empty());

    // A hidden later sibling is passed over.
    log.clear();
    back->SetFlags(0);
    front->DispatchEvent(Event(kEventMouseMove, 70, 70));
    EXPECT_EQ(log, (Log{"front:OnMouseMove(70,70)"}));
}

TEST_F(DispatchFixture, KeyEventsBubbleToTheParentOnly)
{
    // A key event has no point: it is not handed to siblings.
    auto* child = new Probe(log, "child", TRect(0, 0, 10, 10));
    front->AddChild(child, false);
    child->DispatchEvent(Event(kEventKeyUp, 0, 0, 40));
    EXPECT_EQ(log, (Log{"child:OnKeyUp(40)", "front:OnKeyUp(40)"}));
}

TEST_F(DispatchFixture, UnhandledInputAtTheModalRootIsPosted)
{
    root->DispatchEvent(Event(kEventKeyDown, 0, 0, 'A'));
    root->DispatchEvent(Event(kEventLeftUp, 3, 3));
    root->DispatchEvent(Event(kEventLeftDown, 3, 3));
    root->DispatchEvent(Event(kEventMouseMove, 3, 3));
    root->DispatchEvent(Event(kEventKeyUp, 0, 0, 'B'));
    inner->DispatchEvent(Event(kEventKeyDown, 0, 0, 0x100 + 'Z')); // bubbles up to the root
    EXPECT_EQ(Messages(), (std::vector<std::string>{"4:raw:A", "4:mouse:up", "4:raw:Z"}));
}

TEST_F(DispatchFixture, LeftPressGivesFocusToTheNearestFocusableWindowOnce)
{
    back->Change(kWindowTakesFocus, 0);
    front->Change(kWindowTakesFocus, 0);
    manager.SetFocus(nullptr);
    // inner is not focusable: back, its parent, takes the focus.
    inner->DispatchEvent(Event(kEventLeftDown, 1, 1));
    EXPECT_EQ(manager.GetFocus(), back);
    EXPECT_EQ(Without(log, "OnMouseDown"), (Log{"back:OnSetFocus(null)"}));

    // front takes it; the fall-through to back does not take it again.
    log.clear();
    front->DispatchEvent(Event(kEventLeftDown, 70, 70));
    EXPECT_EQ(manager.GetFocus(), front);
    EXPECT_EQ(log, (Log{"front:OnMouseDown(70,70)", "front:OnSetFocus(back)", "inner:OnMouseDown(10,10)",
                        "back:OnMouseDown(30,30)"}));

    // Handled presses move the focus too; other events never do.
    log.clear();
    inner->handles = {"OnMouseDown"};
    inner->DispatchEvent(Event(kEventLeftDown, 1, 1));
    EXPECT_EQ(manager.GetFocus(), back);
    inner->DispatchEvent(Event(kEventLeftUp, 1, 1));
    front->DispatchEvent(Event(kEventButton, 1, 1, kButtonRightDown));
    EXPECT_EQ(manager.GetFocus(), back);

    // Nothing focusable up to the modal root leaves the focus alone... except
    // that the modal window itself takes it.
    back->Change(0, kWindowTakesFocus);
    inner->DispatchEvent(Event(kEventLeftDown, 1, 1));
    EXPECT_EQ(manager.GetFocus(), root.get());
}

TEST_F(DispatchFixture, HoverAsksTheManagersHandler)
{
    struct Handler : THoverHandler {
        TWindow* window = nullptr;
        int32_t x = 0, y = 0;
        bool OnMouseHover(TWindow* w, int32_t px, int32_t py) override
        {
            window = w;
            x = px;
            y = py;
            return true;
        }
    } handler;
    EXPECT_FALSE(inner->TWindow::OnMouseHover({1, 1}));
    manager.SetHoverHandler(&handler);
    EXPECT_TRUE(inner->DispatchEvent(Event(kEventHover, 4, 5)));
    EXPECT_EQ(handler.window, inner);
    EXPECT_EQ(handler.x, 4);
    EXPECT_EQ(handler.y, 5);
    manager.SetHoverHandler(nullptr);
}

// ---------------------------------------------------------------------------
// Messages

TEST_F(DispatchFixture, SendMessageClimbsToTheModalRootThenFocusThenScript)
{
    ScriptProbe script;
    manager.Init(&script);
    const uint32_t live = TMessage::LiveCount();

    back->handles = {"OnMessage"};
    inner->SendMessage(new TMessage(3, "one"));
    EXPECT_EQ(log, (Log{"inner:OnMessage(one)", "back:OnMessage(one)"}));
    EXPECT_EQ(TMessage::LiveCount(), live); // the handler's window deleted it

    // Nobody on the way takes it: the modal window's focus window is asked,
    // then the script gets it.
    log.clear();
    back->handles.clear();
    root->SetFocusWindow(front);
    inner->SendMessage(new TMessage(3, "two"));
    EXPECT_EQ(log, (Log{"inner:OnMessage(two)", "back:OnMessage(two)", "front:OnMessage(two)"}));
    EXPECT_EQ(script.delivered, (std::vector<std::string>{"two"}));

    log.clear();
    front->handles = {"OnMessage"};
    inner->SendMessage(new TMessage(3, "three"));
    EXPECT_EQ(script.delivered.size(), 1u);

    // Null target, and a tree with no modal root: deleted.
    TWindow::SendMessageTo(nullptr, std::make_unique<TMessage>(3, "four"));
    TWindow lone;
    lone.SendMessage(new TMessage(3, "five"));
    EXPECT_EQ(TMessage::LiveCount(), live);
    manager.Init(nullptr);
}

// ---------------------------------------------------------------------------
// Drawing

struct DrawFixture : ::testing::Test {
    void SetUp() override { TRenderer::Get()->PushClipRect(TRect(0, 0, 800, 600)); }
    THeadlessDisplay display{800, 600};
};

TEST_F(DrawFixture, ChildrenAreDrawnBackToFrontInsideTheirClip)
{
    Log log;
    auto root = MakeModal("root", 800, 600);
    auto* back = new Probe(log, "back", TRect(100, 100, 300, 300));
    auto* front = new Probe(log, "front", TRect(150, 150, 350, 350));
    auto* inner = new Probe(log, "inner", TRect(-50, 10, 50, 20)); // sticks out of front
    auto* hidden = new Probe(log, "hidden", TRect(0, 0, 10, 10));
    auto* outside = new Probe(log, "outside", TRect(900, 0, 950, 10));
    auto* modalChild = new TModalWindow();
    modalChild->SetSize(10, 10);
    root->AddChild(outside, false);
    root->AddChild(hidden, false);
    root->AddChild(back, false);
    root->AddChild(front, false);
    root->AddChild(modalChild, false);
    front->AddChild(inner, false);
    hidden->SetFlags(0);

    EXPECT_TRUE(root->DrawTree(kDrawNormal));
    EXPECT_EQ(log, (Log{"back:Draw", "back:PostDraw", "front:Draw", "inner:Draw", "inner:PostDraw",
                        "front:PostDraw"}));
    EXPECT_EQ(inner->drawViewport, TRect(100, 160, 200, 170));
    EXPECT_EQ(inner->drawClip, TRect(150, 160, 200, 170));
    EXPECT_EQ(front->drawClip, TRect(150, 150, 350, 350));
    // Everything pushed was popped.
    EXPECT_EQ(TRenderer::Get()->GetClipDepth(), 1u);
    EXPECT_EQ(display.Device().GetViewportDepth(), 0u);
    EXPECT_FALSE(hidden->DrawTree(kDrawNormal));
    EXPECT_TRUE(outside->DrawTree(kDrawNormal)); // clipped away: drawn as nothing
}

TEST_F(DrawFixture, RenderToTexturePassAndCompletionPass)
{
    Log log;
    auto root = std::make_unique<Probe>(log, "root", TRect(0, 0, 800, 600));
    root->Change(kWindowModalRoot, 0);
    auto* tex = new Probe(log, "tex", TRect(0, 0, 100, 100));
    auto* plain = new Probe(log, "plain", TRect(0, 0, 100, 100));
    auto* texInPlain = new Probe(log, "texInPlain", TRect(0, 0, 10, 10));
    root->AddChild(plain, false);
    root->AddChild(tex, false);
    plain->AddChild(texInPlain, false);
    tex->Change(kWindowToTexture, 0);
    texInPlain->Change(kWindowToTexture, 0);

    // Mode 1: only windows with the flag, whose parent (if any) was drawn in
    // this pass.
    EXPECT_FALSE(root->DrawTree(kDrawToTexture));
    EXPECT_TRUE(log.empty());
    root->Change(kWindowToTexture, 0);
    EXPECT_TRUE(root->DrawTree(kDrawToTexture));
    EXPECT_EQ(Without(log, "PostDraw"), (Log{"root:Draw", "tex:Draw"}));
    EXPECT_TRUE(root->HasFlags(kWindowDrawnToTexture));
    EXPECT_TRUE(tex->HasFlags(kWindowDrawnToTexture));
    EXPECT_FALSE(plain->HasFlags(kWindowDrawnToTexture));
    EXPECT_FALSE(texInPlain->HasFlags(kWindowDrawnToTexture));

    // Mode 2 leaves out what the texture pass drew.
    log.clear();
    EXPECT_FALSE(root->DrawTree(kDrawCompletion));
    EXPECT_TRUE(log.empty());
    root->SetFlags(kWindowShown);
    EXPECT_TRUE(root->DrawTree(kDrawCompletion));
    EXPECT_EQ(Without(log, "PostDraw"), (Log{"root:Draw", "plain:Draw", "texInPlain:Draw"}));
}

// ---------------------------------------------------------------------------
// Timers and lifetimes

uint32_t gNow = 0;
uint32_t FakeNow()
{
    return gNow;
}

TEST(WindowLifetime, TimerRunsOnTheModalWindowsListAndEndsWithItsWindow)
{
    SetTimerSource(&FakeNow);
    gNow = 1000;
    Log log;
    {
        TWindowManager manager;
        auto modal = MakeModal("m", 100, 100);
        modal->GetClock().Start();
        auto* w = new Probe(log, "w");
        modal->AddChild(w, false);

        TWindow lone; // outside every modal window: nothing happens
        lone.SetTimer(10, true, true, false);
        EXPECT_EQ(lone.GetAnim(), nullptr);

        w->SetTimer(10, true, true, false);
        ASSERT_NE(w->GetAnim(), nullptr);
        EXPECT_EQ(w->GetAnim()->GetClock(), &modal->GetClock());
        EXPECT_TRUE(modal->GetTasks()->Contains(w->GetAnim()));
        TWindowAnim* anim = w->GetAnim();
        w->SetTimer(20, true, true, false); // the same task again
        EXPECT_EQ(w->GetAnim(), anim);
        gNow += 20;
        modal->RunTasks(kPassIdle);
        EXPECT_EQ(log, (Log{"w:Update"}));

        // The window goes: its task ends at the next run, without calling it.
        modal->RemoveChild(w);
        delete w;
        EXPECT_EQ(anim->GetWindow(), nullptr);
        gNow += 20;
        modal->RunTasks(kPassIdle);
        EXPECT_EQ(modal->GetTasks()->GetCount(), 0u);
        EXPECT_EQ(log, (Log{"w:Update", "w:deleted"}));

        // Update answering false ends the timer; the window forgets it.
        auto* v = new Probe(log, "v");
        modal->AddChild(v, false);
        v->keepTimer = false;
        v->SetTimer(0, false, true, false);
        modal->RunTasks(kPassIdle);
        EXPECT_EQ(v->GetAnim(), nullptr);
        EXPECT_EQ(modal->GetTasks()->GetCount(), 0u);

        // A released timer ends at its next run.
        v->keepTimer = true;
        v->SetTimer(0, false, true, false);
        v->ReleaseAnim();
        EXPECT_EQ(v->GetAnim(), nullptr);
        modal->RunTasks(kPassIdle);
        EXPECT_EQ(modal->GetTasks()->GetCount(), 0u);

        // Deleting the modal window deletes the pending timer of a child.
        v->SetTimer(1000, false, true, false);
        modal.reset();
    }
    SetTimerSource(nullptr);
}

TEST(WindowLifetime, DestroyedWindowsLeaveTheirParentAndTheManager)
{
    Log log;
    std::vector<std::string> messages;
    TWindowManager manager;
    manager.AddMessageListener(std::make_unique<MessageCatcher>(messages));
    auto* root = new TModalWindow(); // owned by the manager
    root->SetSize(100, 100);
    manager.PushModal(root);
    auto* panel = new Probe(log, "panel", TRect(0, 0, 50, 50));
    auto* leaf = new Probe(log, "leaf", TRect(0, 0, 10, 10));
    auto* other = new Probe(log, "other", TRect(0, 0, 10, 10));
    root->AddChild(other, false);
    root->AddChild(panel, false);
    panel->AddChild(leaf, false);

    manager.HandleEvent(Event(kEventMouseMove, 5, 5));
    EXPECT_EQ(manager.GetHoverWindow(), leaf);
    manager.SetFocus(leaf);
    manager.AddCapture(leaf);
    manager.AddCapture(other);
    root->SetFocusWindow(leaf);
    manager.PostMessage(new TMessage(3, "to-leaf", leaf));
    auto held = std::make_unique<TMessage>(3, "held", leaf);

    log.clear();
    delete panel; // directly, still attached: deletes its child too
    EXPECT_EQ(log, (Log{"panel:deleted", "leaf:deleted"}));
    EXPECT_EQ(root->GetChildren(), (std::vector<TWindow*>{other}));
    EXPECT_EQ(manager.GetFocus(), nullptr);
    EXPECT_EQ(manager.GetHoverWindow(), nullptr);
    EXPECT_FALSE(manager.HasCapture(leaf));
    EXPECT_TRUE(manager.HasCapture(other));
    EXPECT_EQ(root->GetFocusWindow(), nullptr);
    EXPECT_EQ(held->GetTarget(), nullptr);
    // The queued message lost its target and takes the target-less route.
    manager.DispatchMessages();
    EXPECT_EQ(messages, (std::vector<std::string>{"3:to-leaf"}));
    manager.ReleaseCapture(other);
}

TEST(WindowLifetime, DeleteChildrenDefersToTheManager)
{
    Log log;
    auto root = MakeModal("root", 100, 100);
    {
        TWindowManager manager;
        auto* a = new Probe(log, "a");
        auto* b = new Probe(log, "b");
        root->AddChild(a, false);
        root->AddChild(b, false);
        root->DeleteChildren();
        EXPECT_TRUE(root->GetChildren().empty());
        EXPECT_EQ(a->GetParent(), nullptr);
        EXPECT_TRUE(log.empty()); // still alive until the next event
        EXPECT_TRUE(manager.IsPendingDelete(a));
        manager.HandleEvent(Event(kEventActivate));
        EXPECT_EQ(log, (Log{"b:deleted", "a:deleted"}));
    }
    // Without a manager the children are deleted at once.
    log.clear();
    root->AddChild(new Probe(log, "c"), false);
    root->DeleteChildren();
    EXPECT_EQ(log, (Log{"c:deleted"}));
}

TEST(WindowLifetime, CoverSetFollowsFlagsSizeAndDetachedSubtrees)
{
    TWindowManager manager;
    auto modal = MakeModal("m", 800, 600);
    auto* panel = new TWindow();
    panel->SetSize(800, 600);
    modal->AddChild(panel, false);
    auto* image = new TWindow();
    panel->AddChild(image, false);
    image->SetSize(800, 600);
    EXPECT_FALSE(modal->IsInCover(image));
    image->SetFlags(kWindowShown | kWindowOpaqueCover);
    EXPECT_TRUE(modal->IsInCover(image));
    image->SetSize(800, 599);
    EXPECT_FALSE(modal->IsInCover(image));
    image->SetSize(800, 600);
    EXPECT_TRUE(modal->IsInCover(image));

    // Taking the panel off takes its whole subtree out of the set; putting it
    // back puts the image back.
    modal->RemoveChild(panel);
    EXPECT_FALSE(modal->IsInCover(image));
    EXPECT_EQ(modal->GetCoverCount(), 0u);
    modal->AddChild(panel, false);
    EXPECT_TRUE(modal->IsInCover(image));

    // A nested modal window keeps its own descendants.
    auto* dialog = new TModalWindow();
    panel->AddChild(dialog, false);
    dialog->SetSize(800, 600);
    auto* dialogImage = new TWindow();
    dialog->AddChild(dialogImage, false);
    dialogImage->SetSize(800, 600);
    dialogImage->SetFlags(kWindowShown | kWindowOpaqueCover);
    EXPECT_TRUE(dialog->IsInCover(dialogImage));
    EXPECT_FALSE(modal->IsInCover(dialogImage));

    // A deleted window leaves the set.
    modal->RemoveChild(panel);
    delete panel;
    EXPECT_EQ(modal->GetCoverCount(), 0u);
}

} // namespace
