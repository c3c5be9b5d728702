#pragma once
#include <cstdint>
#include <vector>

#include "platform/Task.h"

// An ordered list of tasks (owned), run in passes. Tasks may add, remove or
// clear tasks of the list while it runs: removals and deletions asked for
// during a run are carried out when the run ends; added tasks may run in the
// same pass. Main thread only.
class TTaskList {
public:
    TTaskList() = default;
    ~TTaskList();
    TTaskList(const TTaskList&) = delete;
    TTaskList& operator=(const TTaskList&) = delete;

    // Appends (also during a run). A task already listed is not added twice:
    // a second entry would run it twice a pass and delete it twice.
    void Add(TTask* task);
    // Takes the task off without deleting it (after the run when running);
    // false when it is not listed.
    bool Remove(TTask* task);
    // Runs every ready task once; a task whose Run answers false is taken off
    // and deleted. A nested RunAll of the same list does nothing.
    void RunAll(int32_t pass);
    // Deletes every task (after the run when running).
    void Clear();

    bool IsRunning() const { return mRunning; }
    bool Contains(const TTask* task) const;
    // Tasks listed (pending removals included until carried out).
    uint32_t GetCount() const;

private:
    bool mRunning = false;
    std::vector<TTask*> mTasks; // null entries: taken off during a run
    std::vector<TTask*> mPendingRemovals;
    std::vector<TTask*> mPendingDeletions;
};
