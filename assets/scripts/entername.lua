-- The name entry: a text field for a player's name, with OK (shown only
-- while the field is not empty) and Cancel. Opened with
-- DoModal("scripts/entername.lua") after setting gNameEntry = { title =
-- string-table label, name = the name to change, or nil for a new player,
-- whose field starts with a prompt that the first key or click clears }.
-- Returns { name = the name as typed, trimmed }, or something else (nil or
-- the Cancel button's name) when cancelled. A name left empty
-- after trimming, or one another player has, is refused here with a line
-- saying why.

local kNameLength = 16
local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }
local faces = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" }
local centred = kHAlignCenter + kVAlignCenter

local entry = gNameEntry or {}
local prompt = entry.name == nil

local function Trimmed(name)
    return (string.gsub(name, "^%s*(.-)%s*$", "%1"))
end

local function PushButton(name, x, label, extra)
    local t = { name = name, x = x, y = 236, graphics = faces, scale = 0.9,
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 6, y = 4, w = 132, h = 28, label = label, font = body, flags = centred },
    }
    for k, v in pairs(extra or {}) do
        t[k] = v
    end
    return Button(t)
end

Window{ name = "entername", x = kCenter, y = kCenter, w = 360, h = 300,
    Bitmap{ name = "panel", x = 0, y = 0, image = "ui/panel.png", alpha = true, scale = 0.75 },
    Text{ name = "txt_title", x = 20, y = 20, w = 320, h = 32, label = entry.title or "player_new_title",
        font = { "fonts/bold.mvec", 22, Color(255, 220, 120) }, flags = centred },
    Text{ name = "txt_hint", x = 20, y = 62, w = 320, h = 24, label = "player_name_hint", font = body,
        flags = centred },
    TextEdit{ name = "txt_name", x = 40, y = 110, w = 280, h = 30, length = kNameLength,
        clearinitial = prompt, enablewindow = "btn_ok",
        label = entry.name or GetString("player_name_prompt"),
        font = { "fonts/default.mvec", 20, Color(255, 255, 255) } },
    Text{ name = "txt_error", x = 20, y = 160, w = 320, h = 48, label = "",
        font = { "fonts/default.mvec", 15, Color(255, 150, 130) }, flags = centred },
    PushButton("btn_ok", 24, "player_ok", { default = true }),
    PushButton("btn_cancel", 192, "player_cancel", { close = true }),
}()

EnableWindow("btn_ok", not prompt and entry.name ~= "")
RealSetFocus("txt_name")

SetCommand("btn_ok", function()
    local name = Trimmed(GetLabel("txt_name"))
    if name == "" then
        SetLabel("txt_error", GetString("player_name_empty"))
    elseif name ~= entry.name and IsNameInUse(name) then
        SetLabel("txt_error", GetString("player_name_taken"))
    else
        CloseWindow({ name = name })
    end
end)
