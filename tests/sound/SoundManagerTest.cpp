#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "os/audio/AudioDevice.h"
#include "sound/SoundManager.h"

namespace {

// No sound card is opened by these tests.
const AudioDeviceOptions kNullDevice{AudioBackend::Null, ""};

std::atomic<uint32_t> gNow{0};
uint32_t TestClock()
{
    return gNow.load();
}

AudioDeviceOptions NullDevice()
{
    AudioDeviceOptions options;
    options.backend = AudioBackend::Null;
    return options;
}

TEST(SoundManager, InitStartsOneThreadAndIsIdempotent)
{
    TSoundManager manager;
    EXPECT_FALSE(manager.IsInitialised());
    EXPECT_FALSE(manager.IsThreadRunning());
    EXPECT_TRUE(manager.Init(NullDevice()));
    EXPECT_TRUE(manager.IsThreadRunning());
    EXPECT_TRUE(manager.Init(NullDevice()));
    EXPECT_TRUE(manager.IsInitialised());
    EXPECT_NE(manager.GetDevice(), nullptr);
}

TEST(SoundManager, WithoutADeviceTheThreadRunsAllTheSame)
{
    AudioDeviceOptions none;
    none.backend = AudioBackend::None;
    TSoundManager manager;
    EXPECT_FALSE(manager.Init(none));
    EXPECT_FALSE(manager.IsInitialised());
    EXPECT_TRUE(manager.IsThreadRunning());
    EXPECT_EQ(manager.GetDevice(), nullptr);
    // A later attempt may still open one, and starts no second thread.
    EXPECT_TRUE(manager.Init(NullDevice()));
    EXPECT_TRUE(manager.IsInitialised());
}

TEST(SoundManager, TheLatestLiveManagerIsCurrent)
{
    auto first = std::make_unique<TSoundManager>();
    EXPECT_EQ(TSoundManager::Current(), first.get());
    auto second = std::make_unique<TSoundManager>();
    EXPECT_EQ(TSoundManager::Current(), second.get());
    first.reset();
    EXPECT_EQ(TSoundManager::Current(), second.get());
    second.reset();
    EXPECT_EQ(TSoundManager::Current(), nullptr);
}

TEST(SoundManager, DestructorEndsTheThreadPromptly)
{
    auto manager = std::make_unique<TSoundManager>();
    manager->Init(kNullDevice);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto start = std::chrono::steady_clock::now();
    manager.reset();
    auto took = std::chrono::steady_clock::now() - start;
    // The thread sleeps 50 ms between ticks; stopping must not wait for it.
    EXPECT_LT(took, std::chrono::milliseconds(40));
}

TEST(SoundManager, ThreadPollsAtMostEvery500Ms)
{
    gNow = 1000;
    TSoundManager manager;
    manager.SetPollClock(&TestClock);
    manager.Init(kNullDevice);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_EQ(manager.GetPollCount(), 0u) << "the clock stood still";

    gNow = 1501;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (manager.GetPollCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(manager.GetPollCount(), 1u);
}

TEST(SoundManager, UpdatePollIntervalTable)
{
    TSoundManager manager;
    gNow = 0xFFFFFF00u; // the clock wraps in the middle
    manager.SetPollClock(&TestClock);
    struct Step {
        uint32_t advance;
        uint32_t polls;
    };
    const Step steps[] = {
        {0, 0}, {500, 0}, {1, 1}, {1, 1}, {499, 1}, {1, 2}, {5000, 3},
    };
    for (const Step& step : steps) {
        gNow += step.advance;
        manager.Update(false);
        EXPECT_EQ(manager.GetPollCount(), step.polls) << "after +" << step.advance;
    }
}

TEST(SoundManager, GroupVolumes)
{
    TSoundManager manager;
    EXPECT_FLOAT_EQ(manager.GetGroupVolume(-1), 1.0f);
    manager.SetMasterVolume(0.8f);
    EXPECT_FLOAT_EQ(manager.GetGroupVolume(-1), 0.8f);
    EXPECT_FLOAT_EQ(manager.GetGroupVolume(1000), 0.8f) << "a group without its own volume";
    manager.SetGroupVolume(1000, 0.5f);
    EXPECT_EQ(manager.GetGroupVolume(1000), float(double(0.8f) * double(0.5f)));
    EXPECT_FLOAT_EQ(manager.GetGroupVolume(3000), 0.8f);
    manager.SetMasterVolume(0.0f);
    EXPECT_EQ(manager.GetGroupVolume(1000), 0.0f);
    EXPECT_EQ(manager.GetGroupVolume(-1), 0.0f);
}

TEST(SoundManager, EnabledFlag)
{
    TSoundManager manager;
    EXPECT_TRUE(manager.IsEnabled());
    manager.SetEnabled(false);
    EXPECT_FALSE(manager.IsEnabled());
    manager.SetEnabled(true);
    EXPECT_TRUE(manager.IsEnabled());
}

TEST(SoundManager, CompletionsRunOnTheDispatchingThreadInOrder)
{
    TSoundManager manager;
    manager.Init(kNullDevice);
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    std::thread producer([&] {
        for (int i = 0; i < 3; ++i)
            manager.QueueCompletion([&, i] {
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
    });
    producer.join();
    EXPECT_TRUE(order.empty()) << "nothing runs before the dispatch";

    manager.DispatchCallbacks();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    for (std::thread::id id : threads)
        EXPECT_EQ(id, std::this_thread::get_id());

    manager.DispatchCallbacks();
    EXPECT_EQ(order.size(), 3u) << "each completion runs once";
}

TEST(SoundManager, CompletionQueuedDuringDispatchWaitsForTheNextOne)
{
    TSoundManager manager;
    int runs = 0;
    manager.QueueCompletion([&] {
        ++runs;
        // Manager operations nest under the lock.
        EXPECT_FLOAT_EQ(manager.GetGroupVolume(-1), 1.0f);
        manager.QueueCompletion([&] { runs += 10; });
    });
    manager.DispatchCallbacks();
    EXPECT_EQ(runs, 1);
    manager.DispatchCallbacks();
    EXPECT_EQ(runs, 11);
}

TEST(SoundManager, DestructionDropsQueuedCompletions)
{
    bool ran = false;
    {
        TSoundManager manager;
        manager.Init(kNullDevice);
        manager.QueueCompletion([&] { ran = true; });
    }
    EXPECT_FALSE(ran);
}

} // namespace
