#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "os/audio/AudioBuffer.h"
#include "os/audio/AudioTypes.h"

// Where the mix goes.
enum class AudioBackend : uint8_t {
    None, // no device: AudioCreateDevice fails with NoDevice
    Sdl,  // the default audio device, pulled by SDL's audio thread
    Null, // nothing is heard; time moves only through Advance
    Wav,  // as Null, and every mixed frame is appended to a WAV file
};

struct AudioDeviceOptions {
    AudioBackend backend = AudioBackend::Sdl;
    std::string wavPath; // Wav only
    // Null and Wav: a thread of the device advances it with the clock, as a
    // sound card would (a program run without a sound card); otherwise only
    // Advance moves time (tests).
    bool realTime = false;
};

// QUILLORY_AUDIO: "sdl" (or unset), "null", "none" or "wav:<path>"; null
// and wav run in real time. An unknown value logs a line and gives the
// default.
AudioDeviceOptions AudioOptionsFromEnvironment();
// The same for a given value (null: unset).
AudioDeviceOptions AudioOptionsFromValue(const char* value);

// The sound device, shaped after DirectSound: a primary format (always the
// mixer's) and secondary buffers that the mixer plays together. Buffers may
// outlive the device only to be deleted.
class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Accepted and ignored: there is one mixer and it owns its format.
    virtual AudioResult SetCooperativeLevel(void* window, uint32_t level) = 0;
    virtual AudioResult SetPrimaryFormat(const AudioFormat& format) = 0;

    // A secondary buffer of `bytes` (a multiple of the format's block
    // alignment, kAudioBufferMinBytes..kAudioBufferMaxBytes), silent and
    // stopped, volume 0. InvalidParam for a bad size or format.
    virtual AudioResult CreateBuffer(const AudioFormat& format, uint32_t bytes,
                                     std::unique_ptr<AudioBuffer>* buffer) = 0;

    // Null and Wav backends: mixes `frames` output frames now, moving every
    // playing buffer on (tests drive time with it). SDL: does nothing.
    // The mix goes in chunks of at most 1,024 frames; afterwards a playing
    // buffer's write cursor leads its play cursor by what the last chunk took.
    virtual void Advance(uint32_t frames) = 0;

    virtual AudioBackend GetBackend() const = 0;
};

// Opens the device the options name; NoDevice when there is none (no
// audio hardware, SDL audio failing, an unwritable WAV path, or None).
AudioResult AudioCreateDevice(const AudioDeviceOptions& options,
                              std::unique_ptr<AudioDevice>* device);
