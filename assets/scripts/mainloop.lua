-- The game's main script, run once the display is up: the screens start
-- here. For now the title layer (title.lua) stays until a key or a click.
return function()
    local layer = PushModal("title")
    ReadFile("title.lua")
    DoFitToChildren()
    local m
    repeat
        m = WaitForMessage()
    until m ~= nil and m.type == kPressAnyKey
    PopModal(layer)
end
