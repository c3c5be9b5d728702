#include "sound/SoundManager.h"

#include <chrono>

#include "os/system/Time.h"

namespace {

constexpr uint32_t kPollIntervalMs = 500;
constexpr auto kThreadTick = std::chrono::milliseconds(50);

} // namespace

TSoundManager::TSoundManager() = default;

TSoundManager::~TSoundManager()
{
    {
        std::lock_guard<std::mutex> wake(mWakeMutex);
        mQuit = true;
    }
    mWake.notify_all();
    if (mThread.joinable())
        mThread.join();

    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mShuttingDown = true;
    // Completions belong to sounds that are being torn down with the
    // manager: nobody waits for them any more.
    mFinished.clear();
}

bool TSoundManager::Init()
{
    if (mInitialised)
        return true;
    if (!mThread.joinable())
        mThread = std::thread(&TSoundManager::ThreadProc, this);
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        mLastPoll = PollTime();
    }
    // The audio device joins later; without one sounds run silently by
    // the clock, which is a supported state.
    mInitialised = true;
    return true;
}

void TSoundManager::ThreadProc()
{
    std::unique_lock<std::mutex> wake(mWakeMutex);
    while (!mQuit) {
        wake.unlock();
        {
            std::lock_guard<std::recursive_mutex> lock(mMutex);
            Update(true);
        }
        wake.lock();
        mWake.wait_for(wake, kThreadTick, [this] { return mQuit; });
    }
}

void TSoundManager::Update(bool fromThread)
{
    (void)fromThread;
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    uint32_t now = PollTime();
    // Signed difference: the clock wraps.
    if (int32_t(now - mLastPoll) <= int32_t(kPollIntervalMs))
        return;
    mLastPoll = now;
    ++mPollCount;
}

uint32_t TSoundManager::PollTime() const
{
    return mPollClock ? mPollClock() : OsTimeMs();
}

void TSoundManager::SetPollClock(uint32_t (*clock)())
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mPollClock = clock;
    mLastPoll = PollTime();
}

uint32_t TSoundManager::GetPollCount() const
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mPollCount;
}

void TSoundManager::QueueCompletion(std::function<void()> completion)
{
    if (!completion)
        return;
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    if (mShuttingDown)
        return;
    mFinished.push_back(std::move(completion));
}

void TSoundManager::DispatchCallbacks()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    if (mFinished.empty())
        return;
    std::vector<std::function<void()>> batch;
    batch.swap(mFinished);
    for (std::function<void()>& completion : batch)
        completion();
}

float TSoundManager::GetGroupVolume(int32_t group)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    auto it = mGroupVolumes.find(group);
    if (it == mGroupVolumes.end())
        return mMasterVolume;
    return float(double(mMasterVolume) * double(it->second));
}

void TSoundManager::SetMasterVolume(float volume)
{
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        mMasterVolume = volume;
    }
    ApplyVolumes();
}

void TSoundManager::SetGroupVolume(int32_t group, float volume)
{
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        mGroupVolumes[group] = volume;
    }
    ApplyVolumes();
}

void TSoundManager::ApplyVolumes()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    // Streams take their volumes from GetGroupVolume as they are applied;
    // none exists before the streams join the manager.
}

void TSoundManager::SetEnabled(bool on)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mEnabled = on;
    if (on)
        ApplyVolumes();
}

bool TSoundManager::IsEnabled()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mEnabled;
}
