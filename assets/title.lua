-- The title layer: the whole screen, opaque, with the game's name and a
-- prompt. Its labels come from the string table.
Window{ name = "title", x = 0, y = 0, w = 800, h = 600,
    Bitmap{ name = "backdrop", x = 0, y = 0, image = "ui/title_backdrop.png" },
    Text{ name = "name", x = 0, y = 200, w = 800, h = 100, label = "APP_TITLE", flags = 5,
        font = { "fonts/bold.mvec", 72, Color(255, 220, 120) } },
    Text{ name = "prompt", x = 0, y = 420, w = 800, h = 40, label = "TITLE_PROMPT", flags = 5,
        font = { "fonts/default.mvec", 22, Color(220, 225, 245) } },
}()
