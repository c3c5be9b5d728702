#pragma once
#include <memory>
#include <vector>

#include "os/audio/AudioBuffer.h"
#include "os/audio/AudioMixer.h"

// The secondary buffer of every backend: a voice registered with the
// device's mixer for the buffer's whole life. Lock hands out a staging copy
// of the region, so the mixer never reads memory the caller is writing;
// Unlock copies it into the ring under the device lock.
class AudioRingBuffer final : public AudioBuffer {
public:
    AudioRingBuffer(std::shared_ptr<AudioCore> core, const AudioFormat& format, uint32_t bytes);
    ~AudioRingBuffer() override;

    AudioResult Play(uint32_t flags) override;
    AudioResult Stop() override;
    AudioResult GetCurrentPosition(uint32_t* play, uint32_t* write) override;
    AudioResult Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                     uint32_t* bytes2) override;
    AudioResult Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) override;
    AudioResult SetVolume(int32_t centibels) override;
    AudioResult GetVolume(int32_t* centibels) override;
    AudioResult GetStatus(uint32_t* status) override;
    AudioResult Restore() override;
    AudioResult SetNotificationPositions(const uint32_t* offsets, uint32_t count) override;

    uint32_t GetSize() const override { return mSize; }
    AudioFormat GetFormat() const override { return mFormat; }

    // The stored notification offsets (tests).
    std::vector<uint32_t> GetNotificationPositions() const;

private:
    std::shared_ptr<AudioCore> mCore;
    const AudioFormat mFormat;
    const uint32_t mSize;
    AudioVoice mVoice; // guarded by mCore->mutex

    // The one outstanding lock, guarded by mCore->mutex; the staging bytes
    // belong to the caller between Lock and Unlock.
    bool mLocked = false;
    uint32_t mLockOffset = 0;
    uint32_t mLock1 = 0;
    uint32_t mLock2 = 0;
    std::vector<uint8_t> mStaging;

    std::vector<uint32_t> mNotify; // guarded by mCore->mutex
};
