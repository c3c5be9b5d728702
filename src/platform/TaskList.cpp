#include "platform/TaskList.h"

#include <algorithm>

namespace {

bool Holds(const std::vector<TTask*>& list, const TTask* task)
{
    return std::find(list.begin(), list.end(), task) != list.end();
}

void Erase(std::vector<TTask*>& list, const TTask* task)
{
    list.erase(std::remove(list.begin(), list.end(), task), list.end());
}

} // namespace

TTaskList::~TTaskList()
{
    // A list is never destroyed by one of its own tasks; should it happen, the
    // tasks are deleted here all the same.
    mRunning = false;
    Clear();
}

void TTaskList::Add(TTask* task)
{
    if (!task)
        return;
    if (Contains(task)) {
        // Added again while a removal or deletion waits: it stays.
        Erase(mPendingRemovals, task);
        Erase(mPendingDeletions, task);
        return;
    }
    mTasks.push_back(task);
}

bool TTaskList::Remove(TTask* task)
{
    if (!task || !Contains(task))
        return false;
    if (mRunning) {
        if (!Holds(mPendingRemovals, task))
            mPendingRemovals.push_back(task);
        return true;
    }
    Erase(mTasks, task);
    return true;
}

void TTaskList::RunAll(int32_t pass)
{
    if (mRunning)
        return;
    mRunning = true;
    // Indices stay valid: during the run entries are only appended or set to
    // null, never erased.
    for (size_t i = 0; i < mTasks.size(); ++i) {
        TTask* task = mTasks[i];
        if (!task || Holds(mPendingRemovals, task))
            continue;
        if (!task->IsReady(pass))
            continue;
        if (task->Run())
            continue;
        // Run may have added tasks: find the entry again.
        auto it = std::find(mTasks.begin(), mTasks.end(), task);
        if (it != mTasks.end())
            *it = nullptr;
        Erase(mPendingRemovals, task);
        Erase(mPendingDeletions, task);
        delete task;
    }
    mRunning = false;
    Erase(mTasks, nullptr);

    std::vector<TTask*> removals;
    removals.swap(mPendingRemovals);
    for (TTask* task : removals)
        Remove(task);
    std::vector<TTask*> deletions;
    deletions.swap(mPendingDeletions);
    for (TTask* task : deletions)
        delete task;
}

void TTaskList::Clear()
{
    if (mRunning) {
        for (TTask* task : mTasks) {
            if (!task)
                continue;
            if (!Holds(mPendingRemovals, task))
                mPendingRemovals.push_back(task);
            if (!Holds(mPendingDeletions, task))
                mPendingDeletions.push_back(task);
        }
        return;
    }
    std::vector<TTask*> tasks;
    tasks.swap(mTasks);
    mPendingRemovals.clear();
    mPendingDeletions.clear();
    for (TTask* task : tasks)
        if (task)
            delete task;
}

bool TTaskList::Contains(const TTask* task) const
{
    return task && Holds(mTasks, task);
}

uint32_t TTaskList::GetCount() const
{
    return uint32_t(std::count_if(mTasks.begin(), mTasks.end(), [](TTask* t) { return t != nullptr; }));
}
