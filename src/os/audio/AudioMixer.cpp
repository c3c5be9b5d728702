#include "os/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kOutRate = kAudioMixFormat.rate;

int32_t ReadSample(const uint8_t* p)
{
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

} // namespace

uint32_t AudioVoice::PlayCursor() const
{
    const uint32_t size = uint32_t(ring.size());
    if (size == 0)
        return 0;
    return (WriteCursor() + size - leadBytes % size) % size;
}

void AudioMixer::Add(AudioVoice* voice)
{
    mVoices.push_back(voice);
}

void AudioMixer::Remove(AudioVoice* voice)
{
    mVoices.erase(std::remove(mVoices.begin(), mVoices.end(), voice), mVoices.end());
}

float AudioMixer::GainFromCentibels(int32_t centibels)
{
    if (centibels <= kAudioVolumeMin)
        return 0.0f;
    if (centibels >= 0)
        return 1.0f;
    return float(std::pow(10.0, centibels / 2000.0));
}

void AudioMixer::Mix(int16_t* out, uint32_t frames)
{
    if (mAcc.size() < size_t(frames) * 2)
        mAcc.resize(size_t(frames) * 2);
    std::fill(mAcc.begin(), mAcc.begin() + size_t(frames) * 2, 0);
    for (AudioVoice* voice : mVoices) {
        voice->leadBytes = 0;
        if (voice->playing)
            MixVoice(*voice, mAcc.data(), frames);
    }
    for (size_t i = 0; i < size_t(frames) * 2; ++i)
        out[i] = int16_t(std::clamp(mAcc[i], -32768, 32767));
}

void AudioMixer::MixVoice(AudioVoice& voice, int32_t* acc, uint32_t frames)
{
    const uint32_t total = voice.FrameCount();
    if (total == 0) {
        voice.playing = false;
        return;
    }
    const uint32_t align = voice.format.BlockAlign();
    const bool stereo = voice.format.channels == 2;
    const uint32_t rate = voice.format.rate;
    const uint8_t* ring = voice.ring.data();
    const bool audible = voice.gain > 0.0f;
    const float gain = voice.gain;

    for (uint32_t i = 0; i < frames; ++i) {
        if (audible) {
            const uint8_t* cur = ring + size_t(voice.frame) * align;
            int32_t l0 = ReadSample(cur);
            int32_t r0 = stereo ? ReadSample(cur + 2) : l0;
            // The next frame: the ring's start when looping, silence after a
            // one-shot end.
            int32_t l1 = 0, r1 = 0;
            uint32_t next = voice.frame + 1;
            if (next == total && voice.looping)
                next = 0;
            if (next < total) {
                const uint8_t* nxt = ring + size_t(next) * align;
                l1 = ReadSample(nxt);
                r1 = stereo ? ReadSample(nxt + 2) : l1;
            }
            const int64_t t = voice.phase;
            const float l = float(l0 + (int64_t(l1 - l0) * t) / int64_t(kOutRate));
            const float r = float(r0 + (int64_t(r1 - r0) * t) / int64_t(kOutRate));
            acc[2 * i] += int32_t(std::lrint(l * gain));
            acc[2 * i + 1] += int32_t(std::lrint(r * gain));
        }
        voice.phase += rate;
        const uint32_t step = voice.phase / kOutRate;
        voice.phase -= step * kOutRate;
        voice.leadBytes += step * align;
        voice.frame += step;
        if (voice.frame >= total) {
            if (voice.looping) {
                voice.frame %= total;
            } else {
                voice.frame = 0;
                voice.phase = 0;
                voice.leadBytes = 0;
                voice.playing = false;
                return;
            }
        }
    }
}
