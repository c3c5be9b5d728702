// Showing, closing and waiting for windows, and showing a question, in a
// window manager without a display.
#include <gtest/gtest.h>

#include <algorithm>

#include "EventFakes.h"
#include "EventTestSupport.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventTrigger.h"
#include "game/show/event/WindowEvents.h"
#include "ui/ManagerTestSupport.h"

namespace {

using eventtest::Manual;
using uitest::gLog;
using uitest::Probe;

class WindowEvents : public uitest::ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        eventtest::FreshEventManager();
        mStage = uitest::Place(mScreen, new Probe("stage", 0), 0, 0, 800, 600);
    }
    void TearDown() override
    {
        KEvent::SetShowLink(nullptr);
        ManagerFixture::TearDown();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
    }
    static void Pass(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            KEvent::EventManager::Instance()->Update();
    }
    // The next event carries out deferred deletions.
    void NextEvent() { mManager->HandleEvent(uitest::Ev(kEventIdle)); }
    static bool Logged(const std::string& entry) { return std::count(gLog.begin(), gLog.end(), entry) > 0; }

    TWindow* mStage = nullptr;
};

TEST_F(WindowEvents, APassThatStartsSomethingAsksForAFrame)
{
    // A list of its own: the frames drawn here run no event passes.
    TTaskList tasks;
    KEvent::EventTrigger* trigger = KEvent::InstallEventTrigger(tasks);
    auto drawn = [this] {
        uitest::gNow += 20;
        mManager->Frame();
        ASSERT_FALSE(mManager->NeedsRedraw());
    };
    drawn();
    tasks.RunAll(kPassIdle);
    EXPECT_FALSE(mManager->NeedsRedraw()) << "nothing started";
    KEvent::MakeDummy()->Then(KEvent::MakeWaitTime(5));
    tasks.RunAll(kPassIdle);
    EXPECT_TRUE(mManager->NeedsRedraw());
    drawn();
    tasks.RunAll(kPassIdle);
    EXPECT_TRUE(mManager->NeedsRedraw()) << "the wait started";
    drawn();
    tasks.RunAll(kPassIdle);
    tasks.RunAll(kPassIdle);
    EXPECT_FALSE(mManager->NeedsRedraw()) << "the wait ended; nothing started";
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
    delete trigger;
}

TEST_F(WindowEvents, ShowWaitAndCloseAWindow)
{
    auto* dialog = new Probe("dialog", 0);
    auto show = KEvent::MakeShowWindow(mStage, dialog);
    auto wait = show->Then(KEvent::MakeWaitForWindowClose(dialog));
    EXPECT_STREQ(wait->GetName().c_str(), "eWaitForWindowClose(dialog)");
    auto answered = Manual("answered");
    auto close = answered->Then(KEvent::MakeCloseWindow(dialog));
    std::weak_ptr<KEvent::eWaitForWindowClose> weakWait = wait;

    Pass();
    EXPECT_EQ(dialog->GetParent(), mStage);
    EXPECT_TRUE(Logged("dialog:msg:1101:ShowingWindow"));
    Pass();
    ASSERT_NE(dialog->FindChild("EventWindowSpy"), nullptr) << "the spy sits in the window";
    EXPECT_FALSE(wait->IsFinished());

    answered->Finish();
    Pass();
    EXPECT_EQ(dialog->GetParent(), nullptr);
    EXPECT_TRUE(mManager->IsPendingDelete(dialog));
    EXPECT_FALSE(wait->IsFinished()) << "the window still exists";
    NextEvent();
    EXPECT_TRUE(Logged("dialog:deleted"));
    EXPECT_TRUE(wait->IsFinished());
    wait.reset();
    Pass(2);
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
    EXPECT_TRUE(weakWait.expired()) << "the spy let go of it";
}

