// Messages between the window system and the window script: the hand-off
// (queued, resumed into, or the command alone), waits on the fake clock, and
// whole dialogs run from a script's coroutine.
#include <gtest/gtest.h>

#include "WindowScriptSupport.h"
#include "script/LuaValue.h"

namespace uitest {
namespace {

class WindowScriptMessageTest : public WindowScriptFixture {
protected:
    // A pinned Lua function made from `code` (an expression).
    std::unique_ptr<TLuaFunction> Function(const std::string& code)
    {
        lua_State* L = mScript->GetState();
        EXPECT_EQ(luaL_dostring(L, ("return " + code).c_str()), 0);
        return std::make_unique<TLuaFunction>(L);
    }
    static TMessagePtr Msg(int32_t type, const char* name) { return std::make_unique<TMessage>(type, name); }
};

TEST_F(WindowScriptMessageTest, MessagesWhileRunningAreQueuedAndComeBackNewestFirst)
{
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgButtonPress, "first"), nullptr));
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgButtonPress, "second"), nullptr));
    EXPECT_EQ(Eval("table.getn(gMessageQueue)"), "2");
    // neither wait suspends: both come from the queue
    ASSERT_TRUE(Run("return function() local a = WaitForMessage(); local b = WaitForMessage(); got = a.name .. ',' .. "
                    "b.name .. ',' .. a.type end"));
    EXPECT_EQ(Eval("got"), "second,first,3");
    EXPECT_FALSE(mScript->IsWaiting());
}

TEST_F(WindowScriptMessageTest, AWaitingScriptIsResumedWithTheMessageOrACommand)
{
    ASSERT_TRUE(Run("seen = {}; return function() while true do local m = WaitForMessage(); if m then "
                    "table.insert(seen, m.type .. ':' .. m.name .. ':' .. tostring(gYieldResult)) end end end"));
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(mScript->GetWaitingState(), kWaitingForMessage);
    uint32_t before = TMessage::LiveCount();
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgButtonPress, "ok"), nullptr));
    // a command alone: a type-8 message, and the command's result is what
    // the next wait yields
    auto command = Function("function() return 'ran' end");
    EXPECT_TRUE(mScript->DeliverMessage(nullptr, command.get()));
    EXPECT_EQ(Eval("table.concat(seen, ' ')"), "3:ok:nil 8::ran");
    EXPECT_TRUE(mScript->IsWaiting());
    // the messages now belong to Lua and go with its garbage
    ASSERT_TRUE(Run("seen = {}; collectgarbage()"));
    EXPECT_EQ(TMessage::LiveCount(), before);
}

TEST_F(WindowScriptMessageTest, SuspendedButNotWaitingRunsTheCommandAndDropsTheMessage)
{
    ASSERT_TRUE(Run("return function() Yield(); after = true end"));
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(mScript->GetWaitingState(), kScriptStarted);
    uint32_t before = TMessage::LiveCount();
    auto command = Function("function() commanded = (commanded or 0) + 1 end");
    EXPECT_FALSE(mScript->DeliverMessage(Msg(kMsgButtonPress, "ok"), command.get()));
    EXPECT_EQ(TMessage::LiveCount(), before);
    EXPECT_EQ(Eval("commanded"), "1");
    EXPECT_EQ(Eval("after"), "nil");
    EXPECT_EQ(Eval("table.getn(gMessageQueue)"), "0");
}

TEST_F(WindowScriptMessageTest, CommandsQueuedWhileRunningRunAtTheNextWait)
{
    auto command = Function("function() return 'queued' end");
    EXPECT_TRUE(mScript->DeliverMessage(nullptr, command.get()));
    EXPECT_EQ(Eval("table.getn(gCommandQueue)"), "1");
    ASSERT_TRUE(Run("return function() WaitForMessage(10); result = gYieldResult end"));
    Tick(10);
    EXPECT_EQ(Eval("result"), "queued");
    EXPECT_EQ(Eval("table.getn(gCommandQueue)"), "0");
}

