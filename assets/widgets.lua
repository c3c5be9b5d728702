-- A dialog with one of every widget: an image, push, toggle, radio, check
-- and round (masked) buttons, text with a link, a text edit and a slider.
-- Opened with DoModal("widgets.lua"); the close button ends it, the studio
-- button ends it with "studio", the show button with "show". Labels are
-- string-table keys (strings.xml).

local body = { "fonts/default.mvec", 16, Color(235, 235, 245) }
local click, roll = "sfx/ButtonPush.ogg", "sfx/rollover.ogg"

-- A push button of the standard faces with a text label in all its
-- layers (pressed and under the pointer too).
local function PushButton(name, x, y, label, extra)
    local t = { name = name, x = x, y = y, w = 160, h = 40,
        graphics = { "ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png" },
        sound = click, rolloversound = roll,
        SelectLayer(-1),
        Text{ name = "label", x = 12, y = 10, w = 136, h = 22, label = label, font = body },
    }
    for k, v in pairs(extra or {}) do
        t[k] = v
    end
    return Button(t)
end

-- A radio button (type 2) and its caption; the buttons of one group are
-- siblings.
local function Radio(name, x, on)
    return Button{ name = name, x = x, y = 0, w = 24, h = 24, type = 2, on = on,
        graphics = { "ui/radio_off.png", "ui/radio_on.png", "ui/radio_off.png", "ui/radio_on.png" },
        sound = click, rolloversound = roll }
end

local function Caption(name, x, y, w, label)
    return Text{ name = name, x = x, y = y, w = w, h = 22, label = label, font = body }
end

Window{ name = "widgets", x = kCenter, y = kCenter, w = 480, h = 400,
    Bitmap{ name = "panel", x = 0, y = 0, image = "ui/panel.png", alpha = true },
    Text{ name = "heading", x = 20, y = 14, w = 440, h = 30, label = "WIDGETS_HEADING",
        font = { "fonts/bold.mvec", 22, Color(255, 220, 120) } },

    PushButton("hello", 20, 56, "WIDGETS_HELLO"),
    Button{ name = "music", x = 196, y = 56, w = 160, h = 40, type = 1,
        graphics = { "ui/button_normal.png", "ui/button_on.png", "ui/button_rollover.png", "ui/button_on.png" },
        sound = click, rolloversound = roll,
        Text{ name = "label", x = 12, y = 10, w = 136, h = 22, label = "WIDGETS_MUSIC", font = body },
    },
    Button{ name = "round", x = 396, y = 48, w = 56, h = 56,
        graphics = { "ui/round_normal.png", "ui/round_pressed.png", "ui/round_rollover.png" },
        mask = "ui/round_mask.png", sound = click, rolloversound = roll },

    Window{ name = "difficulty", x = 20, y = 116, w = 330, h = 26,
        BeginGroup(),
        Radio("easy", 0, true), Caption("easy_caption", 30, 2, 78, "WIDGETS_EASY"),
        Radio("medium", 110), Caption("medium_caption", 140, 2, 78, "WIDGETS_MEDIUM"),
        Radio("hard", 220), Caption("hard_caption", 250, 2, 78, "WIDGETS_HARD"),
    },
    Button{ name = "subtitles", x = 356, y = 117, w = 24, h = 24, type = 1,
        graphics = { "ui/check_off.png", "ui/check_on.png", "ui/check_off.png", "ui/check_on.png" },
        sound = click, rolloversound = roll },
    Caption("subtitles_caption", 386, 118, 80, "WIDGETS_SUBTITLES"),

    Text{ name = "link", x = 20, y = 160, w = 440, h = 24, font = body,
        label = "WIDGETS_LINK" },
    Caption("name_caption", 20, 204, 100, "WIDGETS_NAME"),
    TextEdit{ name = "playername", x = 124, y = 202, w = 240, h = 26, length = 24, label = "Player",
        font = { "fonts/default.mvec", 16, Color(255, 255, 255) } },
    Caption("volume_caption", 20, 252, 100, "WIDGETS_VOLUME"),
    Slider{ name = "volume", x = 124, y = 252, w = 240, h = 22,
        railtop = "ui/slider_top.png", railmid = "ui/slider_mid.png", railbot = "ui/slider_bot.png",
        sliderimage = "ui/slider_thumb.png", sliderrollimage = "ui/slider_thumb_roll.png" },
    Text{ name = "status", x = 20, y = 296, w = 440, h = 24, label = "", font = body },

    PushButton("studio", 20, 340, "WIDGETS_STUDIO"),
    PushButton("close", 300, 340, "WIDGETS_CLOSE", { close = true }),
    PushButton("show", 20, 390, "WIDGETS_SHOW"),
}()

-- The dialog ends with "studio" or "show": the main script opens the
-- studio for a tour, or plays a show.
SetCommand("studio", function()
    CloseWindow("studio")
end)

SetCommand("show", function()
    CloseWindow("show")
end)

SetCommand("hello", function()
    SetLabel("status", GetString("WIDGETS_GREETING", GetLabel("playername")))
end)
