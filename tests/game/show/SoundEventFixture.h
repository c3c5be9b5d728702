#pragma once
// Show events that play sounds, on the null audio device with a hand-moved
// clock: a fresh event manager, and passes 50 ms apart with the finished
// sounds reported.
#include "EventTestSupport.h"
#include "game/show/event/EventManager.h"
#include "sound/SoundTestSupport.h"

class SoundEventFixture : public SoundFixture {
protected:
    void SetUp() override
    {
        SoundFixture::SetUp();
        eventtest::FreshEventManager();
    }
    void TearDown() override
    {
        eventtest::FreshEventManager();
        SoundFixture::TearDown();
    }
    static void Pass() { KEvent::EventManager::Instance()->Update(); }
    // A pass, then 50 ms moved and the finished-sound callbacks run, until
    // the event finishes; the milliseconds it took.
    uint32_t RunUntilFinished(const KEvent::Event& event, uint32_t limitMs)
    {
        uint32_t elapsed = 0;
        while (!event.IsFinished() && elapsed < limitMs) {
            Pass();
            Step(50);
            mManager->DispatchCallbacks();
            elapsed += 50;
        }
        return elapsed;
    }
};
