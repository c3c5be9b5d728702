#pragma once
// Window messages as scripts see them: a userdata holding the TMessage
// pointer, with the registry's "dnMessageMetatable" as its metatable
// ("__gc" deletes the message, "__index" gives `type` and `name`).
//
// Ownership at the hand-offs between native code and Lua (one rule):
// - A native message pushed to Lua (TLuaMessage::PushNew, a binding that
//   returns a TMessagePtr) belongs to Lua from then on: "__gc" deletes it
//   exactly once, when the userdata is collected or the state is closed.
//   It loses its target at the hand-off, so a script that posts it again
//   cannot reach a window that has gone meanwhile.
// - A message the script does not take (not delivered) stays with whoever
//   offered it, the window manager or the window script, which deletes it;
//   TMessagePtr carries it.
// - A TLuaMessageWrapper (a message a script posted) is an ordinary TMessage
//   owned by the window manager's queue. Once its pinned Lua value has been
//   pushed to the script, the holder deletes the wrapper: that only removes
//   the pin; the Lua value lives on while Lua refers to it.
// - A message passed to a binding as an argument is only borrowed.
// Main thread only.
#include "lua.h"
#include "script/LuaValue.h"
#include "ui/Message.h"

// Makes the message metatable and stores it in the registry under
// "dnMessageMetatable" (again, when it is missing or was replaced by
// something that is not a table). Leaves the stack as it found it.
void LuaRegisterMessageMetatable(lua_State* L);

// A handle that pins one Lua value, normally a message userdata.
class TLuaMessage : public TLuaObjectWrapper {
public:
    // Pins the value on top of L's stack and pops it.
    explicit TLuaMessage(lua_State* L) : TLuaObjectWrapper(L) {}
    // Hands `message` to Lua (see the rule above) and pins the userdata.
    TLuaMessage(lua_State* L, TMessagePtr message);

    // Pushes `message` onto L as a new message userdata that owns it; a null
    // message pushes nil. The target is cleared.
    static void PushNew(lua_State* L, TMessagePtr message);
    // The message held by the message userdata at `index`; null for any
    // other value (nil, other userdata, a userdata holding null).
    static TMessage* Get(lua_State* L, int index);

    // The message the pinned value holds, or null (not a message, or the
    // state is closed).
    TMessage* GetMessage() const;
};

// A message a script posted: it pins the script's message userdata and
// copies its type, name and target. A value that is not a message gives a
// message of type 0 with an empty name (and a log line).
class TLuaMessageWrapper : public TMessage {
public:
    // Takes (pops) the value on top of L's stack.
    explicit TLuaMessageWrapper(lua_State* L);
    ~TLuaMessageWrapper() override;

    const char* GetClassName() const override { return "TLuaMessageWrapper"; }
    bool IsKindOf(const void* typeId) const override
    {
        return typeId == TypeId() || TMessage::IsKindOf(typeId);
    }
    static const void* TypeId();

    // The script's message while the state lives; this wrapper otherwise.
    TMessage* GetNative() override;

    // Pushes the pinned value onto L (a thread of the same state); false,
    // with nothing pushed, once the state is closed.
    bool PushValue(lua_State* L) const { return mValue.Push(L); }

private:
    TLuaMessage mValue;
};
