local function h(e) while true do end end
while true do xpcall(function() while true do end end, h) end
