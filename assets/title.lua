-- The title layer: the whole screen.
Window{ name = "title", x = 0, y = 0, w = 800, h = 600 }()
