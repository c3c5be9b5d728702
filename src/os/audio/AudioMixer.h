#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "os/audio/AudioTypes.h"

// One secondary buffer as the mixer sees it. Every field is guarded by the
// lock of the device that mixes it (AudioCore::mutex).
struct AudioVoice {
    AudioFormat format;
    std::vector<uint8_t> ring; // a whole number of frames
    uint32_t frame = 0;        // next source frame the mixer reads
    uint32_t phase = 0;        // fraction of a source frame, in 1/44,100
    uint32_t leadBytes = 0;    // source bytes taken for the current output chunk
    bool playing = false;
    bool looping = false;
    int32_t centibels = 0;
    float gain = 1.0f;

    uint32_t FrameCount() const { return uint32_t(ring.size() / format.BlockAlign()); }
    // Where the mixer reads next, in bytes.
    uint32_t WriteCursor() const { return frame * format.BlockAlign(); }
    // The start of the output chunk being heard: the write cursor less the lead.
    uint32_t PlayCursor() const;
};

// Mixes playing voices into 44,100 Hz 16-bit stereo: channels converted
// (mono to both sides), rates converted by linear interpolation, gain
// applied, summed in 32 bits and clamped. Not locked itself.
class AudioMixer {
public:
    void Add(AudioVoice* voice);
    void Remove(AudioVoice* voice);

    // Fills `frames` interleaved stereo frames and moves every playing voice
    // on by the source frames it consumed: a looping voice wraps, a one-shot
    // voice that reaches its end stops at frame 0.
    void Mix(int16_t* out, uint32_t frames);

    // 10^(cB / 2000); the minimum volume (and anything below) is 0.
    static float GainFromCentibels(int32_t centibels);

private:
    void MixVoice(AudioVoice& voice, int32_t* acc, uint32_t frames);

    std::vector<AudioVoice*> mVoices;
    std::vector<int32_t> mAcc;
};

// What a device and its buffers share: the mixer and the one lock over it
// and every voice. Buffers hold it, so they may outlive their device.
struct AudioCore {
    std::mutex mutex;
    AudioMixer mixer;

    void Mix(int16_t* out, uint32_t frames)
    {
        std::lock_guard<std::mutex> lock(mutex);
        mixer.Mix(out, frames);
    }
};

// Output chunk size: what SDL is asked for and what Advance mixes at a time.
constexpr uint32_t kAudioChunkFrames = 1024;
