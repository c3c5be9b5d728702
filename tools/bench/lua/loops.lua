-- Numeric loops and arithmetic on locals.
local sum = 0
for i = 1, 8000000 do
  local x = i % 7
  if x < 3 then
    sum = sum + x * 2
  elseif x == 3 then
    sum = sum - 1
  else
    sum = sum + i / 1000
  end
end

local n, steps = 27, 0
for start = 1, 80000 do
  n = start
  while n ~= 1 and steps < 100000000 do
    if n % 2 == 0 then n = n / 2 else n = 3 * n + 1 end
    steps = steps + 1
  end
end

local acc = 0
for i = 1, 600 do
  for j = 1, 300 do
    for k = 1, 10 do
      acc = acc + (i * j - k) % 13
    end
  end
end

print(string.format("%.3f", sum), steps, acc)
