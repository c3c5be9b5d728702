#pragma once
#include <memory>
#include <set>

class TSound;
class TSoundInstance;

// Told on the main thread, under the sound lock, when a voice it was set on
// has ended or was stopped; at most once per voice. Destroying it detaches
// it from its voices, which then complete silently.
class TSoundCallBack {
public:
    TSoundCallBack() = default;
    virtual ~TSoundCallBack();
    TSoundCallBack(const TSoundCallBack&) = delete;
    TSoundCallBack& operator=(const TSoundCallBack&) = delete;

    virtual void OnSoundFinished(const std::shared_ptr<TSoundInstance>& voice,
                                 const std::shared_ptr<TSound>& queued) = 0;

    void AddVoice(const std::shared_ptr<TSoundInstance>& voice) { mVoices.insert(voice); }
    void RemoveVoice(const std::shared_ptr<TSoundInstance>& voice) { mVoices.erase(voice); }
    size_t GetVoiceCount() const { return mVoices.size(); }

private:
    std::set<std::weak_ptr<TSoundInstance>, std::owner_less<std::weak_ptr<TSoundInstance>>> mVoices;
};
