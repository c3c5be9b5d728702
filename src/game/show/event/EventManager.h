#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "game/show/event/Event.h"

namespace KEvent {

// Holds every event that has not yet finished and drives them, one pass per
// run of the event trigger. The one manager is made on first use; once
// destroyed it is never made again.
//
// A pass (Update): prune what finished since the last pass; collect the
// pending events none of whose prerequisites is still held; update the
// running events (the collected ones not yet); move the collected ones to
// the running list and start them; invalidate the window manager when any
// started. So a chain of k instant events takes k passes, and an event
// waiting for several starts in the pass after the last of them is pruned.
//
// The lists are never walked while a callee can change them: removals leave
// holes that are closed after the walks, SkipAll takes the lists out before
// it skips, and pruning takes the finished list out first (an event
// finished meanwhile is pruned in the next pass). Main thread only.
class EventManager {
public:
    // The manager, made on first use; null once destroyed.
    static EventManager* Instance();
    // Deletes the manager (releasing its events); it is not made again.
    static void Destroy();
    // Tests only: lets Instance make a manager again after Destroy.
    static void AllowRecreateForTests();

    EventManager(const EventManager&) = delete;
    EventManager& operator=(const EventManager&) = delete;

    // Registers an event that is not in the manager (pending).
    void Add(const std::shared_ptr<Event>& event);
    // Whether the id map holds the event; false for null.
    bool Contains(const std::shared_ptr<Event>& event) const { return Contains(event.get()); }
    bool Contains(const Event* event) const;
    // Called by Event::Finish.
    void OnEventFinished(const std::shared_ptr<Event>& event);
    // Drops every event reported finished since the last prune.
    void PruneFinished();
    // One pass (the event trigger's).
    void Update();
    // Skips every running event, then every pending one (never started),
    // and forgets them all.
    void SkipAll();

    // Events held (the id map).
    size_t GetCount() const { return mIds.size(); }
    size_t GetRunningCount() const { return mRunning.size() - mRunningHoles; }
    size_t GetPendingCount() const { return mPending.size() - mPendingHoles; }

private:
    EventManager() = default;
    ~EventManager() = default;

    using List = std::vector<std::shared_ptr<Event>>;
    void Append(List& list, uint8_t which, const std::shared_ptr<Event>& event);
    // Takes the event off the list it is on (leaves a hole).
    void TakeOff(Event* event);
    void CloseHoles(List& list, size_t& holes);

    List mRunning;
    List mPending;
    List mFinished;
    size_t mRunningHoles = 0;
    size_t mPendingHoles = 0;
    std::unordered_map<int32_t, std::shared_ptr<Event>> mIds;
};

} // namespace KEvent
