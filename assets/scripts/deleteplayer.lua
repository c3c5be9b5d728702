-- Asks before a player is deleted: the name (gDeletePlayer) and Yes / No.
-- Opened with DoModal("scripts/deleteplayer.lua"); returns "btn_yes" or
-- "btn_no".

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }
local faces = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" }
local centred = kHAlignCenter + kVAlignCenter

local function Literal(name)
    return (string.gsub(name, "([\\<])", "\\%1"))
end

local function PushButton(name, x, label)
    return Button{ name = name, x = x, y = 236, graphics = faces, scale = 0.9, close = true,
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 6, y = 4, w = 132, h = 28, label = label, font = body, flags = centred },
    }
end

Window{ name = "deleteplayer", x = kCenter, y = kCenter, w = 360, h = 300,
    Bitmap{ name = "panel", x = 0, y = 0, image = "ui/panel.png", alpha = true, scale = 0.75 },
    Text{ name = "txt_title", x = 20, y = 20, w = 320, h = 32, label = "player_delete_title",
        font = { "fonts/bold.mvec", 22, Color(255, 220, 120) }, flags = centred },
    Text{ name = "txt_name", x = 20, y = 80, w = 320, h = 60, label = "",
        font = { "fonts/bold.mvec", 20, Color(255, 255, 255) }, flags = centred },
    Text{ name = "txt_warning", x = 20, y = 150, w = 320, h = 48, label = "player_delete_warning", font = body,
        flags = centred },
    PushButton("btn_yes", 24, "player_yes"),
    PushButton("btn_no", 192, "player_no"),
}()

SetLabel("txt_name", Literal(gDeletePlayer or ""))
