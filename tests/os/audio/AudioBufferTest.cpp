// Secondary buffers on the null device: creation checks, cursors as the
// device advances, pause and resume, Lock/Unlock over the ring, volume.
#include <memory>

#include "AudioTestSupport.h"
#include "os/audio/AudioDevice.h"
#include "os/audio/AudioRingBuffer.h"

namespace {

class AudioBufferFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AudioCreateDevice({AudioBackend::Null, {}}, &device), AudioResult::Ok);
        ASSERT_EQ(device->GetBackend(), AudioBackend::Null);
    }

    // 1,000 frames of 44,100 Hz stereo: 4,000 bytes.
    std::unique_ptr<AudioBuffer> MakeBuffer(AudioFormat format = kAudioMixFormat, uint32_t bytes = 4000)
    {
        std::unique_ptr<AudioBuffer> buffer;
        EXPECT_EQ(device->CreateBuffer(format, bytes, &buffer), AudioResult::Ok);
        return buffer;
    }

    std::unique_ptr<AudioDevice> device;
};

uint32_t Status(AudioBuffer& b)
{
    uint32_t s = 0xFF;
    EXPECT_EQ(b.GetStatus(&s), AudioResult::Ok);
    return s;
}

} // namespace

TEST_F(AudioBufferFixture, CreateBufferChecksFormatAndSize)
{
    static const struct {
        AudioFormat format;
        uint32_t bytes;
        AudioResult result;
    } cases[] = {
        {{44100, 2, 16}, 4000, AudioResult::Ok},
        {{22050, 1, 16}, 4, AudioResult::Ok},
        {{1, 2, 16}, 4, AudioResult::Ok},
        {{192000, 1, 16}, 6, AudioResult::Ok},
        {{44100, 2, 16}, 0, AudioResult::InvalidParam},
        {{44100, 1, 16}, 2, AudioResult::InvalidParam},        // below the minimum
        {{44100, 2, 16}, 6, AudioResult::InvalidParam},        // not whole frames
        {{44100, 1, 16}, 7, AudioResult::InvalidParam},
        {{44100, 2, 16}, 0x10000000, AudioResult::InvalidParam}, // above the maximum
        {{44100, 0, 16}, 8, AudioResult::InvalidParam},
        {{44100, 3, 16}, 12, AudioResult::InvalidParam},
        {{44100, 2, 8}, 8, AudioResult::InvalidParam},
        {{44100, 2, 24}, 12, AudioResult::InvalidParam},
        {{0, 2, 16}, 8, AudioResult::InvalidParam},
        {{192001, 2, 16}, 8, AudioResult::InvalidParam},
    };
    for (const auto& c : cases) {
        std::unique_ptr<AudioBuffer> buffer;
        EXPECT_EQ(device->CreateBuffer(c.format, c.bytes, &buffer), c.result)
            << c.format.rate << " Hz, " << c.format.channels << " ch, " << c.format.bitsPerSample << " bits, "
            << c.bytes << " bytes";
        EXPECT_EQ(buffer != nullptr, c.result == AudioResult::Ok);
    }
    EXPECT_EQ(device->CreateBuffer(kAudioMixFormat, 4000, nullptr), AudioResult::InvalidParam);

    // A new buffer: silent, stopped, full volume, cursors at 0.
    auto b = MakeBuffer({22050, 1, 16}, 1000);
    EXPECT_EQ(b->GetSize(), 1000u);
    EXPECT_EQ(b->GetFormat().rate, 22050u);
    EXPECT_EQ(b->GetFormat().channels, 1);
    EXPECT_EQ(Status(*b), 0u);
    int32_t volume = 1;
    EXPECT_EQ(b->GetVolume(&volume), AudioResult::Ok);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 0}));
    EXPECT_EQ(ReadBuffer(*b), std::vector<uint8_t>(1000, 0));

    // The device takes the primary format and cooperative level.
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, 2), AudioResult::Ok);
    EXPECT_EQ(device->SetPrimaryFormat(kAudioMixFormat), AudioResult::Ok);
    EXPECT_EQ(device->SetPrimaryFormat({44100, 2, 8}), AudioResult::InvalidParam);
}

