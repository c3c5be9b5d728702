// Messages that other threads (sound, cursor) post reach the event pump.
#include "PumpTestSupport.h"

#include <chrono>
#include <thread>

namespace {

using EventPumpThreads = PumpFixture;

TEST_F(EventPumpThreads, AnotherThreadsPostEndsTheIdleStepsWithItsEvent)
{
    std::thread poster([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        OsPostMessage(window, OsMsg::KeyDown, 'B', 0);
        OsPostMessage(window, OsMsg::User, 0, 0);
    });
    std::vector<TPlatformEvent> events;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (events.size() < 2 && std::chrono::steady_clock::now() < end) {
        TPlatformEvent e = Pump();
        if (e.type != kEventIdle)
            events.push_back(e);
    }
    poster.join();
    const std::vector<TPlatformEvent> expected = {Ev(kEventKeyDown, 'B'), Ev(kEventNothing)};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(Pump().type, kEventIdle);
}

} // namespace
