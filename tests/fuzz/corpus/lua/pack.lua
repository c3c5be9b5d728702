-- string.pack, string.unpack and string.lualex
local s = string.pack('<bBchHiIlLfdnAzpPa', -1, true, 7, -2, 65535, -3, 4294967295, 5, 6,
                      1.5, 2.25, 3, 'raw', 'zero', 'p8', 'p16', 'p32')
local r = {string.unpack(s, '<bBchHiIlLfdnA3zpPa')}
local b = string.pack('>h2 @4:255 b @ <H wz', 1, 2, 3, 4, L"wide")
local c = {string.unpack(b, '>h2 b b b b <H wz')}
local lex, wlex = string.lualex('a\\tb\\x41\\65\\n'), string.lualex('\\x263a', 1)
local ok, err = pcall(string.pack, 'Q', 1)
local ok2, err2 = pcall(string.unpack, 'ab', 'i')
return #r, r[1], r[13], #c, lex, ok, err, ok2, err2
