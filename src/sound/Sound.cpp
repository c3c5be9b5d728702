#include "sound/Sound.h"

#include <cstdlib>

#include "platform/AssetManager.h"
#include "platform/AssetMap.h"
#include "platform/File.h"
#include "platform/FileData.h"
#include "platform/Log.h"
#include "sound/MemSpooler.h"
#include "sound/SoundCallBack.h"
#include "sound/SoundData.h"
#include "sound/SoundInstance.h"
#include "sound/SoundLock.h"
#include "sound/SoundManager.h"
#include "sound/SoundStream.h"

const TAssetClassId TSound::ClassId = &TSound::ClassId;

namespace {

// Every voice gets a buffer of this length, 16-bit.
constexpr float kBufferSeconds = 2.0f;

} // namespace

void TSound::ParseName(const TString& name, SoundGroupId defaultGroup, TString* base, SoundGroupId* group)
{
    *group = defaultGroup;
    *base = name;
    int32_t query = name.Find('?');
    if (query < 0)
        return;
    *base = name.Mid(0, uint32_t(query));
    // The first "group=" after the first '?'; what follows it is read as
    // atoi reads it, so "?group=" and "?group=?group=1000" give 0.
    int32_t key = name.Find(TString("group="), 0, uint32_t(query));
    if (key >= 0)
        *group = SoundGroupId(std::atoi(name.c_str() + key + 6));
}

std::shared_ptr<TSound> TSound::Create(const TString& name, bool inMemory, SoundGroupId defaultGroup)
{
    if (name.IsEmpty())
        return nullptr;
    TString base;
    SoundGroupId group;
    ParseName(name, defaultGroup, &base, &group);

    TString key;
    key.Format("%s;%d;%d", base.c_str(), inMemory ? 1 : 0, int(group));
    TAssetManager* assets = GetAssetManager();
    if (assets) {
        std::shared_ptr<TAsset> found = assets->Find(key);
        if (found && found->IsKindOf(ClassId))
            return std::static_pointer_cast<TSound>(found);
    }

    auto sound = std::make_shared<TSound>();
    // Added before it loads: a failed sound's entry expires with it.
    if (assets)
        assets->Add(key, sound);
    sound->mData->mName = base;
    sound->mData->mGroup = group;

    if (name.Find(TString(".ogg")) < 0)
        return nullptr;
    TFileHandle* file = OpenAssetFile(base, kFileReadBinary);
    if (!file) {
        WriteLog("OGG file not found: %s", base.c_str());
        return nullptr;
    }
    if (!sound->mData->Open(file, !inMemory)) {
        // The memory copy closed the handle already.
        if (!inMemory)
            FileClose(file);
        return nullptr;
    }
    return sound;
}

TSound::TSound() : mData(std::make_shared<TSoundData>())
{
    mData->mOwner = this;
}

TSound::~TSound()
{
    TSoundLock lock;
    // No callback runs for a sound that is going away.
    for (auto& entry : mData->mVoices)
        entry.second->mCallback = nullptr;
    mData->mOwner = nullptr;
    StopAll();
    mData.reset();
}

const char* TSound::GetClassName() const
{
    return "TSound";
}

bool TSound::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TAsset::IsKindOf(id);
}

std::shared_ptr<TSoundInstance> TSound::Play(int32_t loop)
{
    if (!mData || !mData->IsOpen()) {
        WriteLog("Play of uninitialized sound");
        return nullptr;
    }
    TSoundManager* manager = TSoundManager::Current();
    if (!manager) {
        WriteLog("No Sound Manager");
        return nullptr;
    }
    TSoundLock lock(manager);
    std::shared_ptr<TSoundStream> stream =
        TSoundStream::Create(manager, std::make_unique<TMemSpooler>(mData), loop != 0, mData->mGroup, mData);

    auto voice = std::make_shared<TSoundInstance>();
    voice->mStream = stream.get();
    voice->mSound = std::static_pointer_cast<TSound>(shared_from_this());
    mData->mVoices[voice.get()] = voice;

    stream->CreateBuffer(mData->GetRate(), mData->GetChannels(), 16, kBufferSeconds);
    // A sound that fits the buffer plays once through it; exactly the
    // buffer's length does not fit.
    bool oneShot = loop == 0 && double(stream->GetBufferSeconds()) > mData->GetLength();
    stream->Play(oneShot);
    stream->SetVoice(voice);
    return voice;
}

