// Sound events on the null audio device with a hand-moved clock: a voice's
// end finishes its event in the next callback dispatch.
#include <gtest/gtest.h>

#include "SoundEventFixture.h"
#include "game/show/event/SoundEvents.h"
#include "sound/SoundData.h"
#include "sound/SoundTestSupport.h"

namespace {

using SoundEvents = SoundEventFixture;

TEST_F(SoundEvents, NothingToPlayFinishesInTheStartPass)
{
    MakeManager();
    AddFile("sfx/click.wav", {1, 2, 3});
    AddFile("sfx/broken.ogg", {'n', 'o', 't', ' ', 'o', 'g', 'g'});
    for (const char* name : {"sfx/missing.ogg", "sfx/click.wav", "sfx/broken.ogg", ""}) {
        SCOPED_TRACE(name);
        auto sound = KEvent::MakePlaySound(name, 1000);
        Pass();
        EXPECT_TRUE(sound->IsStarted());
        EXPECT_TRUE(sound->IsFinished());
        EXPECT_EQ(sound->GetVoice(), nullptr);
    }
}

TEST_F(SoundEvents, NoSoundManagerFinishesInTheStartPass)
{
    AddFile("sfx/a.ogg", EncodeOgg(MakeSine(44100, 2, 0.5)));
    auto sound = KEvent::MakePlaySound("sfx/a.ogg", 1000);
    Pass();
    EXPECT_TRUE(sound->IsFinished());
}

TEST_F(SoundEvents, PlaysInItsGroupUntilTheVoiceEnds)
{
    MakeManager();
    MakeSound("sfx/half.ogg", 0.5);
    auto sound = KEvent::MakePlaySound("sfx/half.ogg", 3000);
    auto after = sound->Then(eventtest::Instant("after"));
    Pass();
    ASSERT_NE(sound->GetVoice(), nullptr);
    std::shared_ptr<TSoundInstance> voice = sound->GetVoice();
    EXPECT_TRUE(voice->IsPlaying());
    ASSERT_FALSE(voice->mSound.expired());
    EXPECT_EQ(voice->mSound.lock()->GetData()->mGroup, 3000);
    EXPECT_FALSE(sound->IsFinished());

    const uint32_t took = RunUntilFinished(*sound, 5000);
    EXPECT_TRUE(sound->IsFinished());
    EXPECT_GE(took, 500u);
    EXPECT_LE(took, 500u + 1650u);
    EXPECT_EQ(sound->GetVoice(), nullptr) << "the voice and the sound are let go";
    EXPECT_FALSE(after->IsStarted());
    Pass();
    EXPECT_TRUE(after->IsStarted());
}

TEST_F(SoundEvents, SkipStopsTheVoice)
{
    MakeManager();
    MakeSound("sfx/long.ogg", 3.0);
    auto sound = KEvent::MakePlaySound("sfx/long.ogg", 1000);
    Pass();
    std::shared_ptr<TSoundInstance> voice = sound->GetVoice();
    ASSERT_TRUE(voice && voice->IsPlaying());
    sound->Skip();
    EXPECT_FALSE(voice->IsPlaying());
    EXPECT_TRUE(sound->IsFinished());
    EXPECT_EQ(sound->GetVoice(), nullptr);
    Step(50);
    mManager->DispatchCallbacks();
    Pass();
    EXPECT_EQ(KEvent::EventManager::Instance()->GetCount(), 0u);
}

TEST_F(SoundEvents, AVoiceThatOutlivesItsEventCallsNobody)
{
    MakeManager();
    MakeSound("sfx/tail.ogg", 0.4);
    std::shared_ptr<TSoundInstance> voice;
    {
        auto sound = KEvent::MakePlaySound("sfx/tail.ogg", 1000);
        Pass();
        voice = sound->GetVoice();
        ASSERT_TRUE(voice);
    }
    KEvent::EventManager::Destroy(); // the last holder of the event
    EXPECT_EQ(voice->mCallback, nullptr) << "detached when the event went";
    RunUntilDone(voice, 5000);
    EXPECT_FALSE(voice->IsPlaying());
    KEvent::EventManager::AllowRecreateForTests();
}

} // namespace
