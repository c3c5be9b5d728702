-- continue, break N and continue N, with closures made in the loops
local fs, s = {}, 0
for i = 1, 10 do
  local x = i
  if i % 3 == 0 then continue end
  fs[#fs + 1] = function() x = x + 1 return x end
  s = s + i
end
local n = 0
while true do
  repeat
    for j = 1, 5 do
      n = n + j
      if n > 20 then break 3 end
      if j == 2 then continue 2 end
    end
  until false
end
for a = 1, 3 do
  for b = 1, 3 do
    if b == a then continue 2 end
    s = s + a * b
  end
end
local r, i = {}, 0
repeat i = i + 1 local y = i if i < 4 then continue end r[i] = y until i >= 6
for k, v in {10, 20, x = 30} do s = s + v end
return s, n, fs[1](), fs[2](), #r
