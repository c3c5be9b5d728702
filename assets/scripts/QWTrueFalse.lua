-- True or false: a chalkboard with the two chalk-framed choices (radio
-- buttons btn_true and btn_false) and the answer button, shown by the game
-- once a choice has been picked.

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"

local function Choice(name, x, label)
    return Button{ name = name, x = x, y = 64, w = 290, h = 56, type = kRadio,
        graphics = { "ui/chalk_option_off.png", "ui/chalk_option_on.png",
                     "ui/chalk_option_roll.png", "ui/chalk_option_on_roll.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label_shadow", x = 19, y = 13, w = 254, h = 32, label = label,
            font = { "fonts/chalkboard.mvec", 24, Color(8, 30, 18) }, flags = 5 },
        Text{ name = "label", x = 18, y = 12, w = 254, h = 32, label = label,
            font = { "fonts/chalkboard.mvec", 24, Color(246, 248, 240) }, flags = 5 },
    }
end

Window{ name = "answer_board", x = 90, y = 352, w = 620, h = 240,
    Bitmap{ name = "board", x = 0, y = 0, image = "ui/answer_board.png", alpha = true },
    BeginGroup(),
    Choice("btn_true", 14, "QW_TRUE"),
    Choice("btn_false", 316, "QW_FALSE"),
    BeginGroup(),
    Button{ name = "btn_Answer", x = 230, y = 168, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 8, y = 10, w = 144, h = 22, label = "QW_ANSWER",
            font = { "fonts/bold.mvec", 16, Color(255, 255, 255) }, flags = 5 },
    },
}()
