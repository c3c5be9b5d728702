#pragma once
#include <functional>

#include "platform/Task.h"

class TTaskList;

namespace KEvent {

// The task that runs one event pass: the event manager's update, then the
// after-events step (the 2D animation manager's update once it exists).
// Per frame with a period of 0, so it is ready in every frame pass and in
// every idle pass of its task list; it never ends by itself.
class EventTrigger : public TAnimTask {
public:
    // Puts itself on the list (not owned; it must outlive the trigger or
    // delete it).
    EventTrigger(TTaskList* tasks, std::function<void()> afterEvents);
    // Takes itself off its list.
    ~EventTrigger() override;
    EventTrigger(const EventTrigger&) = delete;
    EventTrigger& operator=(const EventTrigger&) = delete;

    bool Update() override;

private:
    TTaskList* mTasks;
    std::function<void()> mAfterEvents;
};

// Makes the event trigger on the task list (the application's list; the
// game's main function calls it before its loop):
//   KEvent::EventTrigger* trigger = KEvent::InstallEventTrigger(*app->GetTaskList(),
//       [] { /* the animation manager's update */ });
// and after the loop deletes the trigger, then calls
// KEvent::EventManager::Destroy(). Nothing runs events without it.
EventTrigger* InstallEventTrigger(TTaskList& tasks, std::function<void()> afterEvents = nullptr);

} // namespace KEvent
