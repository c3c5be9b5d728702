#pragma once
#include <cstdint>

#include "platform/TString.h"

class TSoundManager;
class TWindowManager;

// What the game settings ask of the application. The default goes to the
// application handle (each call does nothing, or returns a default, while
// there is none); tests put a fake in its place.
class GameSettingsHost {
public:
    virtual ~GameSettingsHost() = default;

    virtual void CreateDisplay(int32_t width, int32_t height, bool fullScreen);
    virtual bool IsFullScreen();
    // True when the display is now in the asked mode.
    virtual bool SetFullScreen(bool fullScreen);
    virtual TSoundManager* GetSoundManager();
    virtual TWindowManager* GetWindowManager();
    // The string table's text of a label, looked up with five empty
    // arguments.
    virtual TString GetString(const TString& label);
};
