-- The part every answer window shares, run first for each: the wooden tray
-- with the three help buttons (Peek, Copy, Save) and the chalked-out
-- pictures shown in their place once a help is used up, and the Drop Out
-- button. The game hides what does not apply (used helps, the tray and
-- Drop Out on the final question). The answer part comes from the kind's
-- own script, run after this one.

local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local chalk = { "fonts/chalk.mvec", 15, Color(240, 244, 236) }

-- A help button with its three faces and the picture of it used up, at
-- the same place; the caption is chalked under it.
local function Help(kind, x)
    local face = "ui/help_" .. kind
    return Button{ name = "btn_" .. kind:gsub("^%l", string.upper), x = x, y = 18, w = 76, h = 76,
        graphics = { face .. "_normal.png", face .. "_pressed.png", face .. "_rollover.png" },
        sound = click, rolloversound = roll }
end

local function UsedUp(kind, x)
    return Bitmap{ name = "img_No" .. kind:gsub("^%l", string.upper), x = x, y = 18, w = 76, h = 76,
        image = "ui/help_" .. kind .. "_used.png", alpha = true }
end

local function Caption(name, x, label)
    return Text{ name = name, x = x, y = 96, w = 76, h = 20, label = label, font = chalk, flags = 5 }
end

Button{ name = "btn_frame", x = 516, y = 8, w = 276, h = 118,
    graphics = { "ui/help_tray.png", "ui/help_tray.png", "ui/help_tray.png" } }()
UsedUp("peek", 528)()
UsedUp("copy", 616)()
UsedUp("save", 704)()
Help("peek", 528)()
Help("copy", 616)()
Help("save", 704)()
Caption("txt_peek", 528, "QW_PEEK")()
Caption("txt_copy", 616, "QW_COPY")()
Caption("txt_save", 704, "QW_SAVE")()

Button{ name = "btn_DropOut", x = 10, y = 10, w = 160, h = 40,
    graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
    sound = click, rolloversound = roll,
    SelectLayer(-1),
    Text{ name = "label", x = 12, y = 10, w = 136, h = 22, label = "QW_DROPOUT",
        font = { "fonts/bold.mvec", 16, Color(255, 255, 255) }, flags = 5 },
}()
