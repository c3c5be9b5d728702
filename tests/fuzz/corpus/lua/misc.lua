-- metatables per type, coroutines, varargs with arg, long strings, errors
getmetatable(1).__index = math
local up = ("abc"):upper() .. (4):sqrt()
local co = coroutine.wrap(function(...)
  local s = 0
  for i = 1, arg.n do s = s + coroutine.yield(arg[i]) end
  return s
end)
local v = co(1, 2, 3)
v = co(10) v = co(20) v = co(30)
local mt = {__add = function(a, b) return 'add' end, __concat = function() return 'cat' end,
            __index = function(t, k) return k end, __call = function(self, x) return x end}
local o = setmetatable({}, mt)
local long = [[a [[nested]] b]] .. [==[ ]] ]==]
local ok, msg = pcall(function() local t = nil return t.x end)
local ok2, msg2 = xpcall(function() error({}) end, function(e) return type(e) end)
collectgarbage(1)
return up, v, o + 1, o .. 'x', o.key, o(5), long, msg, msg2, select('#', unpack({1, nil, 3}, 1, 3))
