#include "game/show/event/CoreEvents.h"

#include "platform/Log.h"

namespace KEvent {

eDummy::eDummy()
{
    SetName("Dummy Event");
}

void eDummy::Start()
{
    Event::Start();
    Finish();
}

std::shared_ptr<eDummy> MakeDummy()
{
    return Create<eDummy>();
}

eWaitTime::eWaitTime(uint32_t milliseconds) : mDuration(milliseconds)
{
    SetName(StrFormat("eWaitTime(%d)", int32_t(milliseconds)));
}

void eWaitTime::Start()
{
    mClock.Reset();
    mClock.Start();
    Update();
    Event::Start();
}

void eWaitTime::Update()
{
    if (!IsFinished() && mClock.GetTime() > mDuration)
        Finish();
}

std::shared_ptr<eWaitTime> MakeWaitTime(uint32_t milliseconds)
{
    return Create<eWaitTime>(milliseconds);
}

eWrapper::eWrapper(const std::shared_ptr<Event>& first, const std::shared_ptr<Event>& last)
    : mFirst(first), mLast(last)
{
    SetName("eWrapper");
    if (!first || !last)
        WriteLog("eWrapper made without a %s event", first ? "last" : "first");
    if (last)
        AppendPrerequisite(last);
}

void eWrapper::AddPrerequisite(const std::shared_ptr<Event>& prerequisite)
{
    if (mFirst)
        mFirst->AddPrerequisite(prerequisite);
}

void eWrapper::Start()
{
    Event::Start();
    Finish();
}

void eWrapper::SkipBackwards(const std::shared_ptr<Event>& event, std::unordered_set<Event*>& seen)
{
    // Each event once: a wide fan-in cannot make the walk explode, nor a
    // linked cycle endless.
    if (!event || !seen.insert(event.get()).second)
        return;
    if (event != mFirst) {
        // A copy: a skip may change the list.
        const std::vector<std::shared_ptr<Event>> prerequisites = event->GetPrerequisites();
        for (const std::shared_ptr<Event>& prerequisite : prerequisites)
            SkipBackwards(prerequisite, seen);
    }
    event->Skip();
}

void eWrapper::Skip()
{
    std::unordered_set<Event*> seen;
    SkipBackwards(mLast, seen);
    if (mFirst)
        mFirst->Skip();
    Event::Skip();
}

std::shared_ptr<eWrapper> MakeWrapper(const std::shared_ptr<Event>& first, const std::shared_ptr<Event>& last)
{
    return Create<eWrapper>(first, last);
}

} // namespace KEvent
