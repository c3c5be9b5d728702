-- A typed answer: a chalkboard with a line to write the answer on (the text
-- edit txt_enterAnswer, which the game focuses) and the enter button.
-- Answers can be long, so the edit takes up to 60 characters.

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"

Window{ name = "answer_board", x = 90, y = 352, w = 620, h = 240,
    Bitmap{ name = "board", x = 0, y = 0, image = "ui/answer_board.png", alpha = true },
    Text{ name = "txt_prompt", x = 40, y = 28, w = 540, h = 28, label = "QW_TYPE_ANSWER",
        font = { "fonts/chalk.mvec", 20, Color(220, 232, 216) }, flags = 5 },
    Bitmap{ name = "answer_line", x = 60, y = 70, image = "ui/chalk_answer_line.png", alpha = true },
    TextEdit{ name = "txt_enterAnswer", x = 72, y = 78, w = 476, h = 40, length = 60,
        font = { "fonts/chalkboard.mvec", 26, Color(246, 248, 240) } },
    Button{ name = "btn_enter", x = 230, y = 168, w = 160, h = 40, default = true,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 8, y = 10, w = 144, h = 22, label = "QW_ENTER",
            font = { "fonts/bold.mvec", 16, Color(255, 255, 255) }, flags = 5 },
    },
}()
