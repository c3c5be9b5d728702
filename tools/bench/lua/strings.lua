-- String work: building, formatting, searching and substitution.
local parts = {}
for i = 1, 100000 do
  parts[#parts + 1] = string.format("%d:%s", i, tostring(i * 3))
end
local text = table.concat(parts, " ")

local found, pos = 0, 1
while true do
  local s, e = string.find(text, "99", pos, true)
  if not s then break end
  found = found + 1
  pos = e + 1
end

local replaced, count = string.gsub(text, "(%d+):(%d+)", "%2=%1")

local words = 0
for w in string.gmatch(string.sub(text, 1, 200000), "%d+") do
  words = words + #w
end

local s = ""
for i = 1, 20000 do
  s = s .. string.char(65 + i % 26)
  if #s > 200 then s = string.lower(string.sub(s, 100)) end
end

local upper = 0
for i = 1, 200000 do
  local t = ("item" .. i):upper()
  upper = upper + #t + (tonumber(string.sub(t, 5)) or 0) % 3
end

local rep = string.rep("abc", 100000)
local bytes = 0
for i = 1, #rep, 97 do
  bytes = bytes + string.byte(rep, i)
end

print(#text, found, count, #replaced, words, #s, upper, bytes)
