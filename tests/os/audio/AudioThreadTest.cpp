// The device lock under load: one thread mixes while another writes,
// plays, stops, changes volume and deletes buffers. Run under the thread
// sanitizer this shows the mixer never touches what callers write.
#include <atomic>
#include <thread>

#include "AudioTestSupport.h"
#include "os/audio/AudioDevice.h"

TEST(AudioThreads, MixingWhileBuffersChange)
{
    std::unique_ptr<AudioDevice> device;
    ASSERT_EQ(AudioCreateDevice({AudioBackend::Null, {}}, &device), AudioResult::Ok);

    // A buffer that plays throughout: its cursor proves the mixer ran.
    std::unique_ptr<AudioBuffer> steady;
    ASSERT_EQ(device->CreateBuffer({22050, 1, 16}, 22050 * 2, &steady), AudioResult::Ok);
    steady->Play(kAudioPlayLooping);

    std::atomic<bool> done{false};
    std::atomic<uint32_t> mixed{0};
    std::thread mixer([&] {
        while (!done.load()) {
            device->Advance(1024);
            mixed.fetch_add(1);
            // Leave the lock free a moment, as a sound card's pauses would.
            std::this_thread::yield();
        }
    });

    const std::vector<uint8_t> block(4096, 0x40);
    uint32_t rounds = 0;
    while (rounds < 100 || mixed.load() < 20) {
        std::unique_ptr<AudioBuffer> b;
        const AudioFormat format{rounds % 2 ? 44100u : 11025u, uint16_t(1 + rounds % 2), 16};
        ASSERT_EQ(device->CreateBuffer(format, 8192, &b), AudioResult::Ok);
        b->Play(rounds % 3 ? kAudioPlayLooping : 0);
        for (uint32_t k = 0; k < 4; ++k) {
            uint32_t play = 0, write = 0;
            ASSERT_EQ(b->GetCurrentPosition(&play, &write), AudioResult::Ok);
            ASSERT_LT(play, 8192u);
            ASSERT_LT(write, 8192u);
            WriteBuffer(*b, (write + 2048) % 8192, block);
            ASSERT_EQ(b->SetVolume(-int32_t((rounds * 37 + k * 500) % 10001)), AudioResult::Ok);
            if (k == 2)
                b->Stop();
            if (k == 3)
                b->Play(kAudioPlayLooping);
            std::this_thread::yield();
        }
        ++rounds;
        // b is deleted here, possibly in the middle of being mixed.
    }
    done.store(true);
    mixer.join();

    const uint32_t chunks = mixed.load();
    Cursors c = GetCursors(*steady);
    // 1,024 output frames are 512 source frames of the 22,050 Hz buffer.
    EXPECT_EQ(c.write, uint64_t(chunks) * 512 * 2 % (22050 * 2));
    EXPECT_EQ((c.write + 44100 - c.play) % 44100, chunks ? 1024u : 0u);
}