TEST_F(WindowScriptMessageTest, CloseMessagesNameTheCurrentParent)
{
    ModalProbe* dialog = PushDialog("dialog");
    ASSERT_TRUE(Run("m = CreateCloseMessage(); n = CreateNamedMessage(kButtonPress, 'ok')"));
    EXPECT_EQ(Eval("m.type"), "1");
    EXPECT_EQ(Eval("m.name"), Str(dialog->GetIdString()));
    EXPECT_EQ(Eval("string.len(m.name)"), "8");
    EXPECT_EQ(Eval("m.other"), "nil");
    EXPECT_EQ(Eval("n.type .. n.name"), "3ok");

    // posted to the parent of the top modal: the screen gets it
    ASSERT_TRUE(Run("PostMessageToParent(n)"));
    ASSERT_EQ(mManager->GetQueuedMessageCount(), 1u);
    static_cast<ProbeOf<TScreen>*>(mScreen)->mTakes = kTakeMessages;
    mManager->DispatchMessages();
    EXPECT_EQ(Only("screen:msg"), std::vector<std::string>{"screen:msg:3:ok"});
    // a close message posted from Lua pops the dialog
    ASSERT_TRUE(Run("PostMessage(m)"));
    mManager->DispatchMessages();
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    // non-messages post as type 0
    ASSERT_TRUE(Run("PostMessage(nil); PostMessage({})"));
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 2u);
}

TEST_F(WindowScriptMessageTest, DoModalReturnsWhatTheCloseCarries)
{
    ASSERT_TRUE(Run("return function() result = DoModal('script_closes.lua'); depth = GetWindowDepth() end"));
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(Eval("GetWindowDepth()"), "2");
    ASSERT_NE(mManager->GetTopModal()->FindChild("body"), nullptr);
    Pump();  // the close pops the dialog; its closing message ends the wait
    EXPECT_EQ(Eval("result"), "42");
    EXPECT_EQ(Eval("depth"), "1");
    EXPECT_EQ(Eval("gReturnValue"), "nil");
    EXPECT_FALSE(mScript->IsWaiting());
}

TEST_F(WindowScriptMessageTest, DoModalClosedByAButtonCommand)
{
    ASSERT_TRUE(Run("return function() result = DoModal('script_waits.lua') end"));
    ASSERT_TRUE(mScript->IsWaiting());
    // a native caller runs a Lua function while the script waits: the call
    // is handed into the coroutine, where it may close the dialog
    ASSERT_TRUE(Run("CloseWindow('by command')"));
    Pump();
    EXPECT_EQ(Eval("result"), "by command");
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
}

TEST_F(WindowScriptMessageTest, ADialogFileWaitsForMessagesThroughTheScript)
{
    ASSERT_TRUE(Run("return function() result = DoModal('script_loops.lua') end"));
    ASSERT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(mScript->GetWaitingState(), kWaitingForMessage);
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgPressAnyKey, "raw:a"), nullptr));
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgButtonPress, "done"), nullptr));
    Pump();
    EXPECT_EQ(Eval("table.concat(seen, ',')"), "raw:a,done");
    EXPECT_EQ(Eval("result"), "looped");
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    EXPECT_FALSE(LogHas("outside the script's coroutine")) << mLog.Text();
    // once the file has ended its coroutine passes nothing on any more
    EXPECT_EQ(Eval("next(gPassingCoroutines)"), "nil");
}

TEST_F(WindowScriptMessageTest, PauseAndWaitForMessageFollowTheClock)
{
    ASSERT_TRUE(Run("return function() start = GetTimer(); Pause(100); paused = GetTimer() - start; "
                    "m = WaitForMessage(200); waited = GetTimer() - start end"));
    ASSERT_TRUE(mScript->IsWaiting());
    Tick(50);
    EXPECT_EQ(Eval("paused"), "nil");
    // a message during the pause is kept for later, the pause goes on
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgPressAnyKey, "raw:a"), nullptr));
    EXPECT_EQ(Eval("paused"), "nil");
    Tick(50);
    EXPECT_EQ(Eval("paused"), "100");
    // the kept message is handed out by the next wait at once
    EXPECT_EQ(Eval("waited"), "100");
    EXPECT_EQ(Eval("m.name"), "raw:a");
}

