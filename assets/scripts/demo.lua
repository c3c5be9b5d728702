-- The stage: the studio seen through the stage camera, over the whole
-- screen. The show's windows (board, questions, subtitles) open on it. Its
-- main-menu button shows while the show's record asks for it.
local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }

Demo{ name = "stage", x = 0, y = 0, w = 800, h = 600,
    Button{ name = "btn_mainmenu", x = 630, y = 550, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg",
        SelectLayer(-1),
        Text{ name = "label", x = 12, y = 10, w = 136, h = 22, label = "STAGE_MAIN_MENU", font = body },
    },
}()
