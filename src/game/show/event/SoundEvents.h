#pragma once
#include <cstdint>
#include <memory>

#include "game/show/event/Event.h"
#include "sound/SoundCallBack.h"

class TSound;
class TSoundInstance;

namespace KEvent {

class ePlaySound;

// The completion callback of an ePlaySound's voice: finishes the event.
// Destroyed with the event, it detaches from a voice still playing, which
// then ends without calling anybody.
class _playSndHelper : public TSoundCallBack {
public:
    explicit _playSndHelper(ePlaySound* event) : mEvent(event) {}
    void OnSoundFinished(const std::shared_ptr<TSoundInstance>& voice, const std::shared_ptr<TSound>& queued) override;

private:
    ePlaySound* mEvent; // not owned
};

// Plays "name?group=N" once and finishes when the voice ends; finishes at
// once when there is nothing to play (missing or unreadable file, no sound
// manager). A skip stops the voice.
class ePlaySound : public Event {
public:
    ePlaySound(const TString& name, int32_t group);
    ~ePlaySound() override;
    void Start() override;
    void Finish() override;
    void Skip() override;

    const std::shared_ptr<TSoundInstance>& GetVoice() const { return mVoice; }

private:
    std::shared_ptr<TSound> mSound;
    std::shared_ptr<TSoundInstance> mVoice;
    TString mSoundName;
    int32_t mGroup;
    std::unique_ptr<_playSndHelper> mHelper;
};
std::shared_ptr<ePlaySound> MakePlaySound(const TString& name, int32_t group);

// Skips the show's current music event, if any.
class eStopMusic : public Event {
public:
    eStopMusic();
    void Start() override;
};
std::shared_ptr<eStopMusic> MakeStopMusic();

} // namespace KEvent
