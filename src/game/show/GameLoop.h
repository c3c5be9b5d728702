#pragma once
#include <memory>

#include "platform/Clock.h"
#include "platform/PlatformEvent.h"

class TAnimatedTexture;
class TWindowManager;

// What the game does with each record of the application's events between
// start-up and shut-down: quit and close requests end the loop (and reach
// no window); activation pauses and resumes the top screen's clock; idle
// ticks move the studio logo on while a show runs (and make the show
// controller, at the latest); every other record goes on to the window
// manager. It also holds the logo and the clock it runs on. Main thread
// only.
class TGameLoop {
public:
    // The logo name; a missing logo is logged and left out.
    static constexpr const char* kLogoName = "anim/logo_loop.xml";
    // The logo's still frame before the first show.
    static constexpr int32_t kLogoRestFrame = 30;
    static constexpr int32_t kLogoFramesPerSecond = 24;

    // windows may be null (nothing is handed on then).
    explicit TGameLoop(TWindowManager* windows);
    ~TGameLoop();

    // Loads the logo and starts the clock.
    void Start();
    // One record: false when it ends the loop.
    bool Handle(const TPlatformEvent& event);

    // The logo frame for the clock's time: 24 a second, wrapping at the
    // frame count; -1 without a logo or frames.
    int32_t LogoFrameAt(uint32_t clockMs) const;

    const std::shared_ptr<TAnimatedTexture>& GetLogo() const { return mLogo; }
    TClock& GetClock() { return mClock; }
    // Records handed to the window manager so far.
    unsigned GetHandedCount() const { return mHanded; }

private:
    void OnActivate(bool active);
    void AdvanceLogo();

    TWindowManager* mWindows;
    std::shared_ptr<TAnimatedTexture> mLogo;
    TClock mClock;
    unsigned mHanded = 0;
    bool mIdleSeen = false;
};
