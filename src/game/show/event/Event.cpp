#include "game/show/event/Event.h"

#include "game/show/event/EventManager.h"
#include "platform/Log.h"

namespace KEvent {

namespace {

// Unsigned: wrapping after 2^32 events is defined.
uint32_t gNextId = 0;

} // namespace

Event::Event() : mName("<Unamed>"), mId(int32_t(gNextId++))
{
}

Event::~Event() = default;

int32_t Event::PeekNextId()
{
    return int32_t(gNextId);
}

void Event::Register()
{
    EventManager* manager = EventManager::Instance();
    if (!manager) {
        // After shut-down nothing runs events any more.
        WriteLog("Event %d (%s) made after the event manager was destroyed; it never runs", mId, mName.c_str());
        return;
    }
    manager->Add(GetSharedPtr());
}

void Event::AddPrerequisite(const std::shared_ptr<Event>& prerequisite)
{
    EventManager* manager = EventManager::Instance();
    if (!manager) {
        if (prerequisite)
            mPrerequisites.push_back(prerequisite);
        return;
    }
    std::shared_ptr<Event> self = GetSharedPtr();
    if (self && !manager->Contains(self))
        manager->Add(self); // finished and pruned: it runs again
    if (manager->Contains(prerequisite))
        mPrerequisites.push_back(prerequisite);
}

void Event::Start()
{
    mStarted = true;
}

void Event::Finish()
{
    mFinished = true;
    EventManager* manager = EventManager::Instance();
    std::shared_ptr<Event> self = GetSharedPtr();
    if (manager && self)
        manager->OnEventFinished(self);
}

void Event::Update()
{
}

void Event::Skip()
{
    Finish();
}

} // namespace KEvent
