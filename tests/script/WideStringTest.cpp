// Wide strings: the value type, its conversions, concatenation, printing,
// the C API, interning, collection and binary chunks.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LuaTestSupport.h"
#include "lauxlib.h"
#include "lobject.h"
#include "script/LuaWide.h"

TEST(WideString, TypeEqualityAndLength)
{
    static const LuaCase cases[] = {
        {"return type(L\"x\"), type(L\"\")", "wstring,wstring", nullptr},
        {"return L\"ab\" == L\"ab\", L\"ab\" == \"ab\", L\"ab\" ~= L\"ac\", rawequal(L\"q\", L\"q\")",
         "true,false,true,true", nullptr},
        {"return #L\"abc\", #L\"\", #L\"a\\0b\"", "3,0,3", nullptr},
        {"return L\"A\\t\\66\\\"\\\\\"", "L\"A\\x{0009}B\"\\\"", nullptr},
        {"return L\"\\x1234\\xffff\\x41\\x0041z\"", "L\"\\x{1234}\\x{ffff}AAz\"", nullptr},
        // source bytes become units as they are
        {"return L\"\\233\", L\"\xe9\" == L\"\\233\"", "L\"\\x{00e9}\",true", nullptr},
        // distinct keys from 8-bit strings
        {"local t = {} t[L\"k\"] = 1 t.k = 2 t[L\"k\"] = t[L\"k\"] + 10 return t[L\"k\"], t.k", "11,2", nullptr},
        // no order between wide strings, no indexing
        {"return L\"a\" < L\"b\"", nullptr, "attempt to compare two wstring values"},
        {"local w = L\"a\" return w.x", nullptr, "attempt to index local `w' (a wstring value)"},
        {"return string.len(L\"a\")", nullptr, "string expected, got wstring"},
    };
    CheckLuaCases(cases);
}

