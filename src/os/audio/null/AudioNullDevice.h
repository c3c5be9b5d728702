#pragma once
#include <vector>

#include "os/audio/AudioDeviceBase.h"

// Nothing is heard: time moves only when Advance mixes.
class AudioNullDevice : public AudioDeviceBase {
public:
    // Mixes in chunks of at most kAudioChunkFrames, so the write cursor's
    // lead afterwards is at most one chunk.
    void Advance(uint32_t frames) override;
    AudioBackend GetBackend() const override { return AudioBackend::Null; }

protected:
    // Each mixed chunk (interleaved stereo), then the end of the Advance.
    virtual void OnChunk(const int16_t* samples, uint32_t frames);
    virtual void OnAdvanced();

private:
    std::vector<int16_t> mChunk;
};
