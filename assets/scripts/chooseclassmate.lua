-- The classmate choice: five chalkboard cards, one for each classmate
-- ("btn01" Tobin .. "btn05" Rosalind). The native window writes each
-- classmate's name and best subjects under the card ("txt01_name",
-- "txt01_subjects" ...) and hides the cards of classmates already chosen.

local chalk = { "fonts/chalk.mvec", 24, Color(242, 242, 232) }
local small = { "fonts/chalk.mvec", 17, Color(220, 232, 220) }
local shadow = { "fonts/chalk.mvec", 24, Color(0, 0, 0, 160) }
local card = { "ui/chalk_card_normal.png", "ui/chalk_card_pressed.png", "ui/chalk_card_rollover.png" }
local centred = kHAlignCenter + kVAlignCenter

local screen = { name = "chooseclassmate", x = 0, y = 0, w = 800, h = 600,
    Text{ name = "classmate_title_shadow", x = 2, y = 102, w = 800, h = 50, label = "classmate_title",
        font = { "fonts/chalkboard.mvec", 36, Color(0, 0, 0, 180) }, flags = centred },
    Text{ name = "classmate_title", x = 0, y = 100, w = 800, h = 50, label = "classmate_title",
        font = { "fonts/chalkboard.mvec", 36, Color(255, 226, 120) }, flags = centred },
}
for i = 1, 5 do
    local x = 28 + (i - 1) * 152
    local id = string.format("%02d", i)
    table.insert(screen, Button{ name = "btn" .. id, x = x, y = 200, w = 136, h = 180, graphics = card,
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg" })
    table.insert(screen, Text{ name = "txt" .. id .. "_name_shadow1", x = x + 2, y = 222, w = 136, h = 34,
        label = "", font = shadow, flags = centred })
    table.insert(screen, Text{ name = "txt" .. id .. "_name", x = x, y = 220, w = 136, h = 34, label = "",
        font = chalk, flags = centred })
    table.insert(screen, Text{ name = "txt" .. id .. "_best", x = x, y = 270, w = 136, h = 24,
        label = "classmate_best", font = small, flags = centred })
    table.insert(screen, Text{ name = "txt" .. id .. "_subjects", x = x + 6, y = 296, w = 124, h = 60, label = "",
        font = small, flags = centred })
end

Window(screen)()
