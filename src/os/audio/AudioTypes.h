#pragma once
#include <cstdint>

// Results of the audio calls (DirectSound meaning).
enum class AudioResult : uint8_t {
    Ok,
    Failed,            // generic failure
    InvalidParam,      // an argument outside its range
    NoDevice,          // no audio device could be opened
    OutOfVideoMemory,  // reported like a display failure; never produced here
};

// Interleaved signed 16-bit little-endian PCM.
struct AudioFormat {
    uint32_t rate = 44100;   // frames per second, 1..192000
    uint16_t channels = 2;   // 1 or 2
    uint16_t bitsPerSample = 16;

    uint32_t BlockAlign() const { return uint32_t(channels) * bitsPerSample / 8; }
    uint32_t BytesPerSecond() const { return rate * BlockAlign(); }
};

// The mixer's output: 44,100 Hz, 16-bit stereo.
constexpr AudioFormat kAudioMixFormat{44100, 2, 16};

// AudioBuffer::Play flags.
constexpr uint32_t kAudioPlayLooping = 1;
// AudioBuffer::GetStatus bits.
constexpr uint32_t kAudioStatusPlaying = 1;
constexpr uint32_t kAudioStatusBufferLost = 2; // never set by our mixer
constexpr uint32_t kAudioStatusLooping = 4;
// AudioBuffer::SetVolume range, hundredths of a decibel.
constexpr int32_t kAudioVolumeMin = -10000; // silence
constexpr int32_t kAudioVolumeMax = 0;
// Secondary buffer sizes in bytes.
constexpr uint32_t kAudioBufferMinBytes = 4;
constexpr uint32_t kAudioBufferMaxBytes = 0x0FFFFFFF;
// A notification offset meaning "when the buffer stops".
constexpr uint32_t kAudioOffsetStop = 0xFFFFFFFF;
