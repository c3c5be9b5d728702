// The voice-over player with the host on hand-built models: a host line's
// talking animation starts with the line, even while its sound waits for
// the line before.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CastEventFixture.h"
#include "VoiceTestSupport.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOPlayer.h"
#include "os/audio/AudioDevice.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"
#include "ui/Window.h"

using KVO::KVOElem;
using KVO::VOPlayer;

namespace {

class VOPlayerHostTest : public CastEventFixture {
protected:
    void SetUp() override
    {
        CastEventFixture::SetUp();
        mSound = std::make_unique<TSoundManager>();
        AudioDeviceOptions options;
        options.backend = AudioBackend::Null;
        mSound->Init(options, false);
        mParent = std::make_unique<TWindow>();
        VOPlayer::Instance()->SetSubtitleParent(mParent.get());
    }
    void TearDown() override
    {
        VOPlayer::Destroy();
        mParent.reset();
        mSound.reset();
        CastEventFixture::TearDown();
    }

    void AddVoice(const std::string& name, double seconds)
    {
        const std::vector<uint8_t> bytes = EncodeOgg(MakeSine(44100, 2, seconds));
        AddFile("vo/" + name, std::string(bytes.begin(), bytes.end()));
    }
    static std::shared_ptr<KVOElem> Row(const std::string& children) { return voicetest::Row(children); }
    // 10 ms mixed, polled and called back, then an event pass.
    void Step()
    {
        now += 10;
        if (AudioDevice* device = mSound->GetDevice())
            device->Advance(441);
        mSound->Update(false);
        mSound->DispatchCallbacks();
        Pass();
    }

    std::unique_ptr<TSoundManager> mSound;
    std::unique_ptr<TWindow> mParent;
};

TEST_F(VOPlayerHostTest, TheHostTalksAtOnceWhileHisLineWaitsItsTurn)
{
    Quillory::CVModel& host = *Cast().GetHost();
    AddVoice("first.ogg", 1.0);
    AddVoice("second.ogg", 0.3);
    auto first = Row("<AudioFile>first.ogg</AudioFile><Actor>Announcer</Actor>")->MakePlayEvent();
    EXPECT_EQ(Played(host.GetCurrentAnim()), "null") << "the announcer's line moves nobody";

    MTRandom random = Copy();
    auto second = Row("<AudioFile>second.ogg</AudioFile><Actor>CorinVarnum</Actor>")->MakePlayEvent();
    const std::string talk = "Pos1_Talk" + std::to_string(random.NextWord() % 3 + 1);
    ASSERT_EQ(Played(host.GetCurrentAnim()), talk);
    const std::shared_ptr<KEvent::Event> anim = host.GetCurrentAnim();

    for (int i = 0; i < 5; ++i)
        Step();
    EXPECT_TRUE(anim->IsStarted()) << "the talk does not wait for the first line";
    EXPECT_FALSE(first->IsFinished());
    EXPECT_FALSE(second->IsFinished());

    uint32_t steps = 0;
    while (!second->IsFinished() && steps < 500) {
        Step();
        ++steps;
        ASSERT_FALSE(second->IsFinished() && !first->IsFinished());
    }
    EXPECT_TRUE(second->IsFinished());
    EXPECT_GE(steps * 10, 1000u) << "the host's line ends after both sounds";
}

} // namespace
