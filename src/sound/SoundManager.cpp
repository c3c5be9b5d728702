#include "sound/SoundManager.h"

#include <chrono>

#include "os/audio/AudioDevice.h"
#include "platform/Timer.h"
#include "sound/SoundData.h"
#include "sound/SoundStream.h"

namespace {

constexpr uint32_t kPollIntervalMs = 500;
constexpr auto kThreadTick = std::chrono::milliseconds(50);

std::atomic<TSoundManager*> gCurrent{nullptr};

} // namespace

TSoundManager* TSoundManager::Current()
{
    return gCurrent.load(std::memory_order_acquire);
}

TSoundManager::TSoundManager()
{
    gCurrent.store(this, std::memory_order_release);
}

TSoundManager::~TSoundManager()
{
    {
        std::lock_guard<std::mutex> wake(mWakeMutex);
        mQuit = true;
    }
    mWake.notify_all();
    if (mThread.joinable())
        mThread.join();

    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        // From here on streams are released silently: nobody waits for
        // their completions any more.
        mShuttingDown = true;
        mFinished.clear();
        // Moved out first: a stream's destruction may reach the lists.
        std::list<std::shared_ptr<TSoundStream>> finished, active;
        finished.swap(mFinishedStreams);
        active.swap(mActiveStreams);
        finished.clear();
        active.clear();
        mDevice.reset();
    }
    TSoundManager* self = this;
    gCurrent.compare_exchange_strong(self, nullptr);
}

bool TSoundManager::Init(std::unique_ptr<AudioDevice> device, bool runThread)
{
    if (mInitialised)
        return true;
    if (runThread)
        StartThread();
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mLastPoll = PollTime();
    if (!device)
        return false;
    // The primary format is the mixer's own; results are not checked.
    device->SetCooperativeLevel(nullptr, 2);
    device->SetPrimaryFormat(kAudioMixFormat);
    mDevice = std::move(device);
    mInitialised = true;
    return true;
}

void TSoundManager::StartThread()
{
    if (!mThread.joinable())
        mThread = std::thread(&TSoundManager::ThreadProc, this);
}

void TSoundManager::ReportResult(AudioResult result)
{
    if (result != AudioResult::OutOfVideoMemory)
        return;
    std::function<void()> handler;
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        handler = mOutOfVideoMemory;
    }
    if (handler)
        handler();
}

void TSoundManager::SetOutOfVideoMemoryHandler(std::function<void()> handler)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mOutOfVideoMemory = std::move(handler);
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
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    uint32_t now = PollTime();
    // Signed difference: the clock wraps.
    if (int32_t(now - mLastPoll) <= int32_t(kPollIntervalMs))
        return;
    ++mPollCount;
    do
        mLastPoll = PollTime();
    while (!PollStreams(fromThread));
}

bool TSoundManager::PollStreams(bool fromThread)
{
    for (auto it = mActiveStreams.begin(); it != mActiveStreams.end(); ++it) {
        // Held: removing the stream may destroy it.
        std::shared_ptr<TSoundStream> stream = *it;
        if (stream->Update(false))
            continue;
        // The sound thread never destroys a stream: the main thread does,
        // at the next dispatch.
        if (fromThread)
            RetireStream(stream.get());
        else
            RemoveStream(stream.get());
        return false;
    }
    return true;
}

uint32_t TSoundManager::PollTime() const
{
    return mPollClock ? mPollClock() : GetTimer();
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
    // Destroyed here, on the main thread: their voices complete now.
    std::list<std::shared_ptr<TSoundStream>> finished;
    finished.swap(mFinishedStreams);
    finished.clear();

    // Callbacks may add or remove streams: walk a copy.
    std::vector<std::shared_ptr<TSoundStream>> active(mActiveStreams.begin(), mActiveStreams.end());
    for (const std::shared_ptr<TSoundStream>& stream : active)
        if (std::shared_ptr<TStreamNotify> notify = stream->GetNotify().lock())
            notify->OnStreamNotify(stream.get());
    active.clear();

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
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mMasterVolume = volume;
    ApplyVolumes();
}

void TSoundManager::SetGroupVolume(int32_t group, float volume)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mGroupVolumes[group] = volume;
    ApplyVolumes();
}

void TSoundManager::ApplyVolumes()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    for (const std::shared_ptr<TSoundStream>& stream : mActiveStreams)
        ApplyStreamVolume(stream.get());
}

void TSoundManager::ApplyStreamVolume(TSoundStream* stream)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    // Set directly: the old device needed a nudge to another value first,
    // which would only be heard here as a glitch.
    stream->SetVolume(GetGroupVolume(stream->GetGroup()));
}

void TSoundManager::SetEnabled(bool on)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mEnabled = on;
    for (const std::shared_ptr<TSoundStream>& stream : mActiveStreams)
        stream->SetPaused(!on);
    if (on)
        ApplyVolumes();
}

bool TSoundManager::IsEnabled()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mEnabled;
}

void TSoundManager::AddStream(const std::shared_ptr<TSoundStream>& stream)
{
    if (!stream)
        return;
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    mActiveStreams.push_back(stream);
}

void TSoundManager::RemoveStream(TSoundStream* stream)
{
    std::shared_ptr<TSoundStream> hold;
    {
        std::lock_guard<std::recursive_mutex> lock(mMutex);
        for (auto* list : {&mActiveStreams, &mFinishedStreams})
            for (auto it = list->begin(); it != list->end(); ++it)
                if (it->get() == stream) {
                    hold = *it;
                    list->erase(it);
                    break;
                }
    }
    // Released after the unlock (the caller may still hold the lock).
}

void TSoundManager::RetireStream(TSoundStream* stream)
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    for (auto it = mActiveStreams.begin(); it != mActiveStreams.end(); ++it)
        if (it->get() == stream) {
            mFinishedStreams.push_back(*it);
            mActiveStreams.erase(it);
            return;
        }
}

size_t TSoundManager::GetActiveStreamCount()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mActiveStreams.size();
}

size_t TSoundManager::GetFinishedStreamCount()
{
    std::lock_guard<std::recursive_mutex> lock(mMutex);
    return mFinishedStreams.size();
}

bool TSoundManager::Init()
{
    return Init(AudioOptionsFromEnvironment());
}

bool TSoundManager::Init(const AudioDeviceOptions& options, bool runThread)
{
    if (mInitialised)
        return true;
    std::unique_ptr<AudioDevice> device;
    AudioResult result = AudioCreateDevice(options, &device);
    if (result != AudioResult::Ok) {
        ReportResult(result);
        device.reset();
    }
    return Init(std::move(device), runThread);
}
