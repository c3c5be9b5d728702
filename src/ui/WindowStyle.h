#pragma once
// The native view of a window's description table (its style).
#include <memory>

#include "lua.h"
#include "script/LuaValue.h"
#include "ui/Style.h"

// Reads keys of a Lua table. A key missing from the table is looked up in
// the global "gCurrentDefaultStyle", then in that table's "parent", its
// "parent" and so on (the own table's "parent" is not followed). A style
// whose value is not a table reads the globals instead of a table. Every
// getter leaves the Lua stack as it found it and never raises a Lua error
// (a failing metamethod reads as a missing key). Main thread only.
class TWindowStyle : public TStyle {
public:
    // Pins the value on top of L's stack and pops it.
    explicit TWindowStyle(lua_State* L);
    // Pins the value at `index` of L; the stack is left as it was.
    TWindowStyle(lua_State* L, int index);

    double GetNumber(const TString& key, double def) const override;
    int32_t GetInt(const TString& key, int32_t def) const override;
    // Strings and numbers; `def` for other values.
    TString GetString(const TString& key, const TString& def) const override;
    // The value through PopBool.
    bool GetBool(const TString& key, bool def) const override;
    // Entries 1 to 4 of the value as numbers into rect, which holds the
    // defaults on entry: each missing entry keeps its default, and all four
    // do when the value is no table.
    void GetRect(const TString& key, float rect[4]) const;
    // A new handle on the value when it is a table / function, else null.
    std::unique_ptr<TLuaTable> GetTable(const TString& key) const;
    std::unique_ptr<TLuaFunction> GetFunction(const TString& key) const;

    // The state the table lives in (null once it is closed).
    lua_State* GetState() const { return mTable.GetState(); }

private:
    // Pushes the value found for key and answers true; pushes nothing and
    // answers false when the key is not found.
    bool PushValue(const TString& key) const;

    TLuaObjectWrapper mTable;
};

// Pops the value on top of L as a boolean: nil is false, a boolean itself,
// a number true when not 0; a string is false ("PopBool used on lua string
// %s" is logged), any other type false with a log line. An empty stack
// gives false.
bool PopBool(lua_State* L);
