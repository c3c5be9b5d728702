-- The show's stage script, run with DoModal while a show is on: the stage
-- window (stage.lua), whose opening starts the show; the show's windows
-- (board, questions, subtitles) open on it. The show's windows leave some
-- buttons to this script: drop out (from an answer window or the final
-- offer), skip, and back to the main menu. It runs until its layer is
-- popped (the show's end pops it).
ReadFile("scripts/stage.lua")

local function Pressed(m, name)
    return m.type == kButtonPress and m.name == name
end

local depth = GetWindowDepth()
repeat
    local m = WaitForMessage()
    if m ~= nil then
        if m.type == kModalClosed then
            -- Kept for DoModal, which waits for this layer's close.
            gClosedWindows[m.name] = true
        elseif Pressed(m, "btn_DropOut") then
            -- From the final offer its buttons go first.
            if TurnOffButtons then
                TurnOffButtons()
            end
            DropOut()
        elseif Pressed(m, "btn_skipVO") then
            SkipVO()
        elseif Pressed(m, "btn_mainmenu") then
            ExitNextFrame()
        end
    end
until GetWindowDepth() < depth
