-- The offer after the tenth question: go on to the final question
-- ("Btn_continue") or leave with the money won ("btn_DropOut"). The native
-- window fills the option texts; the waiting script handles the drop-out
-- (TurnOffButtons(), then DropOut()).

local chalk = { "fonts/chalkboard.mvec", 28, Color(242, 242, 232) }
local shadow = { "fonts/chalkboard.mvec", 28, Color(0, 0, 0, 160) }
local tile = { "ui/chalk_tile_normal.png", "ui/chalk_tile_pressed.png", "ui/chalk_tile_rollover.png" }
local centred = kHAlignCenter + kVAlignCenter

local function Option(n, x, y)
    return Text{ name = "txt_opt" .. n .. "_shadow2", x = x + 13, y = y + 7, w = 280, h = 70, label = "",
            font = shadow, flags = centred },
        Text{ name = "txt_opt" .. n .. "_shadow1", x = x + 11, y = y + 5, w = 280, h = 70, label = "",
            font = shadow, flags = centred },
        Text{ name = "txt_opt" .. n, x = x + 10, y = y + 4, w = 280, h = 70, label = "", font = chalk,
            flags = centred }
end

local continue0, continue1, continue2 = Option(0, 90, 420)
local drop0, drop1, drop2 = Option(1, 410, 420)

Window{ name = "continue", x = 0, y = 0, w = 800, h = 600,
    Text{ name = "continue_title_shadow", x = 2, y = 322, w = 800, h = 60, label = "continue_title",
        font = { "fonts/chalkboard.mvec", 40, Color(0, 0, 0, 180) }, flags = centred },
    Text{ name = "continue_title", x = 0, y = 320, w = 800, h = 60, label = "continue_title",
        font = { "fonts/chalkboard.mvec", 40, Color(255, 226, 120) }, flags = centred },
    Button{ name = "Btn_continue", x = 90, y = 420, w = 300, h = 78, graphics = tile,
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg" },
    Button{ name = "btn_DropOut", x = 410, y = 420, w = 300, h = 78, graphics = tile,
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg" },
    continue0, continue1, continue2, drop0, drop1, drop2,
}()
