#include "os/audio/AudioRingBuffer.h"

#include <algorithm>
#include <cstring>

using Guard = std::lock_guard<std::mutex>;

AudioRingBuffer::AudioRingBuffer(std::shared_ptr<AudioCore> core, const AudioFormat& format,
                                 uint32_t bytes)
    : mCore(std::move(core)), mFormat(format), mSize(bytes)
{
    mVoice.format = format;
    mVoice.ring.assign(bytes, 0);
    Guard lock(mCore->mutex);
    mCore->mixer.Add(&mVoice);
}

AudioRingBuffer::~AudioRingBuffer()
{
    Guard lock(mCore->mutex);
    mCore->mixer.Remove(&mVoice);
}

AudioResult AudioRingBuffer::Play(uint32_t flags)
{
    Guard lock(mCore->mutex);
    mVoice.looping = (flags & kAudioPlayLooping) != 0;
    mVoice.playing = true;
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::Stop()
{
    Guard lock(mCore->mutex);
    mVoice.playing = false;
    // What the mixer took is out; resuming starts after it.
    mVoice.leadBytes = 0;
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write)
{
    Guard lock(mCore->mutex);
    if (play)
        *play = mVoice.PlayCursor();
    if (write)
        *write = mVoice.WriteCursor();
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                                  void** part2, uint32_t* bytes2)
{
    if (!part1 || !bytes1 || offset >= mSize || bytes == 0 || bytes > mSize)
        return AudioResult::InvalidParam;
    Guard lock(mCore->mutex);
    if (mLocked)
        return AudioResult::Failed;
    uint32_t first = std::min(bytes, mSize - offset);
    // Without a second pointer the lock stops at the ring's end.
    uint32_t second = (part2 && bytes2) ? bytes - first : 0;
    mStaging.resize(size_t(first) + second);
    memcpy(mStaging.data(), mVoice.ring.data() + offset, first);
    if (second)
        memcpy(mStaging.data() + first, mVoice.ring.data(), second);
    mLocked = true;
    mLockOffset = offset;
    mLock1 = first;
    mLock2 = second;
    *part1 = mStaging.data();
    *bytes1 = first;
    if (part2 && bytes2) {
        *part2 = second ? mStaging.data() + first : nullptr;
        *bytes2 = second;
    }
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2)
{
    Guard lock(mCore->mutex);
    if (!mLocked || part1 != mStaging.data() || bytes1 > mLock1)
        return AudioResult::InvalidParam;
    void* expected2 = mLock2 ? mStaging.data() + mLock1 : nullptr;
    if (bytes2 > mLock2 || (part2 && part2 != expected2) || (bytes2 && !part2))
        return AudioResult::InvalidParam;
    memcpy(mVoice.ring.data() + mLockOffset, mStaging.data(), bytes1);
    if (bytes2)
        memcpy(mVoice.ring.data(), mStaging.data() + mLock1, bytes2);
    mLocked = false;
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::SetVolume(int32_t centibels)
{
    if (centibels < kAudioVolumeMin || centibels > kAudioVolumeMax)
        return AudioResult::InvalidParam;
    Guard lock(mCore->mutex);
    mVoice.centibels = centibels;
    mVoice.gain = AudioMixer::GainFromCentibels(centibels);
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::GetVolume(int32_t* centibels)
{
    if (!centibels)
        return AudioResult::InvalidParam;
    Guard lock(mCore->mutex);
    *centibels = mVoice.centibels;
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::GetStatus(uint32_t* status)
{
    if (!status)
        return AudioResult::InvalidParam;
    Guard lock(mCore->mutex);
    *status = 0;
    if (mVoice.playing)
        *status = kAudioStatusPlaying | (mVoice.looping ? kAudioStatusLooping : 0);
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::Restore()
{
    return AudioResult::Ok;
}

AudioResult AudioRingBuffer::SetNotificationPositions(const uint32_t* offsets, uint32_t count)
{
    if (count && !offsets)
        return AudioResult::InvalidParam;
    for (uint32_t i = 0; i < count; ++i)
        if (offsets[i] >= mSize && offsets[i] != kAudioOffsetStop)
            return AudioResult::InvalidParam;
    Guard lock(mCore->mutex);
    mNotify.assign(offsets, offsets + count);
    return AudioResult::Ok;
}

std::vector<uint32_t> AudioRingBuffer::GetNotificationPositions() const
{
    Guard lock(mCore->mutex);
    return mNotify;
}
