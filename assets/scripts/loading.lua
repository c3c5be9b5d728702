-- The loading screen: the whole screen, opaque, with a title and the
-- progress bar that the window widens as the studio, the cast and the
-- questions load. The caller pushes it as the modal "loading_window" (the
-- show's end pops up to that name):
--   PushModal("loading_window")
--   ReadFile("scripts/loading.lua")
-- The window opens the show ("scripts/demo.lua") by itself when done.
LoadingScreen{ name = "loading", x = 0, y = 0, w = 800, h = 600,
    Bitmap{ name = "backdrop", x = 0, y = 0, image = "ui/title_backdrop.png" },
    Text{ name = "title", x = 0, y = 200, w = 800, h = 80, label = "LOADING_TITLE", flags = 5,
        font = { "fonts/bold.mvec", 56, Color(255, 220, 120) } },
    Text{ name = "hint", x = 0, y = 300, w = 800, h = 40, label = "LOADING_HINT", flags = 5,
        font = { "fonts/default.mvec", 22, Color(220, 225, 245) } },
    Bitmap{ name = "frame", x = 100, y = 400, w = 600, h = 44, image = "ui/loading_frame.png", alpha = true },
    -- 20 pixels wide when empty, 580 when full; the picture is cut, not
    -- stretched.
    Bitmap{ name = "progress_bar", x = 110, y = 410, w = 20, h = 24, image = "ui/loading_bar.png", alpha = true },
}()
