-- The player's options: full screen, subtitles and mute switches, the
-- sound and voice levels, the credits and a Done button. The dialog shows
-- the current player's stored values and stores them when Done is pressed
-- (then it closes itself). Open it under the modal name "options menu",
-- which Done pops:
--   PushModal("options menu")
--   ReadFile("scripts/options.lua")
--   DoFitToChildren()
--   WaitForCloseMessage("options menu")
-- Labels are string-table keys (strings.xml).

local body = { "fonts/default.mvec", 18, Color(235, 238, 250) }
local gold = Color(255, 214, 90)
local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"

-- A switch: a check box (a toggle button) with its caption beside it.
local function Switch(name, y, label)
    return Window{ name = name .. "_row", x = 70, y = y, w = 340, h = 28,
        Button{ name = name, x = 0, y = 2, w = 24, h = 24, type = 1,
            graphics = { "ui/check_off.png", "ui/check_on.png", "ui/check_off.png", "ui/check_on.png" },
            sound = click, rolloversound = roll },
        Text{ name = name .. "_caption", x = 36, y = 2, w = 300, h = 24, label = label, flags = 4, font = body },
    }
end

-- A level: its caption on the left, the slider's rail across the right.
local function Level(name, y, label)
    return Window{ name = name .. "_row", x = 70, y = y, w = 340, h = 28,
        Text{ name = name .. "_caption", x = 0, y = 2, w = 120, h = 24, label = label, flags = 4, font = body },
        Slider{ name = name, x = 130, y = 3, w = 210, h = 22, hslider = true,
            railtop = "ui/slider_top.png", railmid = "ui/slider_mid.png", railbot = "ui/slider_bot.png",
            sliderimage = "ui/slider_thumb.png", sliderrollimage = "ui/slider_thumb_roll.png" },
    }
end

local function PushButton(name, x, y, label)
    return Button{ name = name, x = x, y = y, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 0, y = 0, w = 160, h = 40, label = label, flags = 5,
            font = { "fonts/bold.mvec", 18, Color(255, 255, 255) } },
    }
end

OptionsMenu{ name = "options", x = kCenter, y = kCenter, w = 480, h = 400,
    Bitmap{ name = "panel", x = 0, y = 0, image = "ui/panel.png", alpha = true },
    Text{ name = "heading", x = 0, y = 18, w = 480, h = 40, label = "OPTIONS_TITLE", flags = 1,
        font = { "fonts/bold.mvec", 32, gold } },
    Text{ name = "subheading", x = 0, y = 58, w = 480, h = 22, label = "OPTIONS_HINT", flags = 1,
        font = { "fonts/default.mvec", 15, Color(170, 180, 215) } },

    Switch("btn_fullscreen", 98, "OPTIONS_FULLSCREEN"),
    Switch("btn_subtitles", 136, "OPTIONS_SUBTITLES"),
    Switch("btn_mute", 174, "OPTIONS_MUTE"),
    Level("slider_sound", 226, "OPTIONS_SOUND"),
    Level("slider_vo", 266, "OPTIONS_VOICE"),

    PushButton("btn_credits", 60, 330, "OPTIONS_CREDITS"),
    PushButton("btn_exit", 260, 330, "OPTIONS_DONE"),
}()
