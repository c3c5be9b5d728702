// The sound thread polling while the main thread plays, stops, pauses and
// dispatches: run under the thread sanitizer as well.
#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "SoundTestSupport.h"
#include "sound/SoundData.h"

namespace {

using SoundThread = SoundFixture;

TEST_F(SoundThread, MainThreadAndSoundThreadTogether)
{
    mManager = std::make_unique<TSoundManager>();
    AudioDeviceOptions options;
    options.backend = AudioBackend::Null;
    ASSERT_TRUE(mManager->Init(options));
    ASSERT_TRUE(mManager->IsThreadRunning());

    std::shared_ptr<TSound> shortSound = MakeSound("sfx/tick.ogg", 0.3);
    std::shared_ptr<TSound> longSound = MakeSound("music/bed.ogg?group=0", 2.5, 22050, 1);
    ASSERT_TRUE(shortSound && longSound);

    struct Counting : TSoundCallBack {
        std::map<TSoundInstance*, int> calls;
        std::set<std::thread::id> threads;
        void OnSoundFinished(const std::shared_ptr<TSoundInstance>& voice, const std::shared_ptr<TSound>&) override
        {
            ++calls[voice.get()];
            threads.insert(std::this_thread::get_id());
        }
    } callback;

    std::vector<std::shared_ptr<TSoundInstance>> voices;
    // A fixed number of rounds (about 0.2 s plus the work): a slow machine
    // or the thread sanitizer must not shrink the mix of operations.
    for (int i = 0; i < 90; ++i) {
        gSoundTestNow += 50;
        mManager->GetDevice()->Advance(2205);
        if (i % 3 == 0) {
            voices.push_back((i % 9 == 0 ? longSound : shortSound)->Play(i % 27 == 0 ? 1 : 0));
            voices.back()->SetCallback(&callback, nullptr);
        }
        if (i % 7 == 0 && !voices.empty())
            voices[size_t(i) % voices.size()]->Stop();
        if (i % 40 == 0)
            mManager->SetEnabled(false);
        if (i % 40 == 5)
            mManager->SetEnabled(true);
        if (i % 11 == 0)
            mManager->SetGroupVolume(0, float(i % 10) / 10.0f);
        mManager->DispatchCallbacks();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    mManager->SetEnabled(true);
    shortSound->StopAll();
    longSound->StopAll();
    mManager->DispatchCallbacks();

    ASSERT_EQ(voices.size(), 30u);
    EXPECT_EQ(callback.calls.size(), voices.size()) << "every voice completed";
    for (const auto& entry : callback.calls)
        EXPECT_EQ(entry.second, 1) << "once per voice";
    EXPECT_EQ(callback.threads, std::set<std::thread::id>{std::this_thread::get_id()});
    for (const auto& voice : voices)
        EXPECT_FALSE(voice->IsPlaying());
    EXPECT_EQ(mManager->GetActiveStreamCount(), 0u);
    EXPECT_GT(mManager->GetPollCount(), 0u);

    // Torn down with voices playing and the thread running.
    voices.push_back(longSound->Play(1));
    voices.back()->SetCallback(&callback, nullptr);
    mManager.reset();
    EXPECT_EQ(callback.calls.count(voices.back().get()), 0u);
}

} // namespace
