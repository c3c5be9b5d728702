// Arbitrary bytes as an Ogg Vorbis sound asset through the whole stream
// path: open (in memory and from the file handle), whole or on-demand
// decoding, buffer refills on the null device, looping and the end, and
// the same without a device, where voices run by the clock.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "os/audio/AudioDevice.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"
#include "sound/MemSpooler.h"
#include "sound/Sound.h"
#include "sound/SoundData.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"

namespace {

uint32_t gNow = 0;
uint32_t FuzzClock()
{
    return gNow;
}

// Simulated time for each voice: enough for a whole buffer to play out.
constexpr uint32_t kPlayMs = 3000;

void PlayThrough(TSoundManager& manager, const std::shared_ptr<TSound>& sound)
{
    std::shared_ptr<TSoundInstance> once = sound->Play(0);
    std::shared_ptr<TSoundInstance> looping = sound->Play(1);
    if (!once || !looping)
        std::abort(); // a loaded sound always plays, device or not
    for (uint32_t t = 0; t < kPlayMs; t += 50) {
        gNow += 50;
        if (AudioDevice* device = manager.GetDevice())
            device->Advance(2205);
        manager.Update(false);
        manager.DispatchCallbacks();
    }
    looping->Stop();
    once->Stop();
    if (once->IsPlaying() || looping->IsPlaying())
        std::abort();
}

void Spool(const std::shared_ptr<TSound>& sound)
{
    const TSoundData& data = *sound->GetData();
    if (data.GetChannels() < 1 || data.GetChannels() > 2 || data.GetRate() < 1 || !(data.GetLength() >= 0))
        std::abort();
    TMemSpooler spooler(sound->GetData());
    std::vector<uint8_t> out(4096 + 3);
    for (int i = 0; i < 64; ++i) {
        int32_t delivered = -1;
        bool more = spooler.Fill(int32_t(out.size()), out.data(), &delivered, i >= 32);
        if (delivered < 0 || delivered > int32_t(out.size()))
            std::abort();
        if (!more && i < 32)
            i = 31; // on to the looping fills
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t kNothing = 0;
    SetTimerSource(&FuzzClock);
    RegisterMemoryFile(TString("fuzz/sound.ogg"), size ? data : &kNothing, uint32_t(size));
    for (AudioBackend backend : {AudioBackend::Null, AudioBackend::None}) {
        TSoundManager manager;
        AudioDeviceOptions options;
        options.backend = backend;
        manager.Init(options, false);
        for (bool inMemory : {true, false}) {
            std::shared_ptr<TSound> sound = TSound::Create(TString("fuzz/sound.ogg"), inMemory, -1);
            if (!sound)
                continue;
            Spool(sound);
            PlayThrough(manager, sound);
        }
    }
    RegisterMemoryFile(TString("fuzz/sound.ogg"), nullptr, 0);
    return 0;
}
