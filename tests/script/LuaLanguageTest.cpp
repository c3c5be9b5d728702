// The program's changes to the Lua language, and the Lua 5.0 behaviours
// that old scripts rely on, run through the library as scripts see it.
#include <string>

#include <gtest/gtest.h>

#include "LuaTestSupport.h"
#include "lauxlib.h"
#include "lobject.h"

TEST(LuaLanguage, BitOperators)
{
    static const LuaCase cases[] = {
        {"return 0xFFFFFFFF & 0xFF", "255", nullptr},
        {"return -1 & 0xFF", "255", nullptr},
        {"return -1 | 0", "4294967295", nullptr},
        {"return 1 << 32", "1", nullptr},
        {"return 0x80000000 >> 31", "1", nullptr},
        {"return 1 << 31, 3 << 31, 0xF0 >> 4, 1 >> 1", "2147483648,2147483648,15,0", nullptr},
        // shift counts are taken modulo 32, negative ones too
        {"return 1 << 33, 1 << -1", "2,2147483648", nullptr},
        // truncation toward zero, 64-bit wrap-around, NaN and infinities as 0
        {"return 1.9 | 0, -1.9 | 0, -0.5 | 0", "1,4294967295,0", nullptr},
        {"return (4294967296 * 3 + 5) | 0, (-4294967296 * 7 - 1) & 0xFFFF", "5,65535", nullptr},
        {"local z = 0 return (z / z) | 0, (1 / z) | 7, (-1 / z) & 1, 1e300 & 1", "0,7,0,0", nullptr},
        // priority 8: tighter than + and *, looser than unary minus and ^
        {"return 1 + 2 & 3", "3", nullptr},
        {"return 3 * 6 & 5", "12", nullptr},
        {"return -2 & 3", "2", nullptr},
        {"return 7 & 3 << 1", "6", nullptr},
        {"return 1 << 2 ^ 1", "8", nullptr},
        {"return 2 .. 3 & 1", "21", nullptr},
        {"return 1 | 2 == 3", "true", nullptr},
        // the same at run time
        {"local a, b, c = -1, 0xFF, 32 return a & b, a | 0, 1 << c, 0x80000000 >> (b - 224)", "255,4294967295,1,1",
         nullptr},
        // numbers only: no string conversion, the first operand that is no number is named
        {"return '3' & 1", nullptr, "attempt to perform arithmetic on a string value"},
        {"local s = '3' return 1 | s", nullptr, "attempt to perform arithmetic on local `s' (a string value)"},
        {"local t = {} return t >> 1", nullptr, "attempt to perform arithmetic on local `t' (a table value)"},
        {"local x, y = nil, 'a' return x << y", nullptr, "local `x' (a nil value)"},
        {"local t = setmetatable({}, {__add = function() return 1 end}) return t & 1", nullptr,
         "attempt to perform arithmetic on local `t'"},
    };
    CheckLuaCases(cases);
}

// Integer keys and arguments at the edges of the int range, and numbers
// beyond it: no signed overflow, out-of-range numbers convert to the lowest
// integer (as x86 does).
TEST(LuaLanguage, IntegerRangeEdges)
{
    static const LuaCase cases[] = {
        {"local t = {} t[-2147483648] = 'a' t[-2147483647] = 'b' return t[-2147483648], t[-2147483647], #t",
         "a,b,0", nullptr},
        {"local t = {[2147483647] = 1, [2147483648] = 2, [1e300] = 3, [-1e300] = 4, [-2147483648] = 5} "
         "return t[2147483647], t[2147483648], t[1e300], t[-1e300], t[-2147483648]",
         "1,2,3,4,5", nullptr},
        {"local z = 0 local t = {[9007199254740992] = 1, [-1e300] = 2} local n = 0 for k in pairs(t) do n = n + 1 end "
         "return n, t[z / z], rawget(t, 1 / z)",
         "2,nil,nil", nullptr},
        {"return unpack({}, -2147483648, 2147483647)", nullptr, "too many results to unpack"},
        {"return unpack({1, 2}, 2147483647, 2147483647), unpack({'x'}, -2147483648, -2147483648)", "nil,nil",
         nullptr},
        {"local x = math.random(-2147483648, 2147483647) return x >= -2147483648 and x <= 2147483647, x % 1",
         "true,0", nullptr},
        {"local p = math.pow return string.format('%d %x %d %x %x', p(2, 63), -1, 1e300, p(2, 64) - 2048, -p(2, 63))",
         "-9223372036854775808 ffffffffffffffff -9223372036854775808 fffffffffffff800 8000000000000000", nullptr},
        {"return #string.format('%c', 1e300), ('abc'):sub(-1e300), ('abc'):sub(1, 1e300)", "0,abc,", nullptr},
    };
    CheckLuaCases(cases);
}

