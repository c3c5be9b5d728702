#include "os/audio/null/AudioNullDevice.h"

#include <algorithm>

void AudioNullDevice::Advance(uint32_t frames)
{
    mChunk.resize(size_t(kAudioChunkFrames) * 2);
    while (frames > 0) {
        const uint32_t n = std::min(frames, kAudioChunkFrames);
        mCore->Mix(mChunk.data(), n);
        OnChunk(mChunk.data(), n);
        frames -= n;
    }
    OnAdvanced();
}

void AudioNullDevice::OnChunk(const int16_t*, uint32_t) {}

void AudioNullDevice::OnAdvanced() {}
