// The game played through real X input (XTest) under xvfb-run: a key on the
// title opens the widgets dialog, a click on its close button closes it.
#include <X11/keysym.h>

#include <thread>

#include "GameScreen.h"

namespace {

using namespace std::chrono_literals;

// The widgets dialog (assets/widgets.lua): 480 x 400 centred, its close
// button 160 x 40 at (300, 340) inside it.
constexpr PictureArea kDialog{160, 100, 480, 400};
constexpr int kCloseX = kDialog.x + 300 + 80, kCloseY = kDialog.y + 340 + 20;

class GameInputTest : public GameScreenTest {};

TEST_F(GameInputTest, AKeyOpensTheWidgetsDialogAndAClickOnCloseClosesIt)
{
    StartGame();
    if (HasFatalFailure())
        return;

    // The title alone: the picture settles within a few frames.
    std::this_thread::sleep_for(300ms);
    const std::vector<unsigned long> title = Pixels(kDialog);
    ASSERT_FALSE(title.empty()) << "the window's pixels cannot be read";

    PressKey(XK_space);
    ASSERT_TRUE(WaitUntil([&] { return Difference(Pixels(kDialog), title) > 0.5; }, 10s))
        << "the dialog did not open on a key";

    // The dialog stays up on its own.
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(Difference(Pixels(kDialog), title), 0.5);

    ClickAt(kCloseX, kCloseY);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kDialog), title) < 0.01; }, 10s))
        << "the dialog did not close on a click on its close button";

    // Back on the title, a key opens it again.
    PressKey(XK_space);
    EXPECT_TRUE(WaitUntil([&] { return Difference(Pixels(kDialog), title) > 0.5; }, 10s))
        << "the title did not take a key after the dialog closed";

    CloseGame();
}

} // namespace
