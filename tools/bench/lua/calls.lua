-- Function calls: recursion, closures, varargs and method calls.
local function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end

local function counter()
  local count = 0
  return function(step)
    count = count + step
    return count
  end
end

local function add3(a, b, c) return a + b + c end
local function pass(...) return add3(...) end

local Point = {}
Point.__index = Point
function Point.new(x, y) return setmetatable({x = x, y = y}, Point) end
function Point:moved(dx, dy) return Point.new(self.x + dx, self.y + dy) end
function Point:length2() return self.x * self.x + self.y * self.y end

local f = fib(30)

local c = counter()
local total = 0
for i = 1, 2000000 do
  total = total + c(1) % 3
end

local s = 0
for i = 1, 1000000 do
  s = s + pass(i, 1, 2)
end

local p = Point.new(0, 0)
local len = 0
for i = 1, 300000 do
  p = p:moved(1, -1)
  len = len + p:length2() % 5
end

print(f, total, s, len)
