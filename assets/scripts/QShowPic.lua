-- A studio screen's picture for a question with a picture: the chalkboard,
-- the picture on the left in the frame "img" (the game fits the picture into
-- it; an empty chalk frame shows when there is none) and the question's text
-- on the right, added by the game.
Bitmap{ name = "board", x = 0, y = 0, w = 256, h = 144, image = "ui/screen_board.png" }()
Bitmap{ name = "img", x = 5, y = 5, w = 90, h = 134, image = "ui/screen_picture.png", alpha = true }()