TEST_F(WindowEvents, WaitingForAWindow)
{
    struct Case {
        const char* what;
        std::function<void(TWindow* window, KEvent::Event& wait)> beforeStart;
        std::function<void(TWindow* window, KEvent::Event& wait)> afterStart;
        bool finishesInStartPass;
        bool finishedAtEnd;
        bool windowLives;
    };
    auto destroy = [this](TWindow* window, KEvent::Event&) {
        mStage->RemoveChild(window);
        mManager->DeferDelete(window);
        NextEvent();
    };
    auto closeMessage = [](TWindow* window, KEvent::Event&) {
        auto message = std::make_unique<TMessage>(kMsgCloseWindow, "dialog");
        EXPECT_FALSE(window->FindChild("EventWindowSpy")->OnMessage(message.get())) << "goes on unhandled";
    };
    auto skip = [](TWindow*, KEvent::Event& wait) { wait.Skip(); };
    const Case cases[] = {
        {"closed before the wait starts: it ends in the pass in which it starts", destroy, nullptr, true, true, false},
        {"told to close before the start", closeMessage, nullptr, true, true, true},
        {"closed while waiting", nullptr, destroy, false, true, false},
        {"told to close while waiting", nullptr, closeMessage, false, true, true},
        {"skipped while waiting: ends, the window stays", nullptr, skip, false, true, true},
        {"skipped before its start: ends as it starts, the window stays", skip, nullptr, true, true, true},
        {"nothing happens: it waits", nullptr, nullptr, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gLog.clear();
        auto* dialog = uitest::Place(mStage, new Probe("dialog", 0), 10, 10, 100, 100);
        auto gate = Manual("gate");
        auto wait = gate->Then(KEvent::MakeWaitForWindowClose(dialog));
        Pass();
        if (c.beforeStart)
            c.beforeStart(dialog, *wait);
        EXPECT_FALSE(wait->IsFinished());
        gate->Finish();
        Pass(2);
        EXPECT_TRUE(wait->IsStarted());
        EXPECT_EQ(wait->IsFinished(), c.finishesInStartPass);
        if (c.afterStart)
            c.afterStart(dialog, *wait);
        EXPECT_EQ(wait->IsFinished(), c.finishedAtEnd);
        EXPECT_EQ(Logged("dialog:deleted"), !c.windowLives);
        if (c.windowLives) {
            mStage->RemoveChild(dialog);
            delete dialog;
        }
        wait->Skip();
        Pass(2);
    }
}

TEST_F(WindowEvents, WaitWithoutAWindowEndsAtItsStart)
{
    auto wait = KEvent::MakeWaitForWindowClose(nullptr);
    Pass();
    EXPECT_TRUE(wait->IsFinished());
}

TEST_F(WindowEvents, CloseEventSkippedBeforeItsTurnStillClosesTheWindow)
{
    for (bool skipAll : {false, true}) {
        SCOPED_TRACE(skipAll ? "SkipAll" : "Skip");
        gLog.clear();
        auto* dialog = uitest::Place(mStage, new Probe("dialog", 0), 10, 10, 100, 100);
        auto close = Manual("gate")->Then(KEvent::MakeCloseWindow(dialog));
        if (skipAll)
            KEvent::EventManager::Instance()->SkipAll();
        else
            close->Skip();
        EXPECT_TRUE(close->IsFinished());
        EXPECT_EQ(dialog->GetParent(), nullptr);
        NextEvent();
        EXPECT_TRUE(Logged("dialog:deleted"));
        close->Skip(); // once only
        NextEvent();
        Pass(2);
        EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), skipAll ? 0u : 1u) << "only the gate may be left";
    }
}

TEST_F(WindowEvents, ShowWindowWithoutAWindowOnlyFinishes)
{
    auto show = KEvent::MakeShowWindow(mStage, nullptr);
    auto orphan = KEvent::MakeShowWindow(nullptr, mStage);
    Pass();
    EXPECT_TRUE(show->IsFinished());
    EXPECT_TRUE(orphan->IsFinished());
    EXPECT_EQ(mStage->GetParent(), mScreen);
}

TEST_F(WindowEvents, ShowQuestion)
{
    struct Case {
        const char* what;
        bool show;
        bool skipFirst;
        bool shown;
        bool finishesInStartPass;
    };
    const Case cases[] = {
        {"shown on the stage and the screens until the window closes", true, false, true, false},
        {"skipped before its turn: the window it never showed is deleted", true, true, false, false},
        {"no show running: the window is deleted and it ends at its start", false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gLog.clear();
        eventtest::FakeShow show;
        show.stage = mStage;
        KEvent::SetShowLink(c.show ? &show : nullptr);
        eventtest::FakeQuestion question;
        question.make = [] { return new Probe("answers", 0); };
        auto event = KEvent::MakeShowQuestion(&question);
        EXPECT_STREQ(event->GetName().c_str(), "show question: What is 2 + 2?");
        TWindow* window = event->GetWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_NE(window->FindChild("EventWindowSpy"), nullptr) << "the spy is in it from the start";
        std::weak_ptr<KEvent::eShowQuestion> weak = event;
        if (c.skipFirst)
            event->Skip();
        Pass();
        EXPECT_TRUE(event->IsStarted()) << "a skipped wait still has its turn, and ends in it";
        EXPECT_EQ(event->IsFinished(), c.finishesInStartPass || c.skipFirst);
        if (!c.shown) {
            EXPECT_TRUE(show.calls.empty());
        }
        if (c.shown) {
            EXPECT_EQ(show.calls, (std::vector<std::string>{"question window", "screens current"}));
            EXPECT_EQ(window->GetParent(), mStage);
            EXPECT_TRUE(Logged("answers:msg:1101:ShowingWindow"));
            mStage->RemoveChild(window);
            mManager->DeferDelete(window);
        }
        NextEvent();
        EXPECT_TRUE(Logged("answers:deleted"));
        EXPECT_TRUE(event->IsFinished());
        event.reset();
        Pass(2);
        EXPECT_TRUE(weak.expired()) << "nothing keeps the event alive";
    }
}

} // namespace
