#include <gtest/gtest.h>

#include <cmath>

#include "SoundTestSupport.h"
#include "sound/SoundData.h"
#include "sound/SoundStream.h"

namespace {

using SoundStream = SoundFixture;

TEST(SoundVolume, CentibelTable)
{
    struct Case {
        float volume;
        int32_t centibels;
    };
    const Case cases[] = {
        {1.0f, 0},
        {float(double(0.8f) * double(0.5f)), -3000}, // master 0.8, group 0.5
        {0.5f, -2500},
        {0.0f, -10000},
        {1e-6f, -4999},
        {2.0f, 0},         // above 1 counts as 1
        {-0.5f, -10000},   // below 0 counts as 0: silence
        {std::nanf(""), -10000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TSoundStream::VolumeToCentibels(c.volume), c.centibels) << c.volume;
}

int32_t BufferVolume(const std::shared_ptr<TSoundInstance>& voice)
{
    int32_t centibels = 1;
    if (!voice || !voice->mStream || !voice->mStream->GetBuffer())
        return centibels;
    voice->mStream->GetBuffer()->GetVolume(&centibels);
    return centibels;
}

TEST_F(SoundStream, GroupAndMasterVolumesReachTheBuffers)
{
    MakeManager();
    AddFile("sfx/a.ogg", EncodeOgg(MakeSine(44100, 2, 1.0)));
    std::shared_ptr<TSound> effect = TSound::Create("sfx/a.ogg?group=1000", true, -1);
    std::shared_ptr<TSound> voiceOver = TSound::Create("sfx/a.ogg?group=3000", true, -1);
    ASSERT_TRUE(effect && voiceOver);
    std::shared_ptr<TSoundInstance> a = effect->Play(0), b = voiceOver->Play(0);
    EXPECT_EQ(BufferVolume(a), 0);

    mManager->SetMasterVolume(0.8f);
    mManager->SetGroupVolume(1000, 0.5f);
    EXPECT_EQ(BufferVolume(a), -3000);
    // trunc(-5000 x (1 - 0.8f)) in single precision: -999.99994.
    EXPECT_EQ(BufferVolume(b), -999) << "a group without its own volume plays at the master volume";
    mManager->SetMasterVolume(0.0f);
    EXPECT_EQ(BufferVolume(a), -10000);
    EXPECT_EQ(BufferVolume(b), -10000);
    mManager->SetMasterVolume(1.0f);
    std::shared_ptr<TSoundInstance> c = effect->Play(0);
    EXPECT_EQ(BufferVolume(c), -2500) << "a new voice starts at its group's volume";
}

TEST_F(SoundStream, OneShotStreamedAndTheTwoSecondEdge)
{
    MakeManager();
    struct Case {
        double seconds;
        bool oneShot;
    };
    const Case cases[] = {{1.5, true}, {3.0, false}, {2.0, false}, {0.2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.seconds << " s");
        std::shared_ptr<TSound> sound = MakeSound("sfx/edge.ogg", c.seconds);
        ASSERT_TRUE(sound);
        TRecordingCallBack callback;
        std::shared_ptr<TSoundInstance> voice = sound->Play(0);
        ASSERT_TRUE(voice && voice->mStream && voice->mStream->GetBuffer());
        EXPECT_EQ(voice->mStream->GetBufferBytes(), 352800u);
        EXPECT_FLOAT_EQ(voice->mStream->GetBufferSeconds(), 2.0f);
        EXPECT_EQ(voice->mStream->IsOneShot(), c.oneShot);
        voice->SetCallback(&callback, nullptr);

        uint32_t took = RunUntilDone(voice, 10000);
        EXPECT_FALSE(voice->IsPlaying());
        ASSERT_EQ(callback.finished.size(), 1u);
        EXPECT_EQ(callback.finished[0], voice.get());
        // Never before its end; after it, at most about a half of silence
        // and the polls (550 ms apart here) that notice it.
        EXPECT_GE(took, uint32_t(c.seconds * 1000));
        EXPECT_LE(took, uint32_t(c.seconds * 1000) + 1650);
        EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);
    }
}

TEST_F(SoundStream, LoopingVoicePlaysOnUntilStopped)
{
    MakeManager();
    std::shared_ptr<TSound> shortSound = MakeSound("sfx/loop-short.ogg", 0.7);
    std::shared_ptr<TSound> longSound = MakeSound("sfx/loop-long.ogg", 2.5);
    for (const auto& sound : {shortSound, longSound}) {
        std::shared_ptr<TSoundInstance> voice = sound->Play(1);
        ASSERT_TRUE(voice);
        EXPECT_FALSE(voice->mStream->IsOneShot());
        RunUntilDone(voice, 9000);
        EXPECT_TRUE(voice->IsPlaying()) << "still playing after several lengths";
        voice->Stop();
        EXPECT_FALSE(voice->IsPlaying());
    }
}

TEST_F(SoundStream, DisabledManagerStartsStreamsPausedAndResumesThem)
{
    MakeManager();
    AddFile("sfx/late.ogg", EncodeOgg(MakeSine(44100, 2, 1.0)));
    std::shared_ptr<TSound> sound = TSound::Create("sfx/late.ogg?group=1000", true, -1);
    ASSERT_TRUE(sound);
    mManager->SetEnabled(false);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    voice->SetCallback(&callback, nullptr);
    TSoundStream* stream = voice->mStream;
    ASSERT_TRUE(stream && stream->GetBuffer());
    EXPECT_TRUE(stream->IsPaused());
    EXPECT_TRUE(stream->IsPausedByManager());
    uint32_t status = 0;
    stream->GetBuffer()->GetStatus(&status);
    EXPECT_EQ(status & kAudioStatusPlaying, 0u);

    RunUntilDone(voice, 5000);
    EXPECT_TRUE(voice->IsPlaying()) << "a paused stream never ends";
    EXPECT_TRUE(callback.finished.empty());

    mManager->SetGroupVolume(1000, 0.5f);
    mManager->SetEnabled(true);
    EXPECT_FALSE(stream->IsPaused());
    stream->GetBuffer()->GetStatus(&status);
    EXPECT_NE(status & kAudioStatusPlaying, 0u);
    EXPECT_EQ(BufferVolume(voice), -2500) << "at the volume in force when it starts";
    uint32_t took = RunUntilDone(voice, 5000);
    EXPECT_EQ(callback.finished.size(), 1u);
    EXPECT_GE(took, 1000u);
}

TEST_F(SoundStream, PausedOneShotIsNotTakenForEnded)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/pause.ogg", 1.5);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    voice->SetCallback(&callback, nullptr);
    ASSERT_TRUE(voice->mStream->IsOneShot());
    Step(700);
    mManager->SetEnabled(false);
    // Stopped, the buffer shows play == write, which is the one-shot end.
    RunUntilDone(voice, 6000);
    EXPECT_TRUE(voice->IsPlaying());
    EXPECT_TRUE(callback.finished.empty());

