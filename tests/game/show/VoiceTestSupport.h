#pragma once
// The voice-over player on the recording device and the null audio device,
// with a hand-moved clock: a row from XML text, and a fixture with the
// subtitle font, settings, a seeded random source, a sound manager and a
// stage-sized subtitle parent.
#include <memory>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "game/show/MTRandom.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/SubTitle.h"
#include "game/show/vo/VOPlayer.h"
#include "game/stage/StageFixture.h"
#include "os/audio/AudioDevice.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"

namespace voicetest {

// A row from the children of a "narration" element.
inline std::shared_ptr<KVO::KVOElem> Row(const std::string& children)
{
    TXmlNode root;
    const std::string text = "<narration>" + children + "</narration>";
    ParseXmlText(&root, text.data(), text.size());
    TXmlNode* element = root.FindChild(TString("narration"));
    return element ? KVO::KVOElem::Create(*element) : nullptr;
}

class VoiceFixture : public StageFixture {
protected:
    static constexpr uint32_t kStep = 10;

    explicit VoiceFixture(uint32_t seed) : mSeed(seed) {}

    void SetUp() override
    {
        StageFixture::SetUp();
        mSubtitleFace = mFace;
        RegisterMemoryFile(KVO::SubTitle::kFont, mSubtitleFace.data(), uint32_t(mSubtitleFace.size()));
        FreshManagers();
        MTRandom::Destroy();
        MTRandom::Instance()->Seed(mSeed);
        // The settings' own sound manager first: the newest one plays.
        mSettingsHost = std::make_unique<settingstest::FakeSettingsHost>();
        GameSettings::Create(mSettingsHost.get());
        mSound = std::make_unique<TSoundManager>();
        AudioDeviceOptions options;
        options.backend = AudioBackend::Null;
        mSound->Init(options, false);
        mParent = new TWindow();
        mParent->SetName("stage");
        mParent->SetSize(800, 600);
        KVO::VOPlayer::Instance()->SetSubtitleParent(mParent);
    }
    void TearDown() override
    {
        KVO::VOPlayer::Destroy();
        delete mParent;
        TearDownManagers();
        mSound.reset();
        GameSettings::Destroy();
        mSettingsHost.reset();
        MTRandom::Destroy();
        RegisterMemoryFile(KVO::SubTitle::kFont, nullptr, 0);
        StageFixture::TearDown();
    }

    static void Subtitles(bool on) { GameSettings::Instance()->SetUserInt("useSubtitles", on ? 1 : 0); }

    // A sine of that length as the file.
    void AddSine(const std::string& file, double seconds, int channels = 2)
    {
        const std::vector<uint8_t> bytes = EncodeOgg(MakeSine(44100, channels, seconds));
        AddFile(file, std::string(bytes.begin(), bytes.end()));
    }

    // One step of the clock: the audio device mixes it, the sound manager
    // polls and calls back, the event manager makes a pass.
    void Step()
    {
        now += kStep;
        mElapsed += kStep;
        if (AudioDevice* device = mSound->GetDevice())
            device->Advance(kStep * 441 / 10);
        mSound->Update(false);
        mSound->DispatchCallbacks();
        EventPass();
    }

    std::unique_ptr<TSoundManager> mSound;
    TWindow* mParent = nullptr;
    uint32_t mElapsed = 0;

private:
    uint32_t mSeed;
    std::vector<uint8_t> mSubtitleFace;
    std::unique_ptr<settingstest::FakeSettingsHost> mSettingsHost;
};

} // namespace voicetest
