-- A studio screen's picture: a chalkboard the show writes its text on (the
-- text itself is added by the game, in chalk, over this board).
Bitmap{ name = "board", x = 0, y = 0, w = 256, h = 144, image = "ui/screen_board.png" }()
