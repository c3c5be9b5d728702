-- Multiple choice: a chalkboard with four chalk-framed answers (radio
-- buttons btn_opt0 to btn_opt3, their texts txt_opt0 to txt_opt3 with two
-- soft shadows each) and the answer button, which the game shows once an
-- answer has been picked. The game fills in the answers and hides the
-- options a question does not have. Each button's texts go into all of
-- its layers (SelectLayer(-1)), so they show in every state.

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local chalkWhite = Color(246, 248, 240)
local shadow = Color(8, 30, 18)

local function Option(n, x, y)
    local name = "txt_opt" .. n
    local function Line(suffix, dx, colour)
        return Text{ name = name .. suffix, x = 18 + dx, y = 12 + dx, w = 254, h = 32, label = "#",
            font = { "fonts/chalkboard.mvec", 20, colour }, flags = 5 }
    end
    return Button{ name = "btn_opt" .. n, x = x, y = y, w = 290, h = 56, type = kRadio,
        graphics = { "ui/chalk_option_off.png", "ui/chalk_option_on.png",
                     "ui/chalk_option_roll.png", "ui/chalk_option_on_roll.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Line("_shadow2", 2, shadow),
        Line("_shadow1", 1, shadow),
        Line("", 0, chalkWhite),
    }
end

Window{ name = "answer_board", x = 90, y = 352, w = 620, h = 240,
    Bitmap{ name = "board", x = 0, y = 0, image = "ui/answer_board.png", alpha = true },
    BeginGroup(),
    Option(0, 14, 20),
    Option(1, 316, 20),
    Option(2, 14, 90),
    Option(3, 316, 90),
    BeginGroup(),
    Button{ name = "btn_Answer", x = 230, y = 168, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 8, y = 10, w = 144, h = 22, label = "QW_ANSWER",
            font = { "fonts/bold.mvec", 16, Color(255, 255, 255) }, flags = 5 },
    },
}()
