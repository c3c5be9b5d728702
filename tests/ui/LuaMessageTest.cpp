#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "script/LuaState.h"
#include "script/LuaTestSupport.h"
#include "support/TempFolder.h"
#include "ui/LuaMessage.h"
#include "ui/Window.h"

namespace {

// A fresh state with a native "Make(type, name)" that hands a new message
// to Lua; counts live messages from the start of each test.
class LuaMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mLiveAtStart = TMessage::LiveCount();
        L = NewLuaState();
        ASSERT_NE(L, nullptr);
        lua_register(L, "Make", [](lua_State* S) {
            TLuaMessage::PushNew(S, std::make_unique<TMessage>(int32_t(lua_tonumber(S, 1)), lua_tostring(S, 2)));
            return 1;
        });
    }
    void TearDown() override
    {
        if (L)
            lua_close(L);
        EXPECT_EQ(Live(), 0) << "messages leaked";
    }

    int Live() const { return int(TMessage::LiveCount()) - int(mLiveAtStart); }
    void Collect() { lua_gc(L, LUA_GCCOLLECT, 0); }
    std::string Eval(const char* code) { return EvalLua(L, code); }

    TTempFolder mTemp{"luamessage"};
    TLogCapture mLog{mTemp.File("log")};
    uint32_t mLiveAtStart = 0;
    lua_State* L = nullptr;
};

TEST_F(LuaMessageTest, ScriptsSeeTypeAndNameOnly)
{
    const LuaCase cases[] = {
        {"local m = Make(3, 'ok') return m.type, m.name", "3,ok", nullptr},
        {"local m = Make(1, '') return m.name, m.other, m[1]", ",nil,nil", nullptr},
        {"return type(Make(0, 'x'))", "userdata", nullptr},
        // The metatable is hidden, so a script cannot run __gc itself.
        {"return getmetatable(Make(0, 'x'))", "false", nullptr},
        {"local m = Make(0, 'x') m.type = 2", nullptr, "attempt to index"},
    };
    for (const LuaCase& c : cases) {
        SCOPED_TRACE(c.code);
        std::string got = Eval(c.code);
        if (c.error) {
            EXPECT_NE(got.find(c.error), std::string::npos) << got;
        } else {
            EXPECT_EQ(got, c.result);
        }
    }
}

TEST_F(LuaMessageTest, UserdataHoldingNullGivesNoValues)
{
    LuaRegisterMessageMetatable(L);
    lua_pushpointeruserdata(L, nullptr);
    lua_getfield(L, LUA_REGISTRYINDEX, "dnMessageMetatable");
    ASSERT_TRUE(lua_istable(L, -1));
    lua_setmetatable(L, -2);
    lua_setglobal(L, "empty");
    EXPECT_EQ(Eval("return empty.type, empty.name"), "nil,nil");
    Eval("empty = nil");
    Collect();  // __gc on a null pointer is harmless
}

TEST_F(LuaMessageTest, GetAcceptsOnlyMessageUserdata)
{
    Eval("m = Make(4, 'raw:a') other = newproxy(true) getmetatable(other).__index = function() return 1 end");
    struct {
        const char* global;
        bool message;
    } const cases[] = {{"m", true}, {"other", false}, {"nothing", false}, {"print", false}, {"_G", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.global);
        lua_getglobal(L, c.global);
        TMessage* message = TLuaMessage::Get(L, -1);
        EXPECT_EQ(message != nullptr, c.message);
        if (message) {
            EXPECT_EQ(message->GetName(), "raw:a");
        }
        lua_pop(L, 1);
    }
    lua_pushlightuserdata(L, this);
    EXPECT_EQ(TLuaMessage::Get(L, -1), nullptr);
    lua_pop(L, 1);
}

TEST_F(LuaMessageTest, CollectorDeletesEachMessageExactlyOnce)
{
    Eval("keep = Make(1, 'a') for i = 1, 50 do Make(2, 'b') end");
    Collect();
    EXPECT_EQ(Live(), 1);  // only the one a global holds
    Eval("alias = keep keep = nil");
    Collect();
    EXPECT_EQ(Live(), 1);
    Eval("alias = nil");
    Collect();
    Collect();
    EXPECT_EQ(Live(), 0);
    // Closing the state frees what Lua still holds.
    Eval("a, b = Make(1, 'x'), Make(2, 'y')");
    EXPECT_EQ(Live(), 2);
    lua_close(L);
    L = nullptr;
    EXPECT_EQ(Live(), 0);
}

