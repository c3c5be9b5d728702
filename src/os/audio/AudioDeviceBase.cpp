#include "os/audio/AudioDeviceBase.h"

#include <new>

#include "os/audio/AudioLog.h"
#include "os/audio/AudioRingBuffer.h"

AudioDeviceBase::AudioDeviceBase() : mCore(std::make_shared<AudioCore>()) {}

bool AudioDeviceBase::IsValidFormat(const AudioFormat& format)
{
    return format.bitsPerSample == 16 && (format.channels == 1 || format.channels == 2) &&
           format.rate >= 1 && format.rate <= 192000;
}

AudioResult AudioDeviceBase::SetCooperativeLevel(void*, uint32_t)
{
    return AudioResult::Ok;
}

AudioResult AudioDeviceBase::SetPrimaryFormat(const AudioFormat& format)
{
    // The mixer's output format stays whatever is asked.
    return IsValidFormat(format) ? AudioResult::Ok : AudioResult::InvalidParam;
}

AudioResult AudioDeviceBase::CreateBuffer(const AudioFormat& format, uint32_t bytes,
                                          std::unique_ptr<AudioBuffer>* buffer)
{
    if (!buffer || !IsValidFormat(format) || bytes < kAudioBufferMinBytes ||
        bytes > kAudioBufferMaxBytes || bytes % format.BlockAlign() != 0)
        return AudioResult::InvalidParam;
    try {
        *buffer = std::make_unique<AudioRingBuffer>(mCore, format, bytes);
    } catch (const std::bad_alloc&) {
        AudioLog("Audio buffer of %u bytes could not be allocated", unsigned(bytes));
        return AudioResult::Failed;
    }
    return AudioResult::Ok;
}