TEST_F(AudioBufferFixture, CursorsFollowTheMix)
{
    auto b = MakeBuffer();
    b->Play(kAudioPlayLooping);
    EXPECT_EQ(Status(*b), kAudioStatusPlaying | kAudioStatusLooping);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 0}));
    device->Advance(100);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 400}));
    // One chunk of 1,024 frames, wrapping the 1,000-frame ring.
    device->Advance(1024);
    EXPECT_EQ(GetCursors(*b), (Cursors{400, 496}));
    // Long advances go in chunks: the lead stays one chunk (~23 ms).
    device->Advance(44100);
    uint32_t end = (124 + 44100) % 1000;
    EXPECT_EQ(GetCursors(*b), (Cursors{(end + 1000 - 68) % 1000 * 4, end * 4}));
    EXPECT_EQ(44100 % 1024, 68);
}

TEST_F(AudioBufferFixture, OneShotEndsStoppedAtZero)
{
    auto b = MakeBuffer({22050, 1, 16}, 2000); // 1,000 frames at half rate
    WriteBuffer(*b, 0, std::vector<uint8_t>(2000, 0x11));
    b->Play(0);
    EXPECT_EQ(Status(*b), kAudioStatusPlaying);
    device->Advance(1998); // 999 source frames
    EXPECT_EQ(GetCursors(*b), (Cursors{1998 - 1998 % 1024 / 2 * 2, 1998}));
    device->Advance(2);
    EXPECT_EQ(Status(*b), 0u);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 0}));
    device->Advance(500);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 0}));
    // Played again, it starts over from the beginning.
    b->Play(0);
    device->Advance(10);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 10}));
}

TEST_F(AudioBufferFixture, StopPausesAndPlayResumes)
{
    auto b = MakeBuffer();
    b->Play(kAudioPlayLooping);
    device->Advance(300);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 1200}));
    b->Stop();
    // Stopped: write == play, at what the mixer had taken.
    EXPECT_EQ(GetCursors(*b), (Cursors{1200, 1200}));
    EXPECT_EQ(Status(*b), 0u);
    device->Advance(500);
    EXPECT_EQ(GetCursors(*b), (Cursors{1200, 1200}));
    b->Play(0); // resumes there, now one-shot
    EXPECT_EQ(Status(*b), kAudioStatusPlaying);
    device->Advance(100);
    EXPECT_EQ(GetCursors(*b), (Cursors{1200, 1600}));
    device->Advance(600);
    EXPECT_EQ(Status(*b), 0u);
    EXPECT_EQ(GetCursors(*b), (Cursors{0, 0}));
}

TEST_F(AudioBufferFixture, LockSplitsAtTheWrap)
{
    auto b = MakeBuffer();
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(3000, 2000, &p1, &n1, &p2, &n2), AudioResult::Ok);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(n2, 1000u);
    ASSERT_NE(p2, nullptr);
    memset(p1, 0xAA, n1);
    memset(p2, 0xBB, n2);
    // Nothing lands before Unlock; a second Lock waits for it.
    void *q1 = nullptr;
    uint32_t m1 = 0;
    EXPECT_EQ(b->Lock(0, 4, &q1, &m1, nullptr, nullptr), AudioResult::Failed);
    EXPECT_EQ(b->Unlock(p2, n1, p2, n2), AudioResult::InvalidParam);   // wrong pointer
    EXPECT_EQ(b->Unlock(p1, n1 + 1, p2, n2), AudioResult::InvalidParam); // more than locked
    EXPECT_EQ(b->Unlock(p1, n1, p1, n2), AudioResult::InvalidParam);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), AudioResult::Ok);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), AudioResult::InvalidParam); // not locked

    auto bytes = ReadBuffer(*b);
    ASSERT_EQ(bytes.size(), 4000u);
    EXPECT_EQ(bytes[0], 0xBB);
    EXPECT_EQ(bytes[999], 0xBB);
    EXPECT_EQ(bytes[1000], 0x00);
    EXPECT_EQ(bytes[2999], 0x00);
    EXPECT_EQ(bytes[3000], 0xAA);
    EXPECT_EQ(bytes[3999], 0xAA);

    // Without a wrap the second part is empty; Lock shows what is there;
    // Unlock writes only the bytes it is given back.
    ASSERT_EQ(b->Lock(2998, 1000, &p1, &n1, &p2, &n2), AudioResult::Ok);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(static_cast<uint8_t*>(p1)[1], 0x00);
    EXPECT_EQ(static_cast<uint8_t*>(p1)[2], 0xAA);
    memset(p1, 0xCC, n1);
    ASSERT_EQ(b->Unlock(p1, 2, nullptr, 0), AudioResult::Ok);
    bytes = ReadBuffer(*b);
    EXPECT_EQ(bytes[2998], 0xCC);
    EXPECT_EQ(bytes[2999], 0xCC);
    EXPECT_EQ(bytes[3000], 0xAA);

    // Without a second pointer the lock stops at the end of the ring.
    ASSERT_EQ(b->Lock(3990, 100, &p1, &n1, nullptr, nullptr), AudioResult::Ok);
    EXPECT_EQ(n1, 10u);
    ASSERT_EQ(b->Unlock(p1, n1, nullptr, 0), AudioResult::Ok);

    static const struct {
        uint32_t offset, bytes;
    } bad[] = {{4000, 4}, {0, 0}, {0, 4001}, {0xFFFFFFFF, 4}};
    for (const auto& c : bad)
        EXPECT_EQ(b->Lock(c.offset, c.bytes, &p1, &n1, &p2, &n2), AudioResult::InvalidParam)
            << c.offset << " " << c.bytes;
    EXPECT_EQ(b->Lock(0, 4, nullptr, &n1, &p2, &n2), AudioResult::InvalidParam);
}

