#pragma once
// Event chains checked as traces: a test event that records its start,
// updates, finish and skip with the pass they happened in, a fixture with a
// fresh event manager and a hand-moved application clock.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/show/event/Event.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/ShowLinks.h"
#include "platform/Timer.h"

namespace eventtest {

inline uint32_t gNow = 0;
inline uint32_t FakeTime()
{
    return gNow;
}

// "pass:what:name" entries; pass 0 is before the first pass.
inline std::vector<std::string> gTrace;
inline int gPass = 0;

inline void Note(const std::string& what, const std::string& name)
{
    gTrace.push_back(std::to_string(gPass) + ":" + what + ":" + name);
}

// How a trace event ends by itself.
enum class Ends {
    Instant, // in its Start
    Updates, // in its n-th Update
    Never,   // only when finished or skipped from outside
};

class eTrace : public KEvent::Event {
public:
    eTrace(std::string label, Ends ends, int updates) : mLabel(std::move(label)), mEnds(ends), mUpdatesLeft(updates)
    {
        SetName(TString(mLabel.c_str()));
    }
    ~eTrace() override
    {
        if (onDestroy)
            onDestroy();
    }
    void Start() override
    {
        Note("start", mLabel);
        Event::Start();
        if (onStart)
            onStart();
        if (mEnds == Ends::Instant)
            Finish();
    }
    void Update() override
    {
        Note("update", mLabel);
        if (mEnds == Ends::Updates && --mUpdatesLeft == 0)
            Finish();
    }
    void Finish() override
    {
        Note("finish", mLabel);
        Event::Finish();
    }
    void Skip() override
    {
        Note("skip", mLabel);
        Event::Skip();
    }

    std::function<void()> onStart;
    std::function<void()> onDestroy;

private:
    std::string mLabel;
    Ends mEnds;
    int mUpdatesLeft;
};

inline std::shared_ptr<eTrace> Instant(const std::string& label)
{
    return KEvent::Create<eTrace>(label, Ends::Instant, 0);
}
inline std::shared_ptr<eTrace> AfterUpdates(const std::string& label, int updates)
{
    return KEvent::Create<eTrace>(label, Ends::Updates, updates);
}
inline std::shared_ptr<eTrace> Manual(const std::string& label)
{
    return KEvent::Create<eTrace>(label, Ends::Never, 0);
}

// The trace entries of one kind ("start", "finish", ...), as "pass:name".
inline std::vector<std::string> Only(const std::string& what)
{
    std::vector<std::string> out;
    for (const std::string& entry : gTrace) {
        const size_t colon = entry.find(':');
        const size_t second = entry.find(':', colon + 1);
        if (entry.compare(colon + 1, second - colon - 1, what) == 0)
            out.push_back(entry.substr(0, colon) + ":" + entry.substr(second + 1));
    }
    return out;
}

// A new, empty event manager.
inline void FreshEventManager()
{
    KEvent::EventManager::Destroy();
    KEvent::EventManager::AllowRecreateForTests();
}

class EventFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        gTrace.clear();
        gPass = 0;
        gNow = 50000;
        SetTimerSource(FakeTime);
        FreshManager();
    }
    void TearDown() override
    {
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        KEvent::SetShowLink(nullptr);
        KEvent::SetCastLink(nullptr);
        KEvent::SetPodiumLights(nullptr);
        KEvent::SetConfettiFactory(nullptr);
        SetTimerSource(nullptr);
    }
    static void FreshManager() { FreshEventManager(); }
    static KEvent::EventManager& Manager() { return *KEvent::EventManager::Instance(); }
    // One pass, as the event trigger runs it.
    static void Pass(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ++gPass;
            Manager().Update();
        }
    }
};

} // namespace eventtest
