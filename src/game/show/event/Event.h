#pragma once
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/TString.h"

namespace KEvent {

class EventManager;

// One step of the show's event chains: it waits for its prerequisites,
// starts once none of them is still held by the event manager, does its
// work (in Start, over time in Update, or when told from outside) and
// finishes. Events are always held by shared pointers; nobody deletes one.
// A dependent holds its prerequisites, so they live at least as long.
//
// Construction scheme, the same for every event class of the program:
//   1. the class's constructor takes its arguments, stores its fields and
//      sets its name. It must not need the event's own shared pointer: there
//      is none yet (GetSharedPtr answers empty);
//   2. KEvent::Create<T>(args...) makes the event with std::make_shared and
//      registers it with the event manager (pending list and id map), which
//      from then on co-owns it;
//   3. Create then calls the event's OnCreated, where the work that needs
//      the event's own pointer is done (a window spy holding the event, a
//      callback that points back at it).
// A class offers a factory function (MakeWaitTime and the like) that
// returns Create<eItsClass>(...). Ids come from one counter in the base
// constructor, so they follow construction order.
//
// Main thread only.
class Event : public std::enable_shared_from_this<Event> {
public:
    Event();
    virtual ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Makes this event wait for the prerequisite while the manager still
    // holds it; an event no longer in the manager is registered again (and
    // will start again). A null or pruned prerequisite is ignored.
    virtual void AddPrerequisite(const std::shared_ptr<Event>& prerequisite);
    // Called by the manager when the event leaves the pending list. Base:
    // marks it started. Instant classes call Finish before returning.
    virtual void Start();
    // Marks it finished and reports it to the manager; harmless twice.
    virtual void Finish();
    // Once per pass while running, from the pass after its start. Base: none.
    virtual void Update();
    // Ends it now, whatever it was doing. Base: Finish.
    virtual void Skip();

    // The event's owning pointer; empty while it is being constructed or
    // destroyed.
    std::shared_ptr<Event> GetSharedPtr() { return weak_from_this().lock(); }

    // next waits for this event; returns next, so chains read
    // a->Then(b)->Then(c).
    template <class T>
    const std::shared_ptr<T>& Then(const std::shared_ptr<T>& next)
    {
        if (next)
            next->AddPrerequisite(GetSharedPtr());
        return next;
    }

    int32_t GetId() const { return mId; }
    const TString& GetName() const { return mName; }
    bool IsStarted() const { return mStarted; }
    bool IsFinished() const { return mFinished; }
    const std::vector<std::shared_ptr<Event>>& GetPrerequisites() const { return mPrerequisites; }

    // The id the next event will get.
    static int32_t PeekNextId();

protected:
    // Step 3 of the construction scheme. Base: nothing.
    virtual void OnCreated() {}
    void SetName(const TString& name) { mName = name; }
    // Appends without the manager's checks (a wrapper's own wait).
    void AppendPrerequisite(const std::shared_ptr<Event>& prerequisite) { mPrerequisites.push_back(prerequisite); }

private:
    template <class T, class... Args>
    friend std::shared_ptr<T> Create(Args&&... args);
    friend class EventManager;

    // Step 2 of the construction scheme.
    void Register();

    std::vector<std::shared_ptr<Event>> mPrerequisites;
    TString mName;
    bool mStarted = false;
    bool mFinished = false;
    int32_t mId;
    // The manager's bookkeeping: which of its lists holds the event, where.
    uint8_t mList = 0;
    size_t mListIndex = 0;
};

// The one way to make an event (see the construction scheme above).
template <class T, class... Args>
std::shared_ptr<T> Create(Args&&... args)
{
    static_assert(std::is_base_of_v<Event, T>, "events derive from KEvent::Event");
    std::shared_ptr<T> event = std::make_shared<T>(std::forward<Args>(args)...);
    Event& base = *event;
    base.Register();
    base.OnCreated();
    return event;
}

using EventPtr = std::shared_ptr<Event>;

} // namespace KEvent
