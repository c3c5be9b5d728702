-- The stage window: the studio seen through the stage camera, over the
-- whole screen, with the skip and main-menu buttons. Read by the show's
-- stage script (demo.lua) and by studio tours. The main-menu button shows
-- while the show's record asks for it; the show hides the skip button once
-- the opening is over.
local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }

local function StageButton(name, x, label)
    return Button{ name = name, x = x, y = 550, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg",
        SelectLayer(-1),
        Text{ name = "label", x = 12, y = 10, w = 136, h = 22, label = label, font = body },
    }
end

Demo{ name = "stage", x = 0, y = 0, w = 800, h = 600,
    StageButton("btn_skipVO", 10, "STAGE_SKIP"),
    StageButton("btn_mainmenu", 630, "STAGE_MAIN_MENU"),
}()
