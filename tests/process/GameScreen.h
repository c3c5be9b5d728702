#pragma once
// The running game as a person sees it, for tests under xvfb-run: the game
// started from a working folder with its own data folders and no sound, its
// 800 x 600 picture read back from the X server, and real key presses and
// clicks sent through XTest.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "ProcessSupport.h"

// A rectangle of the game's picture (800 x 600 coordinates).
struct PictureArea {
    int x, y, w, h;
};

class GameScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A working folder of its own holding a copy of the built assets, with
    // mainScript (when given) as scripts/mainloop.lua; its path.
    std::string GameFolder(const char* mainScript = nullptr);

    // Starts the game with "-wd=" the folder (the build folder by default)
    // and waits until its window is up, idle and focused.
    void StartGame(const std::string& workingFolder = std::string());
    // Closes the window as a window manager does and expects exit code 0.
    void CloseGame();
    std::string ReadLog();

    // The area's pixels as 0xRRGGBB, row by row; empty when unreadable.
    std::vector<unsigned long> Pixels(const PictureArea& area);
    // The share of pixels that differ (1 for grabs of different sizes).
    static double Difference(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b);

    void PressKey(unsigned long keysym);
    void MovePointer(int pictureX, int pictureY);
    // Moves the pointer there first, as a hand does, then clicks.
    void ClickAt(int pictureX, int pictureY);

    XClient mX;
    TempFolder mGame;
    TempFolder mData;
    TempFolder mRuntime;
    pid_t mPid = -1;
    Window mWindow = 0;

private:
    int ToWindowX(int x) const { return mOffsetX + int(x * mScale); }
    int ToWindowY(int y) const { return mOffsetY + int(y * mScale); }

    int mRootX = 0, mRootY = 0;
    double mScale = 1.0;
    int mOffsetX = 0, mOffsetY = 0;
};
