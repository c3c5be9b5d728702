#pragma once
#include <cstdint>

// Pausable stopwatch in milliseconds on the application time (GetTimer).
// Created paused, showing 0.
class TClock {
public:
    TClock() = default;
    virtual ~TClock() = default;

    uint32_t GetTime() const;
    // Sets the value; the paused state is kept.
    void SetTime(uint32_t ms);
    // Runs the clock on from where it was paused; the first start sets 0.
    void Start();
    // Returns true (and changes nothing) when already paused.
    bool Pause();
    // 0 and paused.
    void Reset();

    bool IsPaused() const { return mPaused; }

private:
    bool mPaused = true;
    bool mStarted = false;
    uint32_t mBase = 0;
    uint32_t mStartValue = 0;
    uint32_t mFrozen = 0;
    uint32_t mPausedTotal = 0;
};