TEST(WideString, ConversionsWithTowstringAndTostring)
{
    static const LuaCase cases[] = {
        {"return towstring(12.5) == L\"12.5\", towstring(1e100), towstring(-0.25)", "true,L\"1e+100\",L\"-0.25\"",
         nullptr},
        {"return towstring(L\"w\"), towstring(\"\"), towstring(\"ab\")", "L\"w\",L\"\",L\"ab\"", nullptr},
        // 8-bit bytes become units 0 to 255, so they match the literal
        {"return towstring(\"h\\233\"), towstring(\"\\233\") == L\"\\233\"", "L\"h\\x{00e9}\",true", nullptr},
        {"return tostring(towstring(\"h\\233\")) == \"h\\233\"", "true", nullptr},
        {"return towstring(nil), type(towstring(nil))", "nil,string", nullptr},
        {"return (tostring(towstring({})):match('^table: 0x')), (tostring(towstring(print)):match('^function: '))",
         "table: 0x,function: ", nullptr},
        {"return type(towstring(coroutine.create(function() end))), type(towstring(newproxy()))", "wstring,wstring", nullptr},
        {"return towstring(true)", nullptr, "bad argument #1 to `towstring' (value expected)"},
        {"return towstring()", nullptr, "value expected"},
        // tostring keeps the low byte of each unit
        {"return tostring(L\"abc\"), tostring(L\"\"), tostring(L\"\\x0141\\xff42\")", "abc,,AB", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(WideString, ConversionToNumbers)
{
    static const LuaCase cases[] = {
        {"return L\"0x10\" + 0, L\"0X1f\" + 0, L\"0x1.8p1\" + 0, L\"0x.8\" * 4, L\"0x10P-2\" + 0", "16,31,3,2,4",
         nullptr},
        {"return L\"5 \" + 0, L\"-3\" + 0, L\"+2.5e2\" * 2, L\"7.\" + 0, L\".5\" + 0, L\"1 \\t\\n\" + 0",
         "5,-3,500,7,0.5,1", nullptr},
        // leading white space is not skipped
        {"return L\" 5 \" + 0", nullptr, "attempt to perform arithmetic on a wstring value"},
        {"return L\"\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return L\"1e\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return L\"-0x10\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return L\"inf\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return L\"5\\xa0\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return L\"5\\x0120\" + 0", nullptr, "arithmetic on a wstring value"},
        {"return tonumber(L\"42\"), tonumber(L\"x\"), math.floor(L\"2.5\")", "42,nil,2", nullptr},
        {"local s = 0 for i = L\"1\", L\"3\" do s = s + i end return s", "6", nullptr},
        // bit operators do not convert
        {"return L\"1\" & 1", nullptr, "attempt to perform arithmetic on a wstring value"},
    };
    CheckLuaCases(cases);
}

TEST(WideString, Concatenation)
{
    static const LuaCase cases[] = {
        {"return L\"a\" .. 1 == L\"a1\"", "true", nullptr},
        {"return 1 .. L\"x\" .. 2.5, L\"\" .. L\"\", L\"a\" .. L\"b\" .. L\"c\"", "L\"1x2.5\",L\"\",L\"abc\"",
         nullptr},
        {"local n = 7 return L\"n=\" .. n .. 8", "L\"n=78\"", nullptr},
        // a run whose topmost string operand is 8-bit is joined as stock
        {"return \"a\" .. 1 .. 2", "a12", nullptr},
        {"return L\"a\" .. \"b\"", nullptr, "attempt to concatenate a wstring value"},
        {"local w = L\"a\" return \"x\" .. w .. \"b\"", nullptr, "attempt to concatenate local `w' (a wstring value)"},
        // a wide run does not convert 8-bit strings
        {"local s = \"b\" return s .. L\"a\"", nullptr, "attempt to concatenate local `s' (a string value)"},
        {"return \"a\" .. 1 .. L\"b\"", nullptr, "attempt to concatenate a string value"},
        {"return {} .. L\"b\"", nullptr, "attempt to concatenate a table value"},
        // metamethods still apply
        {"local t = setmetatable({}, {__concat = function(a, b) return L\"meta\" end}) return t .. L\"x\", L\"x\" .. t",
         "L\"meta\",L\"meta\"", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(WideString, QuotedFormatReadsBack)
{
    static const LuaCase cases[] = {
        {"return string.format('%q', L\"a\\x0101\\\"\\\\\\n\\0\\255~\")", "L\"a\\x0101\\\"\\\\\\n\\x0000\\x00ff~\"",
         nullptr},
        {"return string.format('%q', L\"\"), string.format('[%q]', L\"\\7\\13\")", "L\"\",[L\"\\a\\r\"]", nullptr},
        {"local w = L\"\" for i = 0, 300 do w = w .. towstring(string.char(i % 256)) .. L\"\\x0100\\xd800\\xffff\" end "
         "return loadstring('return ' .. string.format('%q', w))() == w",
         "true", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(WideString, PrintWritesUtf8)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    std::string error;
    testing::internal::CaptureStdout();
    bool ok = RunLuaString(L,
                           "print(1, 'a', L\"w\\233\", nil, L\"\\x20ac\\xd83d\\xde00|\\xdc00\\xd800\", true)\n"
                           "print(L\"\")",
                           0, error);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(out, "1\ta\tw\xc3\xa9\tnil\t\xe2\x82\xac\xf0\x9f\x98\x80|\xef\xbf\xbd\xef\xbf\xbd\ttrue\n\n");

    // print goes through the global tostring and towstring
    testing::internal::CaptureStdout();
    ok = RunLuaString(L, "towstring = function(w) return 'wide' end tostring = function(v) return L\"8\" end "
                         "print(L\"x\", 1)",
                      0, error);
    out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(out, "wide\t8\n");
    ok = RunLuaString(L, "towstring = function() return {} end print(L\"x\")", 0, error);
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find("`tostring' must return a string to `print'"), std::string::npos) << error;
    lua_close(L);
}

TEST(WideString, CApi)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    const uint16_t text[] = {'h', 0x00e9, 0x20ac, 0};
    EXPECT_EQ(lua_wstrlen(text), 3u);

    lua_pushwstring(L, text, 3);
    lua_pushwtext(L, text);
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    EXPECT_TRUE(lua_iswstring(L, -1));
    EXPECT_STREQ(lua_typename(L, LUA_TWSTRING), "wstring");
    size_t len = 0;
    const uint16_t* a = lua_towstring(L, -2, &len);
    const uint16_t* b = lua_towstring(L, -1, nullptr);
    EXPECT_EQ(len, 3u);
    EXPECT_EQ(a, b);  // interned: one object
    EXPECT_EQ(a[1], 0x00e9);
    EXPECT_EQ(a[3], 0);  // zero-terminated
    EXPECT_TRUE(lua_rawequal(L, -1, -2));
    EXPECT_EQ(lua_objlen(L, -1), 3u);
    EXPECT_EQ(lua_tolstring(L, -1, nullptr), nullptr);  // not an 8-bit string
    EXPECT_FALSE(lua_isstring(L, -1));
    lua_pop(L, 2);

    lua_pushwtext(L, nullptr);
    EXPECT_TRUE(lua_isnil(L, -1));
    EXPECT_EQ(lua_towstring(L, -1, &len), nullptr);
    EXPECT_EQ(len, 0u);
    lua_pop(L, 1);

    // a number is converted in place
    lua_pushnumber(L, 12.5);
    const uint16_t* n = lua_towstring(L, -1, &len);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(n), len), u"12.5");
    EXPECT_EQ(lua_type(L, -1), LUA_TWSTRING);
    lua_pop(L, 1);

    // a wide string pushed from C equals the literal, and converts to a number
    const uint16_t digits[] = {'4', '2'};
    lua_pushwstring(L, digits, 2);
    lua_setglobal(L, "w");
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return w == L\"42\", w + 1", 2, error)) << error;
    EXPECT_TRUE(lua_toboolean(L, 1));
    EXPECT_EQ(lua_tonumber(L, 2), 43);
    lua_pop(L, 2);

    // no units from a null pointer: the empty wide string (and the same for
    // 8-bit strings)
    lua_pushwstring(L, nullptr, 0);
    lua_setglobal(L, "e");
    lua_pushlstring(L, nullptr, 0);
    lua_setglobal(L, "s");
    ASSERT_TRUE(RunLuaString(L, "return e == L\"\", type(e), #e, s == '', e .. L\"x\"", 5, error)) << error;
    EXPECT_TRUE(lua_toboolean(L, 1));
    EXPECT_STREQ(lua_tostring(L, 2), "wstring");
    EXPECT_EQ(lua_tonumber(L, 3), 0);
    EXPECT_TRUE(lua_toboolean(L, 4));
    EXPECT_EQ(lua_type(L, 5), LUA_TWSTRING);
    EXPECT_EQ(lua_objlen(L, 5), 1u);
    lua_close(L);
}

namespace {

int CheckWide(lua_State* L)
{
    size_t len = 0;
    const uint16_t* w = luaL_checkwstring(L, 1, &len);
    lua_pushnumber(L, static_cast<lua_Number>(len));
    lua_pushnumber(L, w[0]);
    return 2;
}

}

TEST(WideString, CheckRaisesTheTypeError)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    lua_register(L, "checkwide", CheckWide);
    static const LuaCase cases[] = {
        {"return checkwide(L\"xy\")", "2,120", nullptr},
        {"return checkwide(7)", "1,55", nullptr},
        {"return checkwide('xy')", nullptr, "bad argument #1 to `checkwide' (wstring expected, got string)"},
        {"return checkwide()", nullptr, "wstring expected, got no value"},
    };
    for (const LuaCase& c : cases) {
        SCOPED_TRACE(c.code);
        std::string error;
        lua_settop(L, 0);
        bool ok = RunLuaString(L, c.code, LUA_MULTRET, error);
        if (c.error) {
            EXPECT_FALSE(ok);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        } else {
            ASSERT_TRUE(ok) << error;
            EXPECT_EQ(DescribeLuaValue(L, 1) + "," + DescribeLuaValue(L, 2), c.result);
        }
    }
    lua_close(L);
}

// The string hash over units, as the interning table keeps it.
TEST(WideString, HashOverUnits)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    std::vector<uint16_t> units;
    for (int i = 0; i < 100; ++i)
        units.push_back(static_cast<uint16_t>(i * 977 + 3));
    for (size_t length : {size_t(0), size_t(1), size_t(31), size_t(32), size_t(100)}) {
        SCOPED_TRACE(length);
        unsigned int h = static_cast<unsigned int>(length);
        size_t step = (length >> 5) + 1;
        for (size_t i = length; i >= step; i -= step)
            h = h ^ ((h << 5) + (h >> 2) + units[i - 1]);
        lua_pushwstring(L, units.data(), length);
        const TString* ts = reinterpret_cast<const TString*>(lua_towstring(L, -1, nullptr)) - 1;
        EXPECT_EQ(ts->tsv.hash, h);
        EXPECT_EQ(static_cast<int>(ts->tsv.tt), LUA_TWSTRING);
        EXPECT_EQ(ts->tsv.len, length);
        lua_pop(L, 1);
    }
    lua_close(L);
}