// Each `?', `*', `-' and capture nests a C call while matching: a pattern a
// script builds may be long enough to exhaust the C stack, so nesting stops
// with an error.
TEST(LuaLanguage, LongPatternsRaiseInsteadOfOverflowingTheStack)
{
    static const LuaCase cases[] = {
        {"local n = 300000 return string.rep('a', n):match(string.rep('a?', n))", nullptr, "pattern too complex"},
        {"return string.find(string.rep('a', 5000), string.rep('a-', 5000) .. 'b')", nullptr, "pattern too complex"},
        {"return string.gsub(string.rep('a', 2000), string.rep('a*', 2000), '')", nullptr, "pattern too complex"},
        {"for m in string.gmatch(string.rep('a', 2000), string.rep('a?', 2000)) do end", nullptr,
         "pattern too complex"},
        // below the limit, and repeated matches each get the whole depth
        {"return #string.rep('a', 900):match(string.rep('a?', 900))", "900", nullptr},
        {"local p = string.rep('a?', 900) local s, n = string.gsub(string.rep('a', 2700), p, 'x') return s, n",
         "xxxx,4", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, CaretIsExclusiveOrForNumbers)
{
    static const LuaCase cases[] = {
        // folded at compile time
        {"return 2 ^ 3", "1", nullptr},
        {"return 5 ^ 1", "4", nullptr},
        // unary minus binds looser than ^, as for stock Lua's power
        {"return -1 ^ 0xFF, (-1) ^ 0xFF, 2 ^ 0.5", "-254,4294967040,2", nullptr},
        // the same at run time
        {"local a, b = 2, 3 return a ^ b, 5 ^ (a - 1), 5 ^ a - 1", "1,4,6", nullptr},
        {"local x = 0xFF00 return x ^ 0x0FF0 ^ 0x00FF", "61455", nullptr},
        // other operands: converted strings go to the global __pow (the math
        // library sets it to math.pow), anything else to metamethods
        {"return '2' ^ 3, 2 ^ '10'", "8,1024", nullptr},
        {"__pow = function(a, b) return a .. '^' .. b end return '2' ^ '3'", "2^3", nullptr},
        {"__pow = nil return '2' ^ 3", nullptr, "`__pow' (`^' operator) is not a function"},
        {"local t = setmetatable({}, {__pow = function() return 'meta' end}) return t ^ 1", "meta", nullptr},
        {"local t = {} return t ^ 1", nullptr, "attempt to perform arithmetic on local `t' (a table value)"},
        {"return 'x' ^ 1", nullptr, "attempt to perform arithmetic on a string value"},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, NumberLiterals)
{
    static const LuaCase cases[] = {
        {"return 0xFFFFFFFF, 0x10, 0xff, 0xAbCd, 0x0", "4294967295,16,255,43981,0", nullptr},
        {"return 0x7FFFFFFF + 1, -0x1", "2147483648,-1", nullptr},
        // at most 8 characters after "0x": the rest is another token
        {"return 0x123456789", nullptr, "near `9'"},
        {"return 0x1234567 + 0", "19088743", nullptr},
        // the character after "x" is always taken and adds nothing
        {"return 0xg", "0", nullptr},
        {"return 0xz1", "1", nullptr},
        // only a lower-case x starts a hexadecimal literal
        {"return 0X10", nullptr, "malformed integer near `0X10'"},
        {"return 123abc", nullptr, "malformed integer near `123abc'"},
        {"return 1.5x", nullptr, "malformed number near `1.5x'"},
        {"return 1e", nullptr, "malformed number near `1e'"},
        {"return 1..2", nullptr, "malformed number"},
        {"return 3e2, .5, 7., 1E+1, 2e-1", "300,0.5,7,10,0.2", nullptr},
        // numeric strings still convert as before
        {"return '0x10' + 0, ' 7 ' * 2", "16,14", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, ContinueAndCountedBreak)
{
    static const LuaCase cases[] = {
        {"local s = 0 for i = 1, 5 do if i % 2 == 0 then continue end s = s + i end return s", "9", nullptr},
        {"local s, i = 0, 0 while i < 5 do i = i + 1 if i == 3 then continue end s = s + i end return s", "12",
         nullptr},
        {"local s, i = 0, 0 repeat i = i + 1 if i == 2 then continue end s = s + i until i >= 4 return s", "8",
         nullptr},
        {"local s = '' for k, v in ipairs({'a', 'b', 'c'}) do if v == 'b' then continue end s = s .. v end return s",
         "ac", nullptr},
        {"local c = 0 for a = 1, 3 do for b = 1, 3 do c = c + 1 if b == 2 then break 2 end end end return c", "2",
         nullptr},
        {"local c = 0 for a = 1, 3 do for b = 1, 3 do if b == 2 then continue 2 end c = c + 1 end c = c + 100 end "
         "return c",
         "3", nullptr},
        {"local n = 0 while true do repeat for i = 1, 9 do n = n + 1 break 3 end until false end return n", "1",
         nullptr},
        {"local n = 0 for i = 1, 3 do local j = 0 while true do j = j + 1 n = n + 1 if j == 2 then continue 2 end end "
         "end return n",
         "6", nullptr},
        {"for i = 1, 2 do break 1 end return 'ok'", "ok", nullptr},
        {"break 0", nullptr, "loop block number out of range near `0'"},
        {"while true do break 101 end", nullptr, "loop block number out of range near `101'"},
        {"while true do continue 0 end", nullptr, "loop block number out of range"},
        {"while true do break 1.5 end", nullptr, "loop block number must be integer near `1.5'"},
        {"break", nullptr, "no loop to break"},
        {"continue", nullptr, "no loop to continue"},
        {"while true do break 2 end", nullptr, "no loop to break"},
        {"for i = 1, 2 do for j = 1, 2 do continue 3 end end", nullptr, "no loop to continue"},
        {"while true do local f = function() break end end", nullptr, "no loop to break"},
        {"local x = 1 while x do x = nil continue x = 2 end", nullptr, "`end' expected"},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, CapturedLoopLocalsAreFreshEachRound)
{
    static const LuaCase cases[] = {
        // the closure is made before `continue' jumps back
        {"local fs, i = {}, 0 while i < 3 do i = i + 1 local x = i fs[i] = function() return x end "
         "if i < 3 then continue end end return fs[1](), fs[2](), fs[3]()",
         "1,2,3", nullptr},
        {"local fs, i = {}, 0 repeat i = i + 1 local x = i * 10 fs[i] = function() return x end "
         "if i < 3 then continue end until i >= 3 return fs[1](), fs[2](), fs[3]()",
         "10,20,30", nullptr},
        {"local fs = {} for i = 1, 3 do local x = i * 2 fs[i] = function() x = x + 1 return x end "
         "if i ~= 2 then continue end end return fs[1](), fs[1](), fs[2](), fs[3]()",
         "3,4,5,7", nullptr},
        // captured before the local's `continue', made afterwards in a later round
        {"local fs = {} for i = 1, 3 do local x = i if i == 2 then fs[#fs + 1] = function() return x end continue end "
         "fs[#fs + 1] = function() return x end end return fs[1](), fs[2](), fs[3]()",
         "1,2,3", nullptr},
        // `continue 2' and `break 2' close the locals of the loops they leave
        {"local fs = {} for a = 1, 2 do local q = a * 10 for b = 1, 2 do fs[#fs + 1] = function() return q end "
         "if b == 1 then continue 2 end end end local z1, z2, z3, z4 = 'w', 'x', 'y', 'z' "
         "return fs[1](), fs[2]()",
         "10,20", nullptr},
        // the closure that captures `q' comes after `break 2' in the text
        {"local fs = {} for a = 1, 2 do local q = a for b = 1, 3 do if a == 2 and b == 2 then break 2 end "
         "fs[#fs + 1] = function() return q end end end local z1, z2, z3, z4, z5 = 'v', 'w', 'x', 'y', 'z' "
         "return fs[1](), fs[3](), fs[4]()",
         "1,1,2", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, TableSizeHints)
{
    static const LuaCase cases[] = {
        {"local t = { &4 &10; 1, 2, x = 3 } return t[1], t[2], t.x, #t", "1,2,3,2", nullptr},
        {"return #{ &3 }, #{ &3 &2 }, #{ &0 &0; }", "0,0,0", nullptr},
        {"local t = { &2.9 &1e30; 'a' } return t[1]", "a", nullptr},
        {"x = { & }", nullptr, "size expected following & (line 1) near `}'"},
        {"x = {\n &\n 'a' }", nullptr, "size expected following & (line 3)"},
        {"x = { &4 & -1 }", nullptr, "size expected following & (line 1) near `-'"},
        // a leading `;' as Lua 5.0 allowed
        {"local t = { ; 1, 2; 3 } return #t", "3", nullptr},
    };
    CheckLuaCases(cases);
}

// The constructor's hints reach the new table.
TEST(LuaLanguage, TableSizeHintsSizeTheTable)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return { &5 &10; 1, 2, x = 3 }, { 1, 2, 3, x = 1, y = 2 }, { &2; a = 1, b = 2, c = 3 }", 3,
                             error))
        << error;
    const Table* hinted = static_cast<const Table*>(lua_topointer(L, 1));
    EXPECT_GE(hinted->sizearray, 10);
    EXPECT_GE(sizenode(hinted), 5);
    const Table* plain = static_cast<const Table*>(lua_topointer(L, 2));
    EXPECT_GE(plain->sizearray, 3);
    EXPECT_GE(sizenode(plain), 2);
    // fields beyond the hint still fit
    const Table* small = static_cast<const Table*>(lua_topointer(L, 3));
    EXPECT_GE(sizenode(small), 3);
    lua_close(L);
}

TEST(LuaLanguage, TypeMetatables)
{
    static const LuaCase cases[] = {
        {"return ('abc'):upper()", "ABC", nullptr},
        {"local s = 'x' return s:rep(3), ('%d'):format(7)", "xxx,7", nullptr},
        {"return getmetatable('').__index == string", "true", nullptr},
        {"return type(getmetatable(1)), type(getmetatable(true)), getmetatable(1) ~= getmetatable(true)",
         "table,table,true", nullptr},
        {"getmetatable(1).__index = math return (2):floor(), (4):sqrt()", "2,2", nullptr},
        {"return (1).x", nullptr, "attempt to index a number value"},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, TypeMetatablesInTheRegistry)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    static const char* const names[] = {"_boolean", "_lightuserdata", "_number", "_string", "_table",
                                        "_function", "_userdata", "_thread", "_wstring"};
    for (int type = 1; type <= 9; ++type) {
        SCOPED_TRACE(names[type - 1]);
        lua_getfield(L, LUA_REGISTRYINDEX, names[type - 1]);
        EXPECT_EQ(lua_type(L, -1), LUA_TTABLE);
        lua_gettypemetatable(L, type);
        // the string library replaced the string slot after the copy was made
        if (type == LUA_TSTRING)
            EXPECT_FALSE(lua_rawequal(L, -1, -2));
        else
            EXPECT_TRUE(lua_rawequal(L, -1, -2));
        lua_pop(L, 2);
    }
    lua_getfield(L, LUA_REGISTRYINDEX, "_nil");
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_pop(L, 1);

    // setting a type's slot by number; a value that is not a table is ignored
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return { __index = function(b, k) return k .. tostring(b) end }", 1, error));
    lua_settypemetatable(L, LUA_TBOOLEAN);
    lua_pushnumber(L, 1);
    lua_settypemetatable(L, LUA_TBOOLEAN);
    EXPECT_EQ(lua_gettop(L), 0);
    ASSERT_TRUE(RunLuaString(L, "return (true).yes", 1, error)) << error;
    EXPECT_STREQ(lua_tostring(L, -1), "yestrue");
    lua_pop(L, 1);
    lua_gettypemetatable(L, 42);
    EXPECT_TRUE(lua_isnil(L, -1));
    lua_close(L);
}

TEST(LuaLanguage, Lua50Compatibility)
{
    static const LuaCase cases[] = {
        // the `until' condition does not see the body's locals
        {"x = 'global' local n = 0 repeat local x = 1 n = n + 1 until x == 'global' or n > 5 return n", "1",
         nullptr},
        {"local n = 0 repeat local done = true n = n + 1 until done or n == 3 return n", "3", nullptr},
        // `for k, v in t'
        {"local s = 0 for k, v in {1, 2, x = 3} do s = s + v end return s", "6", nullptr},
        {"local keys = 0 for k in {a = 1, b = 2} do keys = keys + 1 end return keys", "2", nullptr},
        {"for k, v in {} do error('no rounds') end return 'ok'", "ok", nullptr},
        {"local r for k, v, extra in {7} do r = {k, v, extra} end return r[1], r[2], r[3]", "1,7,nil", nullptr},
        {"local s = 0 for k, v in {1, 2, 3} do if k == 2 then continue end s = s + v end return s", "4", nullptr},
        {"local t = setmetatable({}, {__call = function(self, s, c) if not c then return 'called' end end}) "
         "local r for k in t do r = k end return r",
         "called", nullptr},
        // nested long strings and comments
        {"return [[a[[b]]c]]", "a[[b]]c", nullptr},
        {"--[[ one [[two]] three ]] return 1", "1", nullptr},
        {"return [==[x]]y]==]", "x]]y", nullptr},
        // collectgarbage(limit)
        {"return select('#', collectgarbage(1e9)), type(collectgarbage('count'))", "0,number", nullptr},
        {"local t = {} for i = 1, 20000 do t[i] = {} end t = nil local before = collectgarbage('count') "
         "collectgarbage(0) return collectgarbage('count') < before / 2",
         "true", nullptr},
        {"return collectgarbage('bogus')", nullptr, "invalid option"},
        // the implicit `arg' of vararg functions
        {"local function f(...) return arg.n, arg[2] end return f('a', 'b')", "2,b", nullptr},
        // messages quote names the 5.0 way
        {"local t = nil return t.x", nullptr, "attempt to index local `t' (a nil value)"},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, LexerErrorsAndEscapes)
{
    static const LuaCase cases[] = {
        {"x = \x01", nullptr, "invalid control char near `char(1)'"},
        {"x = 1 \x7f", nullptr, "invalid control char near `char(127)'"},
        {"x = \xff", nullptr, "invalid wide char near `char(255)'"},
        {"x = \xfe", nullptr, "unexpected symbol"},
        {"return '\\x41\\x4a', '\\xg', #'\\x', '\\x414'", "AJ,xg,1,A4", nullptr},
    };
    CheckLuaCases(cases);
    // a zero byte in the result: compared by hand
    lua_State* L = NewLuaState();
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return '\\65\\t\\0', \"a\\\"b\"", 2, error)) << error;
    size_t len = 0;
    const char* s = lua_tolstring(L, 1, &len);
    EXPECT_EQ(std::string(s, len), std::string("A\t\0", 3));
    EXPECT_STREQ(lua_tostring(L, 2), "a\"b");
    lua_close(L);
}

TEST(LuaLanguage, QuotedFormat)
{
    static const LuaCase cases[] = {
        {"return string.format('%q', 'a\\0b\\n\\\"\\\\')", "\"a\\x00b\\n\\\"\\\\\"", nullptr},
        {"return string.format('%q', '\\7\\8\\9\\10\\11\\12\\13\\14\\31 ~\\127\\128\\255')",
         "\"\\a\\b\\t\\n\\v\\f\\r\\x0e\\x1f ~\\x7f\\x80\\xff\"", nullptr},
        // every byte reads back
        {"local s = '' for i = 0, 255 do s = s .. string.char(i) end "
         "return loadstring('return ' .. string.format('%q', s))() == s",
         "true", nullptr},
        {"return string.format('%q', {})", nullptr, "string expected, got table"},
        {"return tostring(nil), tostring(1.5), (tostring(coroutine.create(function() end)):match('^thread: 0x'))",
         "nil,1.5,thread: 0x", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, BinaryChunksRoundTripAndStockChunksAreRefused)
{
    static const LuaCase cases[] = {
        {"local f = function(a) local s = 0 for i = 1, a do if i == 2 then continue end s = s + (i ^ 1) end "
         "return s, 0xF0 >> 4 end "
         "return loadstring(string.dump(f))(4)",
         "7,15", nullptr},
        // a chunk with the stock format byte
        {"local d = string.dump(function() end) return loadstring(d:sub(1, 5) .. '\\0' .. d:sub(7))", nullptr,
         nullptr},
    };
    CheckLuaCase(cases[0]);
    lua_State* L = NewLuaState();
    std::string error;
    ASSERT_TRUE(RunLuaString(L, cases[1].code, 2, error)) << error;
    EXPECT_TRUE(lua_isnil(L, 1));
    EXPECT_NE(std::string(lua_tostring(L, 2)).find("bad header"), std::string::npos) << lua_tostring(L, 2);
    lua_close(L);
}

// Binary chunks that lua_dump never writes: an absent (length 0) string
// constant or debug name, fewer upvalue names than upvalues, a table size
// beyond an int. The byte patterns assume 4-byte ints and 8-byte size_t,
// little-endian.
TEST(LuaLanguage, MalformedBinaryChunksAreRefused)
{
    static const LuaCase cases[] = {
        {"local d = string.dump(function() return xyz end) "
         "local bad = d:gsub('\\4\\4%z%z%z%z%z%z%zxyz%z', '\\4\\0\\0\\0\\0\\0\\0\\0\\0') "
         "return bad ~= d, select(2, loadstring(bad))",
         "true,binary string: bad string in precompiled chunk", nullptr},
        {"local d = string.dump(function() local abc return abc end) "
         "local bad = d:gsub('\\4%z%z%z%z%z%z%zabc%z', '\\0\\0\\0\\0\\0\\0\\0\\0') "
         "return bad ~= d, select(2, loadstring(bad))",
         "true,binary string: bad string in precompiled chunk", nullptr},
        // the second upvalue has no name: naming it in an error read past the names
        {"local d = string.dump(function() local a, b return function() return a, b.x end end) "
         "local bad = d:gsub('\\2%z%z%z\\2%z%z%z%z%z%z%za%z\\2%z%z%z%z%z%z%zb%z', "
         "'\\1\\0\\0\\0\\2\\0\\0\\0\\0\\0\\0\\0a\\0') "
         "return bad ~= d, select(2, loadstring(bad))",
         "true,binary string: bad upvalue names in precompiled chunk", nullptr},
        // a NEWTABLE whose hash size is beyond an int (2^31 in the table
        // size byte): an error, not a negative size
        {"local d = string.dump(function() return {} end) "
         "local bad, n = d:gsub('\\3%z%z%z\\10%z%z%z', '\\3\\0\\0\\0\\10\\128\\62\\0') "
         "assert(n == 1) return loadstring(bad)()",
         nullptr, "table overflow"},
        // no debug names at all is still fine
        {"local d = string.dump(function() local a, b return function() return a, b end end) "
         "local bad = d:gsub('\\2%z%z%z\\2%z%z%z%z%z%z%za%z\\2%z%z%z%z%z%z%zb%z', '\\0\\0\\0\\0') "
         "return bad ~= d, type(loadstring(bad))",
         "true,function", nullptr},
    };
    CheckLuaCases(cases);
}

TEST(LuaLanguage, RegistryKeyIndices)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    lua_pushstring(L, "one");
    lua_rawseti(L, LUA_REGISTRYINDEX, 1);
    EXPECT_EQ(lua_registrykeyindex(1), -40001);
    EXPECT_STREQ(lua_tostring(L, lua_registrykeyindex(1)), "one");
    EXPECT_TRUE(lua_isnil(L, lua_registrykeyindex(777777)));
    // a key far beyond the array part is found in the hash part
    lua_pushnumber(L, 5);
    lua_replace(L, lua_registrykeyindex(100000));
    lua_rawgeti(L, LUA_REGISTRYINDEX, 100000);
    EXPECT_EQ(lua_tonumber(L, -1), 5);
    lua_pop(L, 1);
    // a value that is only reachable through the registry survives collection
    lua_newtable(L);
    lua_pushstring(L, "kept");
    lua_setfield(L, -2, "x");
    lua_replace(L, lua_registrykeyindex(1));
    EXPECT_EQ(lua_gettop(L), 0);
    lua_gc(L, LUA_GCCOLLECT, 0);
    lua_getfield(L, lua_registrykeyindex(1), "x");
    EXPECT_STREQ(lua_tostring(L, -1), "kept");
    lua_close(L);
}

TEST(LuaLanguage, PointerUserdata)
{
    lua_State* L = NewLuaState();
    ASSERT_NE(L, nullptr);
    int target = 0;
    lua_pushpointeruserdata(L, &target);
    EXPECT_EQ(lua_type(L, -1), LUA_TUSERDATA);
    EXPECT_EQ(lua_touserdata(L, -1), &target);
    lua_pushpointeruserdata(L, nullptr);
    EXPECT_EQ(lua_touserdata(L, -1), nullptr);
    // other userdata are as before
    void* block = lua_newuserdata(L, 16);
    EXPECT_EQ(lua_touserdata(L, -1), block);
    lua_pushlightuserdata(L, &target);
    EXPECT_EQ(lua_touserdata(L, -1), &target);
    // metatables work as for any full userdata
    std::string error;
    ASSERT_TRUE(RunLuaString(L, "return {__index = function(u, k) return k .. '!' end}", 1, error)) << error;
    lua_setmetatable(L, 1);
    lua_pushvalue(L, 1);
    lua_setglobal(L, "p");
    lua_settop(L, 0);
    ASSERT_TRUE(RunLuaString(L, "return type(p), p.field", 2, error)) << error;
    EXPECT_STREQ(lua_tostring(L, 1), "userdata");
    EXPECT_STREQ(lua_tostring(L, 2), "field!");
    lua_getglobal(L, "p");
    EXPECT_EQ(lua_touserdata(L, -1), &target);
    lua_close(L);
}
