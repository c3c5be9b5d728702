#include "os/audio/AudioDevice.h"

#include <cstdlib>
#include <cstring>

#include "os/audio/AudioLog.h"
#include "os/audio/AudioPacedDevice.h"
#include "os/audio/null/AudioNullDevice.h"
#include "os/audio/sdl/AudioSdlDevice.h"
#include "os/audio/wav/AudioWavDevice.h"

AudioDeviceOptions AudioOptionsFromValue(const char* value)
{
    AudioDeviceOptions options;
    if (!value || !*value || strcmp(value, "sdl") == 0)
        return options;
    if (strcmp(value, "null") == 0) {
        options.backend = AudioBackend::Null;
        options.realTime = true;
    } else if (strcmp(value, "none") == 0) {
        options.backend = AudioBackend::None;
    } else if (strncmp(value, "wav:", 4) == 0 && value[4]) {
        options.backend = AudioBackend::Wav;
        options.wavPath = value + 4;
        options.realTime = true;
    } else {
        AudioLog("QUILLORY_AUDIO=\"%s\" is not sdl, null, none or wav:<path>; using sdl", value);
    }
    return options;
}

AudioDeviceOptions AudioOptionsFromEnvironment()
{
    return AudioOptionsFromValue(getenv("QUILLORY_AUDIO"));
}

AudioResult AudioCreateDevice(const AudioDeviceOptions& options, std::unique_ptr<AudioDevice>* device)
{
    if (!device)
        return AudioResult::InvalidParam;
    device->reset();
    switch (options.backend) {
    case AudioBackend::None:
        AudioLog("Audio output is off");
        return AudioResult::NoDevice;
    case AudioBackend::Null:
        *device = std::make_unique<AudioNullDevice>();
        break;
    case AudioBackend::Wav:
        *device = AudioWavDevice::Open(options.wavPath);
        break;
    case AudioBackend::Sdl:
        *device = AudioSdlDevice::Open();
        break;
    }
    if (!*device)
        return AudioResult::NoDevice;
    if (options.realTime && options.backend != AudioBackend::Sdl)
        *device = std::make_unique<AudioPacedDevice>(std::move(*device));
    return AudioResult::Ok;
}