TEST(WideString, CollectorFreesThemAndInterningHolds)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "keep = towstring('kept') .. L\"!\" collectgarbage()", 0, error)) << error;
    int before = lua_gc(L, LUA_GCCOUNT, 0);
    ASSERT_TRUE(RunLuaString(L,
                             "local t = {} for i = 1, 20000 do t[i] = towstring(i) .. L\" unit text\" end "
                             "return collectgarbage('count')",
                             1, error))
        << error;
    int grown = static_cast<int>(lua_tonumber(L, -1));
    lua_pop(L, 1);
    EXPECT_GT(grown, before + 500);
    lua_gc(L, LUA_GCCOLLECT, 0);
    int after = lua_gc(L, LUA_GCCOUNT, 0);
    EXPECT_LT(after - before, (grown - before) / 8);
    // equal units made afresh are still the kept object; freed ones are made again
    ASSERT_TRUE(RunLuaString(L,
                             "local k = L\"kept!\" local again = towstring(5) .. L\" unit text\" "
                             "return rawequal(k, keep), again == L\"5 unit text\", #again",
                             3, error))
        << error;
    EXPECT_EQ(DescribeLuaValue(L, 1) + "," + DescribeLuaValue(L, 2) + "," + DescribeLuaValue(L, 3), "true,true,11");
    lua_close(L);
}

