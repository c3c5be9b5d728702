#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Owner of the sound state and of the sound thread, which wakes every 50 ms
// and runs one Update under the manager's lock ("TSoundManagerMutex", a
// recursive mutex: manager operations nest). Work that ends on the sound
// thread is queued and finished on the main thread by DispatchCallbacks.
//
// Volumes are in [0, 1]; a group without its own volume plays at the
// master volume. Lock order: the manager before any device lock.
class TSoundManager {
public:
    TSoundManager();
    // Stops the sound thread and waits for it; queued completions are
    // dropped without being run.
    virtual ~TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;

    // Starts the sound thread (once). True when the manager is initialised;
    // a second call starts nothing and returns true.
    bool Init();
    bool IsInitialised() const { return mInitialised; }
    bool IsThreadRunning() const { return mThread.joinable(); }

    void Lock() { mMutex.lock(); }
    void Unlock() { mMutex.unlock(); }

    // One tick of the sound thread (fromThread true) or of the main thread.
    // Polls at most every 500 ms.
    void Update(bool fromThread);
    // Ticks that reached the poll (tests and statistics).
    uint32_t GetPollCount() const;
    // The poll's clock (tests); null restores the monotonic clock. The
    // sound thread reads it, so it must be safe from any thread.
    void SetPollClock(uint32_t (*clock)());

    // Queues a completion to be run on the main thread by the next
    // DispatchCallbacks; safe from any thread.
    void QueueCompletion(std::function<void()> completion);
    // Main thread: runs, under the lock, every completion queued before the
    // call, in queue order. Completions may queue more; those wait for the
    // next call.
    void DispatchCallbacks();

    // Effective volume of a group (master x group); -1 gives the master.
    float GetGroupVolume(int32_t group);
    void SetMasterVolume(float volume);
    void SetGroupVolume(int32_t group, float volume);
    // Re-applies the volumes to everything that plays.
    void ApplyVolumes();

    // False pauses everything that plays; true resumes it and applies the
    // volumes again.
    void SetEnabled(bool on);
    bool IsEnabled();

private:
    void ThreadProc();
    uint32_t PollTime() const;

    mutable std::recursive_mutex mMutex; // "TSoundManagerMutex"
    uint32_t (*mPollClock)() = nullptr;
    uint32_t mLastPoll = 0;
    bool mInitialised = false;
    bool mShuttingDown = false;
    bool mEnabled = true;
    float mMasterVolume = 1.0f;
    std::map<int32_t, float> mGroupVolumes;
    std::vector<std::function<void()>> mFinished;
    uint32_t mPollCount = 0;

    // The thread sleeps on this pair so that the destructor wakes it.
    std::mutex mWakeMutex;
    std::condition_variable mWake;
    bool mQuit = false; // under mWakeMutex
    std::thread mThread;
};
