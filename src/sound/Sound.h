#pragma once
#include <cstdint>
#include <memory>

#include "platform/Asset.h"
#include "platform/TString.h"
#include "sound/SoundGroup.h"

class TSoundCallBack;
class TSoundData;
class TSoundInstance;

// A sound asset: one Ogg Vorbis file, shared through the asset manager,
// from which any number of voices play at once. Destroying it stops its
// voices without calling their callbacks.
class TSound : public TAsset {
public:
    static const TAssetClassId ClassId;

    // "name.ogg" with an optional "?group=N" (the number read as atoi
    // reads it; without "group=" after the '?' the default group holds).
    // Cached by base name, inMemory and group while alive. Empty for an
    // empty name, a name without ".ogg", a missing or unreadable file.
    static std::shared_ptr<TSound> Create(const TString& name, bool inMemory, SoundGroupId defaultGroup);
    // The cache key and group of a name (Create's parsing).
    static void ParseName(const TString& name, SoundGroupId defaultGroup, TString* base, SoundGroupId* group);

    TSound();
    ~TSound() override;

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;

    // A new voice; loop non-zero repeats until stopped. Empty (with a log
    // line) for a sound without data or without a sound manager.
    std::shared_ptr<TSoundInstance> Play(int32_t loop);
    // Stops the voice at once: its callback runs before this returns
    // (unless something else holds its stream). True when a voice is given.
    bool StopInstance(const std::shared_ptr<TSoundInstance>& voice);
    void SetInstanceCallback(const std::shared_ptr<TSoundInstance>& voice, TSoundCallBack* callback,
                             const std::shared_ptr<TSound>& queued);
    // True when a voice was stopped.
    bool StopAll();

    const std::shared_ptr<TSoundData>& GetData() const { return mData; }

private:
    std::shared_ptr<TSoundData> mData;
};

// Makes the asset map create sounds for ".ogg" names.
void RegisterSoundAssetLoader();
