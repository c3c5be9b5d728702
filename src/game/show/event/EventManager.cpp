#include "game/show/event/EventManager.h"

#include "ui/WindowManager.h"

namespace KEvent {

namespace {

enum : uint8_t {
    kOnNoList = 0,
    kOnPending = 1,
    kOnRunning = 2,
};

EventManager* gManager = nullptr;
bool gDestroyed = false;

} // namespace

EventManager* EventManager::Instance()
{
    if (!gManager && !gDestroyed)
        gManager = new EventManager();
    return gManager;
}

void EventManager::Destroy()
{
    // Cleared first: events released below see no manager.
    EventManager* manager = gManager;
    gManager = nullptr;
    gDestroyed = true;
    delete manager;
}

void EventManager::AllowRecreateForTests()
{
    gDestroyed = false;
}

bool EventManager::Contains(const Event* event) const
{
    if (!event)
        return false;
    auto it = mIds.find(event->mId);
    return it != mIds.end() && it->second;
}

void EventManager::Add(const std::shared_ptr<Event>& event)
{
    if (!event || Contains(event))
        return;
    TakeOff(event.get());
    mIds[event->mId] = event;
    Append(mPending, kOnPending, event);
}

void EventManager::OnEventFinished(const std::shared_ptr<Event>& event)
{
    if (event)
        mFinished.push_back(event);
}

void EventManager::Append(List& list, uint8_t which, const std::shared_ptr<Event>& event)
{
    event->mList = which;
    event->mListIndex = list.size();
    list.push_back(event);
}

void EventManager::TakeOff(Event* event)
{
    List* list = event->mList == kOnPending ? &mPending : event->mList == kOnRunning ? &mRunning : nullptr;
    if (!list)
        return;
    size_t& holes = list == &mPending ? mPendingHoles : mRunningHoles;
    const size_t index = event->mListIndex;
    if (index < list->size() && (*list)[index].get() == event) {
        (*list)[index].reset();
        ++holes;
    }
    event->mList = kOnNoList;
}

void EventManager::CloseHoles(List& list, size_t& holes)
{
    if (holes == 0)
        return;
    size_t out = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i])
            continue;
        list[i]->mListIndex = out;
        if (out != i)
            list[out] = std::move(list[i]);
        ++out;
    }
    list.resize(out);
    holes = 0;
}

void EventManager::PruneFinished()
{
    // Taken out first: an event finished while these are released (by a
    // destructor) waits for the next prune.
    List finished;
    finished.swap(mFinished);
    for (const std::shared_ptr<Event>& event : finished) {
        mIds.erase(event->mId);
        TakeOff(event.get());
    }
    // The events nobody else holds go with the local list, after the walk.
}

void EventManager::Update()
{
    PruneFinished();

    List ready;
    for (size_t i = 0; i < mPending.size(); ++i) {
        const Event* event = mPending[i].get();
        if (!event)
            continue;
        bool waiting = false;
        for (const std::shared_ptr<Event>& prerequisite : event->mPrerequisites)
            if (Contains(prerequisite)) {
                waiting = true;
                break;
            }
        if (!waiting)
            ready.push_back(mPending[i]);
    }

    // By index: an update may add events (pending) or empty the manager.
    for (size_t i = 0; i < mRunning.size(); ++i) {
        std::shared_ptr<Event> event = mRunning[i];
        if (event)
            event->Update();
    }

    // Started even when a start before them emptied the manager.
    for (const std::shared_ptr<Event>& event : ready) {
        TakeOff(event.get());
        Append(mRunning, kOnRunning, event);
        event->Start();
    }

    if (!ready.empty())
        if (TWindowManager* windows = GetWindowManager())
            windows->Invalidate();

    CloseHoles(mPending, mPendingHoles);
    CloseHoles(mRunning, mRunningHoles);
}

void EventManager::SkipAll()
{
    PruneFinished();
    // Taken out before anything is skipped: a skip cannot change what is
    // walked, and what it builds belongs to the next show.
    List running, pending;
    running.swap(mRunning);
    pending.swap(mPending);
    mRunningHoles = mPendingHoles = 0;
    std::unordered_map<int32_t, std::shared_ptr<Event>> ids;
    ids.swap(mIds);
    for (List* list : {&running, &pending})
        for (const std::shared_ptr<Event>& event : *list)
            if (event)
                event->mList = kOnNoList;

    for (List* list : {&running, &pending})
        for (const std::shared_ptr<Event>& event : *list)
            if (event)
                event->Skip();

    // Finishes reported by the skips are of events no longer held.
    List finished;
    for (std::shared_ptr<Event>& event : mFinished)
        if (Contains(event))
            finished.push_back(std::move(event));
    mFinished.swap(finished);
}

} // namespace KEvent
