-- wide strings: literals, interning, conversions, concatenation, %q, print
local w = L"h\xe9llo \x20ac\n"
local e = L""
local u = towstring("abc") .. L"-" .. 12 .. L"x"
assert(L"abc" == towstring("abc"))
assert(type(w) == "wstring" and #w == 8)
local n = L"0x10" + L"5 " + 1
print(w, u, n, towstring(1.5), tostring(L"ab"))
local q = string.format("%q", L"a\"\\\0\x1234z")
local back = loadstring("return " .. q)()
local t = {}
t[w] = 1
t[L"h\xe9llo \x20ac\n"] = 2
collectgarbage()
return back == L"a\"\\\0\x1234z", t[w], e == L"", pcall(function() return w < u end)