TEST(WideString, ConstantsSurviveDumpAndLoad)
{
    static const LuaCase cases[] = {
        {"local f = function() return L\"wide\\0zero\", L\"\", L\"\\xffff\", 'plain' end "
         "local g = loadstring(string.dump(f)) local a, b, c, d = g() "
         "return a == L\"wide\\0zero\", #a, b == L\"\", c == L\"\\xffff\", d",
         "true,9,true,true,plain", nullptr},
        // a truncated wide constant is refused
        {"local d = string.dump(function() return L\"abcdef\" end) return loadstring(d:sub(1, #d - 40))", "nil,",
         nullptr},
    };
    CheckLuaCase(cases[0]);
    lua_State* L = NewLuaState();
    std::string error;
    ASSERT_TRUE(RunLuaString(L, cases[1].code, 2, error)) << error;
    EXPECT_TRUE(lua_isnil(L, 1));
    EXPECT_NE(std::string(lua_tostring(L, 2)).find("precompiled chunk"), std::string::npos);
    lua_close(L);
}

TEST(WideString, LiteralErrors)
{
    static const LuaCase cases[] = {
        {"return L\"abc", nullptr, "unfinished string near `<eof>'"},
        {"return L\"ab\nc\"", nullptr, "unfinished string near `<wstring>'"},
        {"return L\"\\300\"", nullptr, "escape sequence too large"},
        // only L immediately before a double quote starts a wide literal
        {"local L = function(s) return s .. '!' end return L'x', L \"y\"", "x!,y!", nullptr},
        {"local t = {La = 1} return t.La", "1", nullptr},
        {"local f = function(w) return w end return f L\"arg\"", "L\"arg\"", nullptr},
    };
    CheckLuaCases(cases);
}
