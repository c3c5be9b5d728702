#include "game/show/event/EventTrigger.h"

#include "game/show/event/EventManager.h"
#include "platform/TaskList.h"

namespace KEvent {

EventTrigger::EventTrigger(TTaskList* tasks, std::function<void()> afterEvents)
    : TAnimTask(nullptr), mTasks(tasks), mAfterEvents(std::move(afterEvents))
{
    SetPerFrame(true);
    if (mTasks)
        mTasks->Add(this);
}

EventTrigger::~EventTrigger()
{
    if (mTasks)
        mTasks->Remove(this);
}

bool EventTrigger::Update()
{
    if (EventManager* manager = EventManager::Instance())
        manager->Update();
    if (mAfterEvents)
        mAfterEvents();
    return true;
}

EventTrigger* InstallEventTrigger(TTaskList& tasks, std::function<void()> afterEvents)
{
    return new EventTrigger(&tasks, std::move(afterEvents));
}

} // namespace KEvent
