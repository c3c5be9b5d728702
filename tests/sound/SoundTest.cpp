#include <gtest/gtest.h>

#include "SoundTestSupport.h"
#include "platform/AssetMap.h"
#include "sound/SoundData.h"
#include "sound/SoundStream.h"

namespace {

using Sound = SoundFixture;

TEST_F(Sound, NamesAndGroups)
{
    struct Case {
        const char* name;
        int32_t defaultGroup;
        const char* base;
        int32_t group;
    };
    const Case cases[] = {
        {"sfx/ButtonPush.ogg?group=1000", -1, "sfx/ButtonPush.ogg", 1000},
        {"music/playdv.ogg?group=", -1, "music/playdv.ogg", 0},
        // A sound event appends its own group to a name that has one.
        {"music/question.ogg?group=?group=1000", -1, "music/question.ogg", 0},
        {"a.ogg?foo", 0, "a.ogg", 0},
        {"a.ogg?foo", -1, "a.ogg", -1},
        {"a.ogg", 3000, "a.ogg", 3000},
        {"a.ogg?x=1&group=-7z", -1, "a.ogg", -7},
        {"a.ogg?group=12?group=3", -1, "a.ogg", 12},
    };
    for (const Case& c : cases) {
        TString base;
        SoundGroupId group = 99;
        TSound::ParseName(c.name, c.defaultGroup, &base, &group);
        EXPECT_STREQ(base.c_str(), c.base) << c.name;
        EXPECT_EQ(group, c.group) << c.name;
    }

    MakeManager();
    AddFile("sfx/ButtonPush.ogg", EncodeOgg(MakeSine(44100, 2, 0.3)));
    std::shared_ptr<TSound> sound = TSound::Create("sfx/ButtonPush.ogg?group=1000", true, -1);
    ASSERT_TRUE(sound);
    EXPECT_STREQ(sound->GetData()->mName.c_str(), "sfx/ButtonPush.ogg");
    EXPECT_EQ(sound->GetData()->mGroup, 1000);
    EXPECT_EQ(sound->Play(0)->mStream->GetGroup(), 1000);
    EXPECT_STREQ(sound->GetClassName(), "TSound");
    EXPECT_TRUE(sound->IsKindOf(TSound::ClassId));
    EXPECT_TRUE(sound->IsKindOf(TAsset::ClassId));

    // Only Ogg Vorbis names are sounds; an empty name is nothing.
    AddFile("sfx/click.wav", EncodeOgg(MakeSine(44100, 2, 0.3)));
    EXPECT_FALSE(TSound::Create("sfx/click.wav", true, -1));
    EXPECT_FALSE(TSound::Create("", true, -1));
}

TEST_F(Sound, CacheKeepsOneSoundPerNameFlagAndGroup)
{
    AddFile("sfx/a.ogg", EncodeOgg(MakeSine(44100, 1, 0.3)));
    std::shared_ptr<TSound> first = TSound::Create("sfx/a.ogg?group=1000", true, -1);
    ASSERT_TRUE(first);
    EXPECT_EQ(TSound::Create("sfx/a.ogg?group=1000", true, -1), first);
    EXPECT_EQ(TSound::Create("sfx/a.ogg", true, 1000), first) << "the same base name and group";
    EXPECT_TRUE(mAssets->Find("sfx/a.ogg;1;1000"));
    std::shared_ptr<TSound> other = TSound::Create("sfx/a.ogg?group=3000", true, -1);
    EXPECT_TRUE(other && other != first);
    std::shared_ptr<TSound> fromFile = TSound::Create("sfx/a.ogg?group=1000", false, -1);
    EXPECT_TRUE(fromFile && fromFile != first);

    // While alive only: a new one once the first is gone.
    first.reset();
    EXPECT_FALSE(mAssets->Find("sfx/a.ogg;1;1000"));
    std::shared_ptr<TSound> again = TSound::Create("sfx/a.ogg?group=1000", true, -1);
    ASSERT_TRUE(again);

    // Through the asset map, by its sound kind.
    RegisterSoundAssetLoader();
    TAssetMap map;
    EXPECT_EQ(map.GetSound("sfx/a.ogg?group=1000"), again);
    TAssetMap::ClearLoaders();
}

TEST_F(Sound, StopCallsBackOnceBeforeItReturns)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/stop.ogg", 1.0);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    voice->SetCallback(&callback, nullptr);
    EXPECT_EQ(callback.GetVoiceCount(), 1u);
    EXPECT_EQ(sound->GetData()->mVoices.size(), 1u);

