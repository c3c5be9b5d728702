#include "game/show/event/SoundEvents.h"

#include "game/show/event/ShowLinks.h"
#include "sound/Sound.h"
#include "sound/SoundInstance.h"

namespace KEvent {

void _playSndHelper::OnSoundFinished(const std::shared_ptr<TSoundInstance>&, const std::shared_ptr<TSound>&)
{
    if (mEvent)
        mEvent->Finish();
}

ePlaySound::ePlaySound(const TString& name, int32_t group)
    : mSoundName(name), mGroup(group), mHelper(std::make_unique<_playSndHelper>(this))
{
    SetName(StrFormat("ePlaySound (%s)", name.c_str()));
}

ePlaySound::~ePlaySound() = default;

void ePlaySound::Start()
{
    mSound = TSound::Create(StrFormat("%s?group=%d", mSoundName.c_str(), mGroup), true, -1);
    if (mSound)
        mVoice = mSound->Play(0);
    if (!mVoice) {
        // Nothing plays (the sound layer has logged why): done at once.
        Event::Start();
        Finish();
        return;
    }
    mVoice->SetCallback(mHelper.get(), nullptr);
    Event::Start();
}

void ePlaySound::Finish()
{
    mVoice.reset();
    mSound.reset();
    Event::Finish();
}

void ePlaySound::Skip()
{
    if (std::shared_ptr<TSoundInstance> voice = mVoice) {
        voice->Stop(); // its callback may finish this event first
        mVoice.reset();
    }
    Event::Skip();
}

std::shared_ptr<ePlaySound> MakePlaySound(const TString& name, int32_t group)
{
    return Create<ePlaySound>(name, group);
}

eStopMusic::eStopMusic()
{
    SetName("eStopMusic");
}

void eStopMusic::Start()
{
    if (ShowLink* show = GetShowLink())
        if (std::shared_ptr<Event> music = show->GetCurrentMusic())
            music->Skip();
    Event::Start();
    Finish();
}

std::shared_ptr<eStopMusic> MakeStopMusic()
{
    return Create<eStopMusic>();
}

} // namespace KEvent
