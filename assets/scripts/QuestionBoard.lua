-- The question board: ten chalkboard tiles in two columns, one for each
-- question of the show's board. The native window labels each tile with its
-- grade and subject ("txt_q0".."txt_q9"), hides the buttons of the
-- questions already played and greys their labels.

local chalk = { "fonts/chalk.mvec", 24, Color(242, 242, 232) }
local shadow = { "fonts/chalk.mvec", 24, Color(0, 0, 0, 160) }
local tile = { "ui/chalk_tile_normal.png", "ui/chalk_tile_pressed.png", "ui/chalk_tile_rollover.png" }
local centred = kHAlignCenter + kVAlignCenter

local function Label(name, x, y, font)
    return Text{ name = name, x = x, y = y, w = 280, h = 70, label = "", font = font, flags = centred }
end

local board = { name = "board", x = 0, y = 0, w = 800, h = 600 }
for i = 0, 9 do
    local x = 90 + (i % 2) * 320
    local y = 110 + (i - i % 2) / 2 * 90
    -- Behind the button: the wiped board a played question leaves.
    table.insert(board, Bitmap{ name = "slot_q" .. i, x = x, y = y, image = "ui/chalk_tile_used.png", alpha = true })
    table.insert(board, Button{ name = "btn_q" .. i, x = x, y = y, w = 300, h = 78, graphics = tile,
        sound = "sfx/ButtonPush.ogg", rolloversound = "sfx/rollover.ogg" })
    table.insert(board, Label("txt_q" .. i .. "_shadow2", x + 13, y + 7, shadow))
    table.insert(board, Label("txt_q" .. i .. "_shadow1", x + 11, y + 5, shadow))
    table.insert(board, Label("txt_q" .. i, x + 10, y + 4, chalk))
end

table.insert(board, Text{ name = "board_title_shadow", x = 2, y = 42, w = 800, h = 50, label = "board_title",
    font = { "fonts/chalkboard.mvec", 38, Color(0, 0, 0, 180) }, flags = centred })
table.insert(board, Text{ name = "board_title", x = 0, y = 40, w = 800, h = 50, label = "board_title",
    font = { "fonts/chalkboard.mvec", 38, Color(255, 226, 120) }, flags = centred })

Window(board)()
