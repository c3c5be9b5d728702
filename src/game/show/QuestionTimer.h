#pragma once
#include <cstdint>
#include <memory>

#include "platform/Task.h"

class TClock;
class TModalWindow;

namespace Quillory {

class QTTask;

// How long the player takes over a question. Started with the question, it
// ticks every 5 s of the modal window's clock (so it pauses with it) and has
// the host prompt the player at 25, 35, 45 and 60 s; its task ends at 65 s.
// Stop fixes the time taken, which the host's reaction reads, and lets
// the window go (later stops measure on the application time). The show
// controller holds the timer; its task holds it too while it runs, so a
// replaced timer keeps ticking until it is stopped or ends. Main thread only.
class QuestionTimer {
public:
    static constexpr uint32_t kTickPeriod = 5000;
    static constexpr int32_t kLastTick = 13; // the task ends on this tick

    // A running timer on the window's clock and task list. Without a window
    // it only measures (on the application time) and never prompts.
    static std::shared_ptr<QuestionTimer> Create(TModalWindow* window);
    ~QuestionTimer();
    QuestionTimer(const QuestionTimer&) = delete;
    QuestionTimer& operator=(const QuestionTimer&) = delete;

    // Elapsed := the time since the start; the task stops. Every stop
    // measures again.
    void Stop();
    // Ms from the start to the last stop; 0 before the first.
    int32_t GetElapsed() const { return mElapsed; }
    int32_t GetTicks() const { return mTicks; }
    // Whether its task still ticks.
    bool IsTicking() const { return mTask != nullptr; }

private:
    friend class QTTask;
    QuestionTimer() = default;
    uint32_t Now() const;
    // The task is being deleted; byOwnEnd: it ended on its last tick.
    void OnTaskGone(QTTask* task, bool byOwnEnd);

    QTTask* mTask = nullptr;
    TModalWindow* mWindow = nullptr;
    TClock* mClock = nullptr; // null: the application time
    int32_t mTicks = 0;
    uint32_t mStart = 0;
    int32_t mElapsed = 0;
    // Set when the window's list let the task go (the window is closing):
    // the time then, which later stops measure to.
    bool mFrozen = false;
    uint32_t mFrozenAt = 0;
};

// The timer's periodic work, run by the window's task list.
class QTTask : public TAnimTask {
public:
    explicit QTTask(std::shared_ptr<QuestionTimer> timer);
    ~QTTask() override;
    bool Update() override;
    // One tick: counts it and queues the prompt due; false on the last.
    bool Tick();

private:
    std::shared_ptr<QuestionTimer> mTimer;
    bool mEnded = false;
};

} // namespace Quillory
