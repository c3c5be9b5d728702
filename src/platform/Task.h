#pragma once
#include <cstdint>

class TClock;

// Task passes.
enum : int32_t {
    kPassIdle = 0,  // every idle event
    kPassFrame = 1, // every drawn frame
};

// Work done over time on the main thread, run by a TTaskList.
class TTask {
public:
    virtual ~TTask() = default;
    // Whether the task wants to run in this pass (kPassIdle or kPassFrame).
    virtual bool IsReady(int32_t pass) { (void)pass; return true; }
    // False: the list takes the task off and deletes it.
    virtual bool Run() = 0;
};

// A task that wakes at a time on a clock, optionally every period, or in
// every frame pass. Times are milliseconds (uint32, wrapping) compared by
// signed difference.
class TAnimTask : public TTask {
public:
    static constexpr uint32_t kNever = 0xFFFFFFFFu;

    // Null clock = the application time. The clock is not owned and must
    // outlive the task (or be replaced with SetClock).
    explicit TAnimTask(TClock* clock = nullptr);

    bool IsReady(int32_t pass) override;
    // Runs Update when due (catching up on missed periods when asked); more
    // than a second late, the missed periods are dropped.
    bool Run() override;
    // The work; false ends the task.
    virtual bool Update() = 0;

    uint32_t Now() const;
    void SetPerFrame(bool on) { mPerFrame = on; }
    bool IsPerFrame() const { return mPerFrame; }
    // Wakes after delay (counted from the last wake time unless fromNow or
    // there is none); repeat: every delay; catchUp: runs again at once while
    // still behind.
    void SetTimer(uint32_t delay, bool repeat, bool fromNow, bool catchUp);
    // Never wakes and not per frame until SetTimer or SetPerFrame.
    void Suspend();
    // Now minus the wake time; -1 when never.
    int32_t Elapsed() const;
    // Moves to another clock, keeping the time still to wait.
    void SetClock(TClock* clock);
    TClock* GetClock() const { return mClock; }
    uint32_t GetWakeTime() const { return mWakeTime; }
    uint32_t GetPeriod() const { return mPeriod; }

private:
    bool mPerFrame = false;
    uint32_t mWakeTime;
    uint32_t mPeriod = 0;
    bool mFromNow = false;
    bool mCatchUp = false;
    TClock* mClock;
};
