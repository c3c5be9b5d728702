-- Table work: arrays, hash keys, sorting, insert/remove and concat.
local array = {}
for i = 1, 300000 do
  array[i] = (i * 7919) % 100003
end
local sum = 0
for i = 1, #array do
  sum = sum + array[i]
end

local hash = {}
for i = 1, 100000 do
  hash["key" .. (i % 5000)] = (hash["key" .. (i % 5000)] or 0) + i
end
local keys = 0
for k, v in pairs(hash) do
  keys = keys + v % 11
end

local sorted = {}
for i = 1, 100000 do
  sorted[i] = array[i]
end
table.sort(sorted)
local ordered = true
for i = 2, #sorted do
  if sorted[i - 1] > sorted[i] then ordered = false end
end

local queue = {}
for i = 1, 20000 do
  table.insert(queue, i)
  if i % 3 == 0 then table.remove(queue, 1) end
end

local rows = {}
for i = 1, 2000 do
  local row = {}
  for j = 1, 20 do row[j] = {i, j, i * j} end
  rows[i] = row
end
local cells = 0
for i = 1, #rows do
  for j = 1, #rows[i] do cells = cells + rows[i][j][3] % 7 end
end

local parts = {}
for i = 1, 50000 do parts[i] = i % 10 end
local joined = table.concat(parts, ",")

print(sum, keys, ordered, #queue, cells, #joined)
