-- The cross-sell screen: other games of our studio. The window fills itself
-- from xsell/xsell.xml (SetupXSell): each entry is a text whose link clicks
-- the entry's button, and the button opens the game's page. Opened with
-- DoModal("xsell.lua"); Back closes it.
--
-- Buttons are placed by their centres: SetupXSell moves each one up and left
-- by half its size.

local body = { "fonts/default.mvec", 15, Color(235, 235, 245) }
local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"
local faces = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" }

local function Face(name, x, y, w, label, extra)
    local t = { name = name, x = x, y = y, w = w, h = 32, graphics = faces, sound = click, rolloversound = roll,
        Text{ name = "label", x = 0, y = 7, w = w, h = 20, label = label, font = body, flags = kHAlignCenter },
    }
    for k, v in pairs(extra) do
        t[k] = v
    end
    return Button(t)
end

local games = { name = "games", x = 30, y = 92, w = 740, h = 420 }
for n = 1, 7 do
    local top = (n - 1) * 58
    table.insert(games, Text{ name = "descrip" .. n, x = 0, y = top, w = 600, h = 52, label = "", font = body })
    table.insert(games, Face("xsellbutton" .. n, 680, top + 24, 100, "XSELL_MORE",
        { command = function() LaunchGameLink(n) end }))
end

XSellWindow{ name = "xsell", x = 0, y = 0, w = 800, h = 600,
    Text{ name = "centertext1", x = 0, y = 22, w = 800, h = 30, label = "",
        font = { "fonts/bold.mvec", 24, Color(255, 220, 120) }, flags = kHAlignCenter },
    Text{ name = "centertext2", x = 0, y = 56, w = 800, h = 22, label = "", font = body, flags = kHAlignCenter },
    Window(games),
    Face("gamesite", 300, 556, 200, "XSELL_SITE", { command = function() LaunchGameLink(0) end }),
    Face("back", 560, 540, 160, "XSELL_BACK", { close = true }),
}()

SetupXSell()