TEST_F(LuaMessageTest, HandedToLuaTheMessageLosesItsTarget)
{
    auto window = std::make_unique<TWindow>();
    auto message = std::make_unique<TMessage>(3, "ok", window.get());
    TMessage* raw = message.get();
    TLuaMessage::PushNew(L, std::move(message));
    EXPECT_EQ(TLuaMessage::Get(L, -1), raw);
    EXPECT_EQ(raw->GetTarget(), nullptr);
    lua_pop(L, 1);
    TLuaMessage::PushNew(L, nullptr);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);
}

TEST_F(LuaMessageTest, HandleKeepsTheMessageUntilItGoes)
{
    auto handle = std::make_unique<TLuaMessage>(L, std::make_unique<TMessage>(6, "id"));
    Collect();
    ASSERT_NE(handle->GetMessage(), nullptr);
    EXPECT_EQ(handle->GetMessage()->GetType(), 6);
    handle.reset();
    Collect();
    EXPECT_EQ(Live(), 0);
}

// The hand-offs of a posted message: the script's message is pinned by
// the wrapper, the wrapper is deleted once its value went back to the
// script, and Lua frees the message when it drops the last reference.
TEST_F(LuaMessageTest, WrapperPinsThePostedMessageAndCopiesIt)
{
    auto window = std::make_unique<TWindow>();
    Eval("posted = Make(3, 'button')");
    lua_getglobal(L, "posted");
    TMessage* script = TLuaMessage::Get(L, -1);
    script->SetTarget(window.get());  // native code may have set one
    auto wrapper = std::make_unique<TLuaMessageWrapper>(L);
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_STREQ(wrapper->GetClassName(), "TLuaMessageWrapper");
    EXPECT_TRUE(wrapper->IsKindOf(TLuaMessageWrapper::TypeId()));
    EXPECT_TRUE(wrapper->IsKindOf(TMessage::TypeId()));
    EXPECT_EQ(wrapper->GetType(), 3);
    EXPECT_EQ(wrapper->GetName(), "button");
    EXPECT_EQ(wrapper->GetTarget(), window.get());
    EXPECT_EQ(wrapper->GetNative(), script);

    Eval("posted = nil");
    Collect();
    EXPECT_EQ(Live(), 2) << "the pin keeps the script's message";
    ASSERT_TRUE(wrapper->PushValue(L));
    lua_setglobal(L, "received");
    wrapper.reset();
    Collect();
    EXPECT_EQ(Live(), 1);
    EXPECT_EQ(Eval("return received.name"), "button");
    Eval("received = nil");
    Collect();
    EXPECT_EQ(Live(), 0);

    // A deleted window is forgotten by every live message.
    Eval("posted = Make(1, 'x')");
    lua_getglobal(L, "posted");
    TLuaMessage::Get(L, -1)->SetTarget(window.get());
    TLuaMessageWrapper second(L);
    window.reset();
    EXPECT_EQ(second.GetTarget(), nullptr);
    EXPECT_EQ(second.GetNative()->GetTarget(), nullptr);
}

TEST_F(LuaMessageTest, WrapperOfAValueThatIsNoMessage)
{
    lua_pushstring(L, "hello");
    TLuaMessageWrapper wrapper(L);
    EXPECT_EQ(wrapper.GetType(), 0);
    EXPECT_EQ(wrapper.GetName(), "");
    EXPECT_EQ(wrapper.GetNative(), &wrapper);
    EXPECT_TRUE(mLog.Has("not a message"));
}

TEST_F(LuaMessageTest, WrapperOutlivingTheStateNoLongerReachesLua)
{
    Eval("posted = Make(5, 'quit')");
    lua_getglobal(L, "posted");
    TLuaMessageWrapper wrapper(L);
    lua_close(L);  // frees the script's message
    L = nullptr;
    EXPECT_EQ(Live(), 1);  // the wrapper alone
    EXPECT_EQ(wrapper.GetNative(), &wrapper);
    EXPECT_EQ(wrapper.GetName(), "quit");
}

} // namespace