    EXPECT_TRUE(sound->StopInstance(voice));
    ASSERT_EQ(callback.finished.size(), 1u);
    EXPECT_EQ(callback.finished[0], voice.get());
    EXPECT_EQ(callback.threads[0], std::this_thread::get_id());
    EXPECT_EQ(callback.GetVoiceCount(), 0u);
    EXPECT_FALSE(voice->IsPlaying());
    EXPECT_TRUE(sound->GetData()->mVoices.empty());
    EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);

    // Once only, whatever follows.
    voice->Stop();
    mManager->DispatchCallbacks();
    Step(3000);
    mManager->DispatchCallbacks();
    EXPECT_EQ(callback.finished.size(), 1u);
    EXPECT_FALSE(sound->StopInstance(nullptr));
}

TEST_F(Sound, SelfEndedVoiceCallsBackAtTheNextDispatch)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/end.ogg", 0.5);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    voice->SetCallback(&callback, nullptr);

    // The thread's update: ended streams wait for the main thread.
    for (int i = 0; i < 100 && mManager->GetFinishedStreamCount() == 0; ++i) {
        gSoundTestNow += 50;
        mManager->GetDevice()->Advance(2205);
        mManager->Update(true);
    }
    EXPECT_EQ(mManager->GetFinishedStreamCount(), 1u);
    EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);
    EXPECT_TRUE(voice->IsPlaying()) << "not destroyed by the update";
    EXPECT_TRUE(callback.finished.empty());

    mManager->DispatchCallbacks();
    ASSERT_EQ(callback.finished.size(), 1u);
    EXPECT_EQ(callback.threads[0], std::this_thread::get_id());
    EXPECT_FALSE(voice->IsPlaying());
    EXPECT_EQ(mManager->GetFinishedStreamCount(), 0u);
}

TEST_F(Sound, CallbacksMayPlayAndStopSounds)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/chain.ogg", 0.5);
    struct Chain : TSoundCallBack {
        std::shared_ptr<TSound> sound;
        std::shared_ptr<TSoundInstance> next;
        int calls = 0;
        void OnSoundFinished(const std::shared_ptr<TSoundInstance>&, const std::shared_ptr<TSound>&) override
        {
            if (++calls == 1) {
                next = sound->Play(0);
                next->SetCallback(this, nullptr);
            }
        }
    } chain;
    chain.sound = sound;
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    voice->SetCallback(&chain, nullptr);
    RunUntilDone(voice, 5000);
    ASSERT_TRUE(chain.next);
    RunUntilDone(chain.next, 5000);
    EXPECT_EQ(chain.calls, 2);
    EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);
}

TEST_F(Sound, DestroyedCallbackOrSoundMeansSilentCompletion)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/gone.ogg", 0.5);
    std::shared_ptr<TSoundInstance> voice = sound->Play(0);
    {
        auto callback = std::make_unique<TRecordingCallBack>();
        voice->SetCallback(callback.get(), nullptr);
    } // destroyed while the voice plays
    EXPECT_EQ(voice->mCallback, nullptr);
    RunUntilDone(voice, 5000);
    EXPECT_FALSE(voice->IsPlaying()) << "the voice played on and completed";

    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> a = sound->Play(0), b = sound->Play(1);
    a->SetCallback(&callback, nullptr);
    b->SetCallback(&callback, nullptr);
    EXPECT_EQ(mManager->GetActiveStreamCount(), 2u);
    sound.reset();
    EXPECT_TRUE(callback.finished.empty()) << "no callback for a sound that is going away";
    EXPECT_FALSE(a->IsPlaying());
    EXPECT_FALSE(b->IsPlaying());
    EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);
    a->Stop(); // its sound is gone: nothing
    Step(2000);
    mManager->DispatchCallbacks();
    EXPECT_TRUE(callback.finished.empty());
}

TEST_F(Sound, DestroyingTheManagerReleasesEverythingSilently)
{
    MakeManager();
    std::shared_ptr<TSound> sound = MakeSound("sfx/shutdown.ogg", 3.0);
    TRecordingCallBack callback;
    std::shared_ptr<TSoundInstance> playing = sound->Play(1), ended = sound->Play(0);
    playing->SetCallback(&callback, nullptr);
    ended->SetCallback(&callback, nullptr);
    ended->mStream->Stop(true); // retired, waiting for a dispatch
    EXPECT_EQ(mManager->GetFinishedStreamCount(), 1u);

    mManager.reset();
    EXPECT_TRUE(callback.finished.empty());
    EXPECT_FALSE(playing->IsPlaying());
    EXPECT_FALSE(ended->IsPlaying());
    EXPECT_TRUE(sound->GetData()->mVoices.empty());

    TTempLogFolder log("sound-nomanager");
    EXPECT_FALSE(sound->Play(0));
    EXPECT_EQ(log.Count("No Sound Manager"), 1);
    MakeManager();
    EXPECT_FALSE(std::make_shared<TSound>()->Play(0));
    EXPECT_EQ(log.Count("Play of uninitialized sound"), 1);
}

} // namespace