TEST_F(AudioBufferFixture, VolumeRangeAndNotifications)
{
    auto b = MakeBuffer();
    static const struct {
        int32_t centibels;
        AudioResult result;
    } cases[] = {{-2500, AudioResult::Ok},           {kAudioVolumeMin, AudioResult::Ok},
                 {kAudioVolumeMax, AudioResult::Ok}, {-10001, AudioResult::InvalidParam},
                 {1, AudioResult::InvalidParam},     {-3000, AudioResult::Ok}};
    int32_t expected = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(b->SetVolume(c.centibels), c.result) << c.centibels;
        if (c.result == AudioResult::Ok)
            expected = c.centibels;
        int32_t v = 1;
        EXPECT_EQ(b->GetVolume(&v), AudioResult::Ok);
        EXPECT_EQ(v, expected) << "after " << c.centibels;
    }
    EXPECT_EQ(b->GetVolume(nullptr), AudioResult::InvalidParam);
    EXPECT_EQ(b->GetStatus(nullptr), AudioResult::InvalidParam);
    EXPECT_EQ(b->Restore(), AudioResult::Ok);

    auto* ring = dynamic_cast<AudioRingBuffer*>(b.get());
    ASSERT_NE(ring, nullptr);
    const uint32_t good[] = {0, 2000, kAudioOffsetStop};
    EXPECT_EQ(b->SetNotificationPositions(good, 3), AudioResult::Ok);
    EXPECT_EQ(ring->GetNotificationPositions(), (std::vector<uint32_t>{0, 2000, kAudioOffsetStop}));
    const uint32_t outside[] = {0, 4000};
    EXPECT_EQ(b->SetNotificationPositions(outside, 2), AudioResult::InvalidParam);
    EXPECT_EQ(b->SetNotificationPositions(nullptr, 1), AudioResult::InvalidParam);
    EXPECT_EQ(ring->GetNotificationPositions().size(), 3u);
}

TEST_F(AudioBufferFixture, BuffersOutliveTheirDevice)
{
    auto playing = MakeBuffer();
    auto other = MakeBuffer();
    playing->Play(kAudioPlayLooping);
    device->Advance(10);
    // Deleting a playing buffer takes it out of the mix at once.
    other->Play(kAudioPlayLooping);
    other.reset();
    device->Advance(10);
    device.reset();
    EXPECT_EQ(GetCursors(*playing), (Cursors{40, 80}));
    WriteBuffer(*playing, 3996, std::vector<uint8_t>(8, 1));
    EXPECT_EQ(playing->Stop(), AudioResult::Ok);
    playing.reset();
}
