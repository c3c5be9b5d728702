#pragma once
#include <cstdint>
#include <memory>
#include <unordered_set>

#include "game/show/event/Event.h"
#include "platform/Clock.h"

namespace KEvent {

// Does nothing and finishes as it starts; what builders return when they
// have nothing to do, so that callers can always link the result.
class eDummy : public Event {
public:
    eDummy();
    void Start() override;
};
std::shared_ptr<eDummy> MakeDummy();

// Finishes in the first pass in which more than the duration has passed
// since its start, on the application time.
class eWaitTime : public Event {
public:
    explicit eWaitTime(uint32_t milliseconds);
    void Start() override;
    void Update() override;

private:
    uint32_t mDuration;
    TClock mClock;
};
std::shared_ptr<eWaitTime> MakeWaitTime(uint32_t milliseconds);

// Stands for a chain first ... last that the caller has already linked: it
// waits for last, hands prerequisites given to it on to first, and skipping
// it skips the chain backwards from last to first.
class eWrapper : public Event {
public:
    eWrapper(const std::shared_ptr<Event>& first, const std::shared_ptr<Event>& last);
    void AddPrerequisite(const std::shared_ptr<Event>& prerequisite) override;
    void Start() override;
    void Skip() override;

private:
    void SkipBackwards(const std::shared_ptr<Event>& event, std::unordered_set<Event*>& seen);

    std::shared_ptr<Event> mFirst;
    std::shared_ptr<Event> mLast;
};
std::shared_ptr<eWrapper> MakeWrapper(const std::shared_ptr<Event>& first, const std::shared_ptr<Event>& last);

} // namespace KEvent
