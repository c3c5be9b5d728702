#include "game/show/QuestionTimer.h"

#include "game/show/vo/VOBuilders.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Timer.h"
#include "ui/ModalWindow.h"

namespace Quillory {

std::shared_ptr<QuestionTimer> QuestionTimer::Create(TModalWindow* window)
{
    std::shared_ptr<QuestionTimer> timer(new QuestionTimer());
    timer->mWindow = window;
    timer->mClock = window ? &window->GetClock() : nullptr;
    timer->mStart = timer->Now();
    if (!window) {
        WriteLog("QuestionTimer: no modal window; the question is timed without prompts");
        return timer;
    }
    window->AddTask(new QTTask(timer));
    return timer;
}

QuestionTimer::~QuestionTimer()
{
    // A task holds its timer, so a running one keeps it alive; this only
    // guards a task that somehow outlived its hold.
    QTTask* task = mTask;
    mTask = nullptr;
    if (task && mWindow && mWindow->RemoveTask(task))
        delete task;
}

uint32_t QuestionTimer::Now() const
{
    if (mFrozen)
        return mFrozenAt;
    return mClock ? mClock->GetTime() : GetTimer();
}

void QuestionTimer::Stop()
{
    mElapsed = int32_t(Now() - mStart);
    QTTask* task = mTask;
    if (!task || !mWindow || !mWindow->RemoveTask(task))
        return;
    mTask = nullptr;
    // The window may go at any time from now on: later stops measure on the
    // application time, from the same start.
    const uint32_t now = Now();
    mWindow = nullptr;
    mClock = nullptr;
    mStart = GetTimer() - (now - mStart);
    // The task may hold the last hold on this timer: nothing after this.
    delete task;
}

void QuestionTimer::OnTaskGone(QTTask* task, bool byOwnEnd)
{
    if (mTask != task)
        return;
    mTask = nullptr;
    // The window may go at any time from now on: its clock is never read
    // again.
    const uint32_t now = Now();
    mWindow = nullptr;
    mClock = nullptr;
    if (byOwnEnd) {
        // Past the last prompt the time goes on on the application time.
        mStart = GetTimer() - (now - mStart);
        return;
    }
    // The window's list deleted the task (the window is being popped or
    // destroyed): later stops measure to now.
    mFrozenAt = now;
    mFrozen = true;
}

QTTask::QTTask(std::shared_ptr<QuestionTimer> timer) : TAnimTask(timer ? timer->mClock : nullptr), mTimer(std::move(timer))
{
    SetTimer(QuestionTimer::kTickPeriod, true, true, false);
    if (mTimer)
        mTimer->mTask = this;
}

QTTask::~QTTask()
{
    if (mTimer)
        mTimer->OnTaskGone(this, mEnded);
    mTimer.reset();
}

bool QTTask::Update()
{
    return Tick();
}

bool QTTask::Tick()
{
    if (!mTimer)
        return false;
    const int32_t tick = ++mTimer->mTicks;
    // The prompts are queued; the voice-over player plays them in turn.
    switch (tick) {
    case 5: KVO::VOThinkingPrompt1(); break;
    case 7: KVO::VOThinkingPrompt2(); break;
    case 9: KVO::VOThinkingPrompt3(); break;
    case 12: KVO::VOThinkingPrompt4(); break;
    default: break;
    }
    if (tick >= QuestionTimer::kLastTick) {
        mEnded = true;
        return false;
    }
    return true;
}

} // namespace Quillory
