-- The credits: the whole screen, dark, with the credits rolling up between
-- a title and a Close button. Opened from the options with
--   DoModal( 'scripts/credits.lua' )
-- The Close button ends it. The credits themselves are credits.txt:
-- "role|name" lines fill two columns, other lines span both, and "[...]"
-- is drawn in the header colour.

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"

Window{ name = "credits", x = 0, y = 0, w = 800, h = 600,
    Bitmap{ name = "backdrop", x = 0, y = 0, image = "ui/title_backdrop.png" },
    CreditsWindow{ name = "roll", x = 0, y = 90, w = 800, h = 420,
        file = "credits.txt", font = "fonts/default.mvec", fontsize = 22,
        columngap = 40, columnwidth = 340, time = 40000, intropause = 1500,
        fontcolor = Color(235, 238, 250), headercolor = Color(255, 214, 90) },
    Text{ name = "heading", x = 0, y = 24, w = 800, h = 50, label = "CREDITS_TITLE", flags = 1,
        font = { "fonts/bold.mvec", 40, Color(255, 214, 90) } },
    Button{ name = "btn_close", x = 320, y = 536, w = 160, h = 40, close = true,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 0, y = 0, w = 160, h = 40, label = "CREDITS_CLOSE", flags = 5,
            font = { "fonts/bold.mvec", 18, Color(255, 255, 255) } },
    },
}()

