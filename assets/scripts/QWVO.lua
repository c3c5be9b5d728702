-- A spoken question: on the multiple-choice board, a button that has the
-- host read the question again.

Button{ name = "btn_replayVO", x = 112, y = 520, w = 160, h = 40,
    graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
    sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg",
    SelectLayer(-1),
    Text{ name = "label", x = 8, y = 10, w = 144, h = 22, label = "QW_REPLAY",
        font = { "fonts/bold.mvec", 16, Color(255, 255, 255) }, flags = 5 },
}()
