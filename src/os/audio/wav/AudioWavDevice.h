#pragma once
#include <cstdio>
#include <memory>
#include <string>

#include "os/audio/null/AudioNullDevice.h"

// The null device that also appends every mixed frame to a 44,100 Hz 16-bit
// stereo WAV file. The header's sizes are rewritten after every Advance, so
// the file plays whatever happens to the program.
class AudioWavDevice final : public AudioNullDevice {
public:
    // Null (with a log line) when the file cannot be written.
    static std::unique_ptr<AudioWavDevice> Open(const std::string& path);
    ~AudioWavDevice() override;

    AudioBackend GetBackend() const override { return AudioBackend::Wav; }

private:
    AudioWavDevice(FILE* file, std::string path);

    void OnChunk(const int16_t* samples, uint32_t frames) override;
    void OnAdvanced() override;
    bool WriteHeader();
    void Fail(const char* what);

    FILE* mFile;
    std::string mPath;
    uint32_t mDataBytes = 0;
    bool mFailed = false;
};
