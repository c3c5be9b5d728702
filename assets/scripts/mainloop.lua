-- The game's main script, run once the display is up: the screens start
-- here. For now the title layer (title.lua) stays up; a key or a click on it
-- opens the widgets dialog (widgets.lua), and closing that comes back to the
-- title. The dialog's Play a Show button plays a show (the loading screen,
-- then the stage: scripts/demo.lua) as the player "Player"; its end comes back to the
-- title. The Studio button tours the studio instead, with the classmates
-- and the host idling, where the announcer opens the show and each key
-- glides the camera to the next of the show's shots while the cast waves or
-- claps and the host says a line of the show, with subtitles; Escape comes
-- back to the title.

-- The shots in turn, the last back to where the camera started, each with
-- what the classmates (0 to 4) and the host (255) do meanwhile and the
-- voice-over row the host says.
local kHost = 255
local kShots = {
    { shot = "intro", classmates = "SitWave", line = 211 },
    { shot = "board", line = 258 },
    { shot = "final", classmates = "SitClap", host = "Clap", line = 242 },
    { shot = false, line = 266 },
}
local kOpening = { 107, 265 }
local kEscape = "raw:" .. string.char(27)
local studioLoaded = false

local function LoadSet()
    if not studioLoaded then
        LoadStudio("mesh/set/Set.xml")
        LoadCast()
        studioLoaded = true
    end
end

-- The loading screen (pushed as "loading_window") loads the studio and the
-- cast, then runs the stage's script, which plays the show; the show's end
-- pops the layers from "loading_window" up.
local function PlayShow()
    if GetNumUsers() == 0 then
        CreateNewUser("Player")
    end
    PushModal("loading_window")
    ReadFile("scripts/loading.lua")
    local depth = GetWindowDepth()
    repeat
        WaitForMessage()
    until GetWindowDepth() < depth
    studioLoaded = true
end

local function VisitStudio()
    LoadSet()
    StudioTour(true)
    PushModal("stage")
    ReadFile("scripts/stage.lua")
    UseSubtitles(true)
    StartIdleAnimations()
    for _, line in ipairs(kOpening) do
        PlayVoiceOver(line)
    end
    local shot = 0
    while true do
        local m = WaitForMessage()
        if m ~= nil and m.type == kButtonPress and m.name == "btn_skipVO" then
            SkipVO()
        elseif m ~= nil and m.type == kPressAnyKey and m.name ~= "mouse:up" then
            if m.name == kEscape then
                break
            end
            shot = shot % #kShots + 1
            local step = kShots[shot]
            if step.shot then
                CameraShot(step.shot, 1000)
            else
                CameraReturn(1000)
            end
            if step.classmates then
                for who = 0, 4 do
                    PlayCastAnimation(who, step.classmates)
                end
            end
            if step.host then
                PlayCastAnimation(kHost, step.host)
            end
            -- The line now playing stops; the host goes on to the next.
            SkipVO()
            PlayVoiceOver(step.line)
        end
    end
    SkipVO()
    StopIdleAnimations()
    PopModal("stage")
    StudioTour(false)
end

return function()
    PushModal("title")
    ReadFile("title.lua")
    DoFitToChildren()
    while true do
        local m
        repeat
            m = WaitForMessage()
        until m ~= nil and m.type == kPressAnyKey
        local choice = DoModal("widgets.lua")
        if choice == "studio" then
            VisitStudio()
        elseif choice == "show" then
            PlayShow()
        end
    end
end
