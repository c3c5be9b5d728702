#include "os/audio/wav/AudioWavDevice.h"

#include <cerrno>
#include <cstring>

#include "os/audio/AudioLog.h"

namespace {

constexpr uint32_t kHeaderBytes = 44;
// RIFF sizes are 32-bit: the data stops growing before they overflow.
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - kHeaderBytes;

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace

std::unique_ptr<AudioWavDevice> AudioWavDevice::Open(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) {
        AudioLog("Audio WAV file %s cannot be written: %s", path.c_str(), strerror(errno));
        return nullptr;
    }
    std::unique_ptr<AudioWavDevice> device(new AudioWavDevice(file, path));
    if (!device->WriteHeader()) {
        AudioLog("Audio WAV file %s cannot be written: %s", path.c_str(), strerror(errno));
        return nullptr;
    }
    return device;
}

AudioWavDevice::AudioWavDevice(FILE* file, std::string path) : mFile(file), mPath(std::move(path)) {}

AudioWavDevice::~AudioWavDevice()
{
    fclose(mFile);
}

bool AudioWavDevice::WriteHeader()
{
    const AudioFormat f = kAudioMixFormat;
    uint8_t h[kHeaderBytes];
    memcpy(h, "RIFF", 4);
    Put32(h + 4, 36 + mDataBytes);
    memcpy(h + 8, "WAVEfmt ", 8);
    Put32(h + 16, 16);
    Put16(h + 20, 1); // PCM
    Put16(h + 22, f.channels);
    Put32(h + 24, f.rate);
    Put32(h + 28, f.BytesPerSecond());
    Put16(h + 32, uint16_t(f.BlockAlign()));
    Put16(h + 34, f.bitsPerSample);
    memcpy(h + 36, "data", 4);
    Put32(h + 40, mDataBytes);
    return fseek(mFile, 0, SEEK_SET) == 0 && fwrite(h, 1, sizeof h, mFile) == sizeof h &&
           fseek(mFile, 0, SEEK_END) == 0 && fflush(mFile) == 0;
}

void AudioWavDevice::Fail(const char* what)
{
    AudioLog("Audio WAV file %s: %s; no more sound is written", mPath.c_str(), what);
    mFailed = true;
}

void AudioWavDevice::OnChunk(const int16_t* samples, uint32_t frames)
{
    if (mFailed)
        return;
    const uint32_t bytes = frames * kAudioMixFormat.BlockAlign();
    if (bytes > kMaxDataBytes - mDataBytes) {
        Fail("the file is full");
        return;
    }
    uint8_t le[kAudioChunkFrames * 4];
    for (uint32_t i = 0; i < frames * 2; ++i)
        Put16(le + 2 * i, uint16_t(samples[i]));
    if (fwrite(le, 1, bytes, mFile) != bytes) {
        Fail(strerror(errno));
        return;
    }
    mDataBytes += bytes;
}

void AudioWavDevice::OnAdvanced()
{
    if (!mFailed && !WriteHeader())
        Fail(strerror(errno));
}
