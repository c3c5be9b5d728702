-- & | << >> and ^ as exclusive or, folded and at run time, hex literals
local a, b = 0xFFFFFFFF, 0x0F0F
local t = {
  a & b, a | 1, 1 << 31, 0x80000000 >> 31, 2 ^ 3, -1 ^ 0xFF,
  a & b << 4 | 3, 1 + 2 & 3, 7 & 3 << 1, -2 & 3,
  (1.9 | 0), (-1.9 | 0), 1 << 33, 1 << -1, 0xg, 0x1234567,
  '2' ^ 3, -2147483648, 4294967296 * 3 + 5 | 0,
}
local z = 0
t[#t + 1] = (z / z) | 0
t[#t + 1] = (1 / z) & 7
local x = 0
for i = 1, 32 do x = x ^ (i << i) end
local h = { &8 &16; 1, 2, 3, k = 'v' }
return x, #t, h[3], t[-2147483648], string.format('%x %d', a, -1)
