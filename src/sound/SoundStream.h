#pragma once
#include <cstdint>
#include <memory>

#include "platform/Clock.h"
#include "sound/SoundGroup.h"

class AudioBuffer;
class TSoundInstance;
class TSoundManager;
class TStreamNotify;
class TStreamSpooler;

// One playing voice's buffer: a ring of about 2 seconds in two halves,
// refilled half by half from a spooler by the sound thread's poll. A sound
// that fits the buffer plays once through it (one shot); anything else
// loops the buffer while the spooler refills it. Without a buffer (no
// device, or its creation failed) the stream plays silently by its clock.
//
// Owned by the sound manager; destroyed on the main thread only. Every
// operation holds the manager's lock.
class TSoundStream : public std::enable_shared_from_this<TSoundStream> {
public:
    // Makes a stream and registers it with the manager, which owns it.
    static std::shared_ptr<TSoundStream> Create(TSoundManager* manager, std::unique_ptr<TStreamSpooler> spooler,
                                                bool loop, SoundGroupId group,
                                                const std::shared_ptr<TStreamNotify>& owner);
    // Use Create.
    TSoundStream(TSoundManager* manager, std::unique_ptr<TStreamSpooler> spooler, bool loop, SoundGroupId group,
                 const std::shared_ptr<TStreamNotify>& owner);
    // Tells the notify, the owner and the queued owner (in that order) that
    // the stream is gone, then releases the buffer.
    ~TSoundStream();
    TSoundStream(const TSoundStream&) = delete;
    TSoundStream& operator=(const TSoundStream&) = delete;

    // Creates the buffer for the format and fills its first half. False,
    // and no buffer, when the manager has no device or the device refuses.
    bool CreateBuffer(int32_t rate, int32_t channels, int32_t bits, float seconds);
    // Starts playing at the group's volume; a stream started while the
    // manager is disabled starts paused, until the manager is enabled.
    void Play(bool oneShot);
    // One poll: refills the half that was played. False when the stream has
    // ended.
    bool Update(bool firstFill);
    // Stops and leaves the manager: deferred waits for the next dispatch,
    // otherwise the manager drops it at once.
    void Stop(bool deferred);
    void SetVolume(float volume);
    // The manager's pause (SetEnabled): only what it paused is resumed.
    void SetPaused(bool pause);
    void PauseResume(bool pause);
    // Continues with another source when this one ends. Refused when the
    // stream has already played out.
    bool QueueNext(std::weak_ptr<TStreamNotify> nextOwner, std::unique_ptr<TStreamSpooler> spooler);
    void SwitchToNext();
    void ReleaseBuffer();

    // Centibels for a volume: clamped to [0, 1], 0 is silence (-10000),
    // else a straight line in decibels from -50 dB up to 0 dB.
    static int32_t VolumeToCentibels(float volume);

    SoundGroupId GetGroup() const { return mGroup; }
    TSoundManager* GetManager() const { return mManager; }
    AudioBuffer* GetBuffer() const { return mBuffer.get(); }
    float GetBufferSeconds() const { return mBufferSeconds; }
    uint32_t GetBufferBytes() const { return mBufferBytes; }
    bool IsOneShot() const { return mOneShot; }
    bool IsPaused() const { return mPaused; }
    bool IsPausedByManager() const { return mPausedByManager; }
    bool HasEnded() const { return mEndReached; }

    std::weak_ptr<TSoundInstance> GetVoice() const { return mVoice; }
    void SetVoice(const std::shared_ptr<TSoundInstance>& voice) { mVoice = voice; }
    std::weak_ptr<TStreamNotify> GetOwner() const { return mOwner; }
    std::weak_ptr<TStreamNotify> GetNotify() const { return mNotify; }
    void ClearNotify() { mNotify.reset(); }

private:
    bool UpdateByClock();
    // Refills one half; false when the stream ended.
    bool FillHalf(uint32_t offset, uint32_t half);

    TSoundManager* mManager;
    std::unique_ptr<TStreamSpooler> mSpooler;
    std::unique_ptr<TStreamSpooler> mQueuedSpooler;
    std::weak_ptr<TStreamNotify> mOwner;
    std::weak_ptr<TStreamNotify> mQueuedOwner;
    std::weak_ptr<TStreamNotify> mNotify;
    std::unique_ptr<AudioBuffer> mBuffer;
    std::weak_ptr<TSoundInstance> mVoice;
    bool mEndReached = true;
    bool mOneShot = false;
    uint32_t mBufferBytes = 0;
    float mBufferSeconds = 0;
    int32_t mBytesLeft = 0;
    SoundGroupId mGroup;
    bool mLoop;
    bool mPaused = false;
    bool mPausedByManager = false;
    bool mBufferReady = false;
    TClock mClock;
    int32_t mLastHalf = 0;
};
