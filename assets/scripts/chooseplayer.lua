-- The player choice: up to ten profiles as radio buttons ("btn_prof0" ..
-- "btn_prof9"), and buttons to add a player, rename or delete the chosen
-- one, play as them, or go back. Opened with
-- DoModal("scripts/chooseplayer.lua"), which returns "play" once a player
-- is chosen to play, nil otherwise. Names are only ever data here: they
-- reach this script as strings and are shown through Literal.

local kSlots = 10
local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }
local faces = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" }
local toggles = { "ui/button_normal.png", "ui/button_on.png", "ui/button_rollover.png", "ui/button_on.png" }
local centred = kHAlignCenter + kVAlignCenter

-- A name as a text shows it: backslashes and "<" are not markup.
local function Literal(name)
    return (string.gsub(name, "([\\<])", "\\%1"))
end

local function Trimmed(name)
    return (string.gsub(name, "^%s*(.-)%s*$", "%1"))
end

local gChoices = { current = -1, count = 0, names = {} }

-- Called by the window once it is built and by SetPlayerChoices after each
-- change: one button per profile, the current one on.
function UpdatePlayerChoices(current, count, names)
    gChoices = { current = current, count = count, names = names }
    for i = 0, kSlots - 1 do
        local button = "btn_prof" .. i
        local name = names[i + 1]
        EnableWindow(button, name ~= nil)
        if name ~= nil then
            SetLabel(button, Literal(name))
            SetButtonToggleState(button, i == current)
        end
    end
    local chosen = current >= 0 and current < kSlots and names[current + 1] ~= nil
    EnableWindow("btn_new", count < kSlots)
    EnableWindow("btn_rename", chosen)
    EnableWindow("btn_delete", chosen)
    EnableWindow("btn_play", chosen)
    if count >= kSlots then
        SetLabel("txt_status", GetString("player_full"))
    elseif count == 0 then
        SetLabel("txt_status", GetString("player_none"))
    else
        SetLabel("txt_status", "")
    end
end

local function PushButton(name, x, y, label, scale, extra)
    local t = { name = name, x = x, y = y, graphics = faces, scale = scale or 1,
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 6, y = 4, w = 160 * (scale or 1) - 12, h = 40 * (scale or 1) - 8,
            label = label, font = body, flags = centred },
    }
    for k, v in pairs(extra or {}) do
        t[k] = v
    end
    return Button(t)
end

local screen = { name = "chooseplayer", x = kCenter, y = kCenter, w = 480, h = 400,
    Bitmap{ name = "panel", x = 0, y = 0, image = "ui/panel.png", alpha = true },
    Text{ name = "txt_title", x = 20, y = 12, w = 440, h = 32, label = "player_title",
        font = { "fonts/bold.mvec", 22, Color(255, 220, 120) }, flags = centred },
    BeginGroup(),
}
for i = 0, kSlots - 1 do
    local x = 60 + (i % 2) * 200
    local y = 52 + (i - i % 2) / 2 * 44
    table.insert(screen, Button{ name = "btn_prof" .. i, x = x, y = y, type = kRadio, graphics = toggles,
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 6, y = 4, w = 148, h = 32, label = "", font = body, flags = centred },
    })
end
table.insert(screen, Text{ name = "txt_status", x = 20, y = 274, w = 440, h = 24, label = "", font = body,
    flags = centred })
table.insert(screen, PushButton("btn_new", 20, 304, "player_new", 0.875))
table.insert(screen, PushButton("btn_rename", 170, 304, "player_rename", 0.875))
table.insert(screen, PushButton("btn_delete", 320, 304, "player_delete", 0.875))
table.insert(screen, PushButton("btn_play", 60, 350, "player_play", 1, { default = true }))
table.insert(screen, PushButton("btn_back", 260, 350, "player_back", 1, { close = true }))

ChoosePlayerWindow(screen)()

-- The name typed in the entry dialog, or nil when it was cancelled.
local function AskName(title, name)
    gNameEntry = { title = title, name = name }
    local typed = DoModal("scripts/entername.lua")
    gNameEntry = nil
    if type(typed) ~= "table" or type(typed.name) ~= "string" then
        return nil
    end
    return Trimmed(typed.name)
end

SetCommand("btn_new", function()
    if GetNumUsers() >= kSlots then
        return
    end
    local name = AskName("player_new_title", nil)
    if name ~= nil and name ~= "" and not IsNameInUse(name) then
        CreateNewUser(name)
    end
    SetPlayerChoices()
end)

SetCommand("btn_rename", function()
    local user = GetCurrentSelectedUser()
    local old = GetSelectedPlayerName()
    SetCurrentUser(user)
    local name = AskName("player_rename_title", old)
    if name ~= nil and name ~= "" and (name == old or not IsNameInUse(name)) then
        ChangeCurrentUserName(name)
    end
    SetPlayerChoices()
end)

SetCommand("btn_delete", function()
    gDeletePlayer = GetSelectedPlayerName()
    local user = GetCurrentSelectedUser()
    local answer = DoModal("scripts/deleteplayer.lua")
    gDeletePlayer = nil
    if answer == "btn_yes" then
        DeleteUser(user)
    end
    SetPlayerChoices()
end)

SetCommand("btn_play", function()
    if gChoices.count == 0 then
        return
    end
    SetCurrentUser(GetCurrentSelectedUser())
    CloseWindow("play")
end)

-- A profile button's command runs before the button turns itself on, so
-- it names its own profile.
for i = 0, kSlots - 1 do
    local user = i
    SetCommand("btn_prof" .. i, function()
        SetCurrentUser(user)
    end)
end
