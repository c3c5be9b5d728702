-- The game's main script, run once the display is up: the screens start
-- here. For now the title layer (title.lua) stays up; a key or a click on it
-- opens the widgets dialog (widgets.lua), and closing that comes back to the
-- title.
return function()
    PushModal("title")
    ReadFile("title.lua")
    DoFitToChildren()
    while true do
        local m
        repeat
            m = WaitForMessage()
        until m ~= nil and m.type == kPressAnyKey
        DoModal("widgets.lua")
    end
end