TEST_F(WindowScriptMessageTest, AWaitWithATimeoutEndsWithNoMessage)
{
    ASSERT_TRUE(Run("return function() start = GetTimer(); m = WaitForMessage(200); waited = GetTimer() - start end"));
    Tick(199);
    EXPECT_EQ(Eval("waited"), "nil");
    Tick(1);
    EXPECT_EQ(Eval("waited"), "200");
    EXPECT_EQ(Eval("m"), "nil");
}

TEST_F(WindowScriptMessageTest, SplashWithoutMovieOrImageLeavesTheDepth)
{
    ASSERT_TRUE(Run("return function() before = GetWindowDepth(); DisplaySplash('intro.swf', nil, 1000); "
                    "after = GetWindowDepth() end"));
    EXPECT_EQ(Eval("before"), "1");
    EXPECT_EQ(Eval("after"), "1");
    EXPECT_TRUE(LogHas("no movie player")) << mLog.Text();
}

TEST_F(WindowScriptMessageTest, BrokenDialogsAreLoggedWithFileAndLine)
{
    struct Case {
        const char* file;
        const char* log;
    } cases[] = {
        {"script_syntax.lua", "assets/script_syntax.lua:2:"},
        {"script_runtime.lua", "assets/script_runtime.lua:3:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        mLog.Restart();
        ASSERT_TRUE(Run(std::string("return function() result = DoModal('") + c.file + "'); done = true end"));
        EXPECT_TRUE(LogHas(c.log)) << mLog.Text();
        // the dialog's layer is taken down and the script goes on
        EXPECT_EQ(mManager->GetTopModal(), mScreen);
        EXPECT_EQ(Eval("done"), "true");
        EXPECT_EQ(Eval("result"), "nil");
        // and a later script runs
        ASSERT_TRUE(Run("return function() later = true end"));
        EXPECT_EQ(Eval("later"), "true");
        ASSERT_TRUE(Run("later = nil; done = nil"));
    }
    // a syntax error in a native's arguments ends only that script
    mLog.Restart();
    EXPECT_FALSE(Run("SetPosition('w', 1 +, 0)"));
    EXPECT_TRUE(LogHas("[string \"SetPosition('w', 1 +, 0)\"]:1:")) << mLog.Text();
}

TEST_F(WindowScriptMessageTest, ADialogThatNeverClosesKeepsTheScriptWaiting)
{
    ASSERT_TRUE(Run("return function() DoModal('script_waits.lua'); closed = true end"));
    for (int i = 0; i < 20; ++i) {
        Tick(16);
        Pump();
    }
    EXPECT_TRUE(mScript->IsWaiting());
    EXPECT_EQ(Eval("closed"), "nil");
    EXPECT_EQ(Eval("GetWindowDepth()"), "2");
    // other script code still runs meanwhile
    ASSERT_TRUE(Run("other = 'ran'"));
    EXPECT_EQ(Eval("other"), "ran");
}

TEST_F(WindowScriptMessageTest, HandleGetMessageOutsideTheCoroutineAnswersNothing)
{
    EXPECT_EQ(Eval("HandleGetMessage(1)"), "nil");
    EXPECT_TRUE(LogHas("outside the script's coroutine")) << mLog.Text();
    // FlushMessages ends at once and empties the queues
    EXPECT_TRUE(mScript->DeliverMessage(Msg(kMsgButtonPress, "x"), nullptr));
    ASSERT_TRUE(Run("FlushMessages()"));
    EXPECT_EQ(Eval("table.getn(gMessageQueue)"), "0");
}

TEST_F(WindowScriptMessageTest, CallsWhileYieldingForAnotherReasonRunAtOnce)
{
    ASSERT_TRUE(Run("return function() resumedWith = Yield() end"));
    ASSERT_TRUE(mScript->IsWaiting());
    ASSERT_TRUE(Run("ranAtOnce = true"));
    EXPECT_EQ(Eval("ranAtOnce"), "true");
    EXPECT_EQ(Eval("resumedWith"), "nil");
    EXPECT_TRUE(mScript->IsWaiting());
}

} // namespace
} // namespace uitest