bool TSound::StopInstance(const std::shared_ptr<TSoundInstance>& voice)
{
    TSoundLock lock;
    if (!voice)
        return false;
    // Kept alive through its completion.
    std::shared_ptr<TSoundInstance> hold = voice;
    mData->mVoices.erase(voice.get());
    TSoundStream* stream = voice->mStream;
    // A stream that moved on to a queued sound of another sound is not
    // this sound's to stop.
    if (stream && stream->GetOwner().lock() == mData)
        stream->Stop(false);
    return true;
}

void TSound::SetInstanceCallback(const std::shared_ptr<TSoundInstance>& voice, TSoundCallBack* callback,
                                 const std::shared_ptr<TSound>& queued)
{
    TSoundLock lock;
    if (!voice)
        return;
    if (queued) {
        auto spooler = std::make_unique<TMemSpooler>(queued->GetData());
        if (!voice->mStream || !voice->mStream->QueueNext(queued->GetData(), std::move(spooler)))
            return;
        voice->mQueuedSound = queued;
        if (callback)
            callback->AddVoice(voice);
        voice->mCallback = callback;
        return;
    }
    if (callback) {
        callback->AddVoice(voice);
        voice->mSound = std::static_pointer_cast<TSound>(shared_from_this());
    }
    voice->mCallback = callback;
    voice->mQueuedSound.reset();
}

bool TSound::StopAll()
{
    TSoundLock lock;
    bool stopped = false;
    for (auto it = mData->mVoices.begin(); it != mData->mVoices.end();) {
        std::shared_ptr<TSoundInstance> voice = it->second;
        stopped = StopInstance(voice) || stopped;
        // The stop erases the entry, and completions may change the map:
        // go on from the voice after this one.
        it = mData->mVoices.upper_bound(voice.get());
    }
    return stopped;
}

void TSoundInstance::Stop()
{
    // The sound thread rewrites mSound when a queued sound takes over.
    TSoundLock lock;
    if (std::shared_ptr<TSound> sound = mSound.lock())
        sound->StopInstance(shared_from_this());
}

void TSoundInstance::SetCallback(TSoundCallBack* callback, const std::shared_ptr<TSound>& queued)
{
    TSoundLock lock;
    if (std::shared_ptr<TSound> sound = mSound.lock())
        sound->SetInstanceCallback(shared_from_this(), callback, queued);
}

TSoundCallBack::~TSoundCallBack()
{
    TSoundLock lock;
    // Copied: detaching removes nothing from the set, but the voices'
    // completions might.
    auto voices = mVoices;
    for (const std::weak_ptr<TSoundInstance>& weak : voices) {
        std::shared_ptr<TSoundInstance> voice = weak.lock();
        if (!voice)
            continue;
        voice->SetCallback(nullptr, nullptr);
        // Also when the voice's sound is gone: it must never call a
        // destroyed callback.
        if (voice->mCallback == this)
            voice->mCallback = nullptr;
    }
}

void RegisterSoundAssetLoader()
{
    TAssetMap::RegisterLoader(TAssetMap::kSoundLoader, [](const TString& name) -> std::shared_ptr<TAsset> {
        // Other kinds of names are not sounds: no cache entry for them.
        if (name.Find(TString(".ogg")) < 0)
            return nullptr;
        return TSound::Create(name, true, -1);
    });
}