    // Only what the manager paused is resumed: a voice paused by its owner
    // stays paused.
    std::shared_ptr<TSoundInstance> held = sound->Play(0);
    mManager->SetEnabled(true);
    held->mStream->PauseResume(true);
    mManager->SetEnabled(false);
    mManager->SetEnabled(true);
    EXPECT_TRUE(held->mStream->IsPaused());
    EXPECT_FALSE(voice->mStream->IsPaused());

    uint32_t took = RunUntilDone(voice, 6000);
    EXPECT_EQ(callback.finished.size(), 1u);
    EXPECT_GE(took, 800u) << "the rest of the sound played after the resumption";
}

TEST_F(SoundStream, WithoutADeviceVoicesEndByTheClock)
{
    MakeManager(AudioBackend::None);
    ASSERT_FALSE(mManager->IsInitialised());
    std::shared_ptr<TSound> sound = MakeSound("vo/line.ogg", 3.2);
    ASSERT_TRUE(sound);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    ASSERT_TRUE(voice);
    EXPECT_EQ(voice->mStream->GetBuffer(), nullptr);
    voice->SetCallback(&callback, nullptr);

    // Pausing stops the clock: 10 s disabled count for nothing.
    Step(1000);
    mManager->SetEnabled(false);
    Step(10000);
    mManager->SetEnabled(true);
    EXPECT_TRUE(voice->IsPlaying());
    uint32_t took = RunUntilDone(voice, 5000);
    EXPECT_EQ(callback.finished.size(), 1u);
    // Ends at the first poll after 3.2 s of play (polls are 550 ms apart).
    EXPECT_GE(1000 + took, 3200u);
    EXPECT_LE(1000 + took, 3200u + 600u);

    // A looping voice plays on by its clock.
    std::shared_ptr<TSoundInstance> looping = sound->Play(1);
    RunUntilDone(looping, 10000);
    EXPECT_TRUE(looping->IsPlaying());
}

TEST_F(SoundStream, QueuedSoundContinuesOnTheSameStream)
{
    MakeManager();
    std::shared_ptr<TSound> first = MakeSound("sfx/first.ogg", 2.5);
    std::shared_ptr<TSound> second = MakeSound("sfx/second.ogg", 1.0);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = first->Play(0);
    TSoundStream* stream = voice->mStream;
    voice->SetCallback(&callback, second);
    EXPECT_EQ(voice->mQueuedSound.lock(), second);

    // The first sound's part ends with a callback at a dispatch; the voice
    // plays on with the second sound on the same stream.
    uint32_t elapsed = 0;
    while (callback.finished.empty() && elapsed < 6000) {
        Step(50);
        mManager->DispatchCallbacks();
        elapsed += 50;
    }
    ASSERT_EQ(callback.finished.size(), 1u);
    EXPECT_GE(elapsed, 1000u);
    EXPECT_TRUE(voice->IsPlaying());
    EXPECT_EQ(voice->mStream, stream);
    EXPECT_EQ(voice->mSound.lock(), second);
    EXPECT_TRUE(first->GetData()->mVoices.empty());

    uint32_t took = RunUntilDone(voice, 6000);
    EXPECT_FALSE(voice->IsPlaying());
    EXPECT_GE(elapsed + took, 3500u) << "both sounds played";
    EXPECT_EQ(callback.finished.size(), 1u) << "the callback was told once";

    // A voice whose stream is gone takes no queued sound.
    std::shared_ptr<TSoundInstance> late = second->Play(0);
    RunUntilDone(late, 6000);
    late->SetCallback(&callback, first);
    EXPECT_EQ(late->mQueuedSound.lock(), nullptr);
}

} // namespace
