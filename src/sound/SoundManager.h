#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "os/audio/AudioTypes.h"

class AudioDevice;
struct AudioDeviceOptions;
class TSoundStream;

// Owner of the audio device, of every playing stream and of the sound
// thread, which wakes every 50 ms and runs one Update under the manager's
// lock ("TSoundManagerMutex", a recursive mutex: manager operations nest).
// Streams that end on the sound thread are retired and destroyed on the
// main thread by DispatchCallbacks, where their completion callbacks run.
// Without a device streams play silently by their clocks.
//
// The most recently constructed manager that still lives is the one that
// sounds play through (Current).
//
// Volumes are in [0, 1]; a group without its own volume plays at the
// master volume. Lock order: the manager before any device lock.
class TSoundManager {
public:
    TSoundManager();
    // Stops the sound thread and waits for it, then releases every stream
    // without running callbacks; queued completions are dropped.
    virtual ~TSoundManager();
    TSoundManager(const TSoundManager&) = delete;
    TSoundManager& operator=(const TSoundManager&) = delete;

    static TSoundManager* Current();

    // Opens the device the environment names (QUILLORY_AUDIO) and starts
    // the sound thread (once). True when the device opened; without one the
    // thread runs all the same. A second call after success returns true
    // and starts nothing.
    bool Init();
    bool Init(const AudioDeviceOptions& options, bool runThread = true);
    // With a device made elsewhere (null: no device). Without runThread
    // nothing polls the streams but Update(false) (tests).
    bool Init(std::unique_ptr<AudioDevice> device, bool runThread = true);
    bool IsInitialised() const { return mInitialised; }
    bool IsThreadRunning() const { return mThread.joinable(); }
    bool IsShuttingDown() const { return mShuttingDown; }
    AudioDevice* GetDevice() const { return mDevice.get(); }
    // Called with a failing device result; an out-of-video-memory result
    // goes to the handler (the application's).
    void ReportResult(AudioResult result);
    void SetOutOfVideoMemoryHandler(std::function<void()> handler);

    void Lock() { mMutex.lock(); }
    void Unlock() { mMutex.unlock(); }

    // One tick of the sound thread (fromThread true) or of the main thread.
    // Polls the streams at most every 500 ms; an ended stream is retired
    // (from the thread) or removed (main thread), then the walk restarts.
    void Update(bool fromThread);
    // Ticks that reached the poll (tests and statistics).
    uint32_t GetPollCount() const;
    // The poll's clock (tests); null restores the monotonic clock. The
    // sound thread reads it, so it must be safe from any thread.
    void SetPollClock(uint32_t (*clock)());

    // Queues a completion to be run on the main thread by the next
    // DispatchCallbacks; safe from any thread.
    void QueueCompletion(std::function<void()> completion);
    // Main thread, under the lock: destroys the retired streams (which runs
    // their voices' callbacks), tells the notify of every active stream,
    // then runs every completion queued before the call, in queue order.
    // Completions may queue more; those wait for the next call.
    void DispatchCallbacks();

    // Effective volume of a group (master x group); -1 gives the master.
    float GetGroupVolume(int32_t group);
    void SetMasterVolume(float volume);
    void SetGroupVolume(int32_t group, float volume);
    // Re-applies the volumes to everything that plays.
    void ApplyVolumes();
    void ApplyStreamVolume(TSoundStream* stream);

    // False pauses everything that plays; true resumes what it paused and
    // applies the volumes again.
    void SetEnabled(bool on);
    bool IsEnabled();

    // The stream list. Add takes ownership; Remove drops the stream from
    // both lists (destroying it when nothing else holds it); Retire moves an
    // active stream to the finished ones, for the next dispatch.
    void AddStream(const std::shared_ptr<TSoundStream>& stream);
    void RemoveStream(TSoundStream* stream);
    void RetireStream(TSoundStream* stream);
    size_t GetActiveStreamCount();
    size_t GetFinishedStreamCount();

private:
    void ThreadProc();
    uint32_t PollTime() const;
    void StartThread();
    // The stream poll; false when a stream ended (the walk restarts).
    bool PollStreams(bool fromThread);

    mutable std::recursive_mutex mMutex; // "TSoundManagerMutex"
    uint32_t (*mPollClock)() = nullptr;
    uint32_t mLastPoll = 0;
    std::atomic<bool> mInitialised{false};
    std::atomic<bool> mShuttingDown{false};
    bool mEnabled = true;
    std::unique_ptr<AudioDevice> mDevice;
    std::function<void()> mOutOfVideoMemory;
    std::list<std::shared_ptr<TSoundStream>> mActiveStreams;
    std::list<std::shared_ptr<TSoundStream>> mFinishedStreams;
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
