#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"

namespace {

uint32_t gNow = 0;
uint32_t FakeNow()
{
    return gNow;
}

class TaskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gNow = 10000;
        SetTimerSource(&FakeNow);
    }
    void TearDown() override { SetTimerSource(nullptr); }
};

// What the probe tasks did, shared by a test and its tasks.
struct Journal {
    std::vector<std::string> runs;
    std::vector<std::string> deleted;
    int Deletions(const std::string& name) const
    {
        int n = 0;
        for (const auto& d : deleted)
            n += d == name;
        return n;
    }
};

class Probe : public TTask {
public:
    Probe(Journal& journal, std::string name) : mJournal(journal), mName(std::move(name)) {}
    ~Probe() override
    {
        mJournal.deleted.push_back(mName);
        if (onDelete)
            onDelete();
    }
    bool IsReady(int32_t pass) override
    {
        lastPass = pass;
        return ready;
    }
    bool Run() override
    {
        mJournal.runs.push_back(mName);
        if (onRun)
            onRun();
        return keep;
    }

    bool ready = true;
    bool keep = true;
    int32_t lastPass = -1;
    std::function<void()> onRun;
    std::function<void()> onDelete;

private:
    Journal& mJournal;
    std::string mName;
};

using Runs = std::vector<std::string>;

TEST_F(TaskTest, ListRunsReadyTasksInOrderAndDeletesThoseThatEnd)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    auto* b = new Probe(j, "b");
    auto* c = new Probe(j, "c");
    list.Add(a);
    list.Add(b);
    list.Add(c);
    list.Add(b); // listed once
    b->ready = false;
    c->keep = false;

    list.RunAll(kPassFrame);
    EXPECT_EQ(j.runs, (Runs{"a", "c"}));
    EXPECT_EQ(a->lastPass, kPassFrame);
    EXPECT_EQ(j.deleted, (Runs{"c"}));
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_FALSE(list.Contains(c));

    j.runs.clear();
    b->ready = true;
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.runs, (Runs{"a", "b"}));
    EXPECT_EQ(b->lastPass, kPassIdle);
    EXPECT_FALSE(list.IsRunning());
}

TEST_F(TaskTest, RemoveOutsideARunGivesTheTaskBack)
{
    Journal j;
    auto* a = new Probe(j, "a");
    Probe stranger(j, "stranger");
    {
        TTaskList list;
        list.Add(a);
        EXPECT_FALSE(list.Remove(&stranger));
        EXPECT_FALSE(list.Remove(nullptr));
        EXPECT_TRUE(list.Remove(a));
        EXPECT_FALSE(list.Remove(a));
        EXPECT_EQ(list.GetCount(), 0u);
        list.RunAll(kPassIdle);
        EXPECT_TRUE(j.runs.empty());
    }
    EXPECT_TRUE(j.deleted.empty()); // the owner takes a removed task back
    delete a;
}

TEST_F(TaskTest, DestroyingAListDeletesItsTasksOnce)
{
    Journal j;
    {
        TTaskList list;
        list.Add(new Probe(j, "a"));
        list.Add(new Probe(j, "b"));
    }
    EXPECT_EQ(j.deleted, (Runs{"a", "b"}));
}

TEST_F(TaskTest, SelfRemovalDuringARunIsCarriedOutAfterThePass)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    auto* b = new Probe(j, "b");
    list.Add(a);
    list.Add(b);
    bool listedDuringRun = false;
    a->onRun = [&] {
        EXPECT_TRUE(list.Remove(a));
        listedDuringRun = list.Contains(a);
    };
    list.RunAll(kPassIdle);
    EXPECT_TRUE(listedDuringRun);
    EXPECT_FALSE(list.Contains(a));
    EXPECT_TRUE(list.Contains(b));
    EXPECT_EQ(j.runs, (Runs{"a", "b"}));
    EXPECT_TRUE(j.deleted.empty()); // removed, not deleted
    delete a;
}

TEST_F(TaskTest, ATaskRemovedDuringTheRunIsSkippedForTheRestOfIt)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    auto* b = new Probe(j, "b");
    list.Add(a);
    list.Add(b);
    a->onRun = [&] { list.Remove(b); };
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.runs, (Runs{"a"}));
    EXPECT_FALSE(list.Contains(b));
    delete b;
}

TEST_F(TaskTest, RemovedAndEndedInTheSameRunIsDeletedOnce)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    list.Add(a);
    a->keep = false;
    a->onRun = [&] { list.Remove(a); };
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.Deletions("a"), 1);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(TaskTest, ClearFromInsideATaskDeletesEveryTaskOnceAfterThePass)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    auto* b = new Probe(j, "b");
    auto* c = new Probe(j, "c");
    list.Add(a);
    list.Add(b);
    list.Add(c);
    std::vector<bool> runningAtDeletion;
    for (Probe* p : {a, b, c})
        p->onDelete = [&] { runningAtDeletion.push_back(list.IsRunning()); };
    c->keep = false; // would end in this pass, but is skipped after the clear
    b->onRun = [&] {
        list.Clear();
        list.Clear(); // twice: still one deletion each
        EXPECT_TRUE(j.deleted.empty());
    };
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.runs, (Runs{"a", "b"}));
    EXPECT_EQ(j.Deletions("a"), 1);
    EXPECT_EQ(j.Deletions("b"), 1);
    EXPECT_EQ(j.Deletions("c"), 1);
    EXPECT_EQ(runningAtDeletion, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(TaskTest, TasksAddedDuringARunRunInTheSamePass)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    list.Add(a);
    a->onRun = [&] {
        if (j.runs.size() == 1)
            list.Add(new Probe(j, "late"));
    };
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.runs, (Runs{"a", "late"}));
    EXPECT_EQ(list.GetCount(), 2u);
}

TEST_F(TaskTest, AddingBackATaskRemovedDuringTheRunKeepsIt)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    list.Add(a);
    a->onRun = [&] {
        list.Remove(a);
        list.Add(a);
    };
    list.RunAll(kPassIdle);
    EXPECT_TRUE(list.Contains(a));
    EXPECT_TRUE(j.deleted.empty());
}

TEST_F(TaskTest, ANestedRunOfTheSameListDoesNothing)
{
    Journal j;
    TTaskList list;
    auto* a = new Probe(j, "a");
    auto* b = new Probe(j, "b");
    list.Add(a);
    list.Add(b);
    b->keep = false;
    a->onRun = [&] { list.RunAll(kPassIdle); };
    list.RunAll(kPassIdle);
    EXPECT_EQ(j.runs, (Runs{"a", "b"}));
    EXPECT_EQ(j.Deletions("b"), 1);
}

// A timer task counting its updates.
class Counter : public TAnimTask {
public:
    explicit Counter(TClock* clock = nullptr) : TAnimTask(clock) {}
    bool Update() override
    {
        ++updates;
        return keep;
    }
    int updates = 0;
    bool keep = true;
};

TEST_F(TaskTest, AnimTaskCatchUpAndLatenessTable)
{
    // A repeating 100 ms timer due at `due`, run at `due + late`.
    struct Case {
        uint32_t late;
        bool fromNow;
        bool catchUp;
        int updates;
        int32_t nextWakeFromDue; // the wake time after the run, less `due`
    };
    const Case cases[] = {
        {350, false, true, 4, 400},   // +100, +200, +300, +400: only the last is ahead
        {350, false, false, 1, 100},  // next wake 100 ms after the old one
        {350, true, false, 1, 450},   // next wake 100 ms after now
        {350, true, true, 1, 450},
        {1500, false, false, 1, 1600}, // more than a second late: reset to now first
        {1500, false, true, 1, 1600},
        {1500, true, false, 1, 1600},
        {0, false, true, 1, 100},
        {1000, false, true, 10, 1000}, // exactly a second late is not dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "late " << c.late << " fromNow " << c.fromNow << " catchUp "
                                        << c.catchUp);
        gNow = 50000;
        Counter task;
        task.SetTimer(100, true, c.fromNow, c.catchUp);
        const uint32_t due = 50100;
        EXPECT_EQ(task.GetWakeTime(), due);
        gNow = due - 1;
        EXPECT_FALSE(task.IsReady(kPassIdle));
        gNow = due + c.late;
        ASSERT_TRUE(task.IsReady(kPassIdle));
        EXPECT_TRUE(task.Run());
        EXPECT_EQ(task.updates, c.updates);
        EXPECT_EQ(int32_t(task.GetWakeTime() - due), c.nextWakeFromDue);
    }
}

TEST_F(TaskTest, AnimTaskWakeTimeSurvivesTheCounterWrap)
{
    gNow = 0xFFFFFFF0u - 100;
    Counter task;
    task.SetTimer(100, false, true, false); // wakes 16 ms before the wrap
    EXPECT_EQ(task.GetWakeTime(), 0xFFFFFFF0u);
    gNow = 0xFFFFFFEFu;
    EXPECT_FALSE(task.IsReady(kPassIdle));
    gNow = 16; // 16 ms after the wrap: signed difference 32
    EXPECT_TRUE(task.IsReady(kPassIdle));
    EXPECT_EQ(task.Elapsed(), 32);
}

TEST_F(TaskTest, PerFrameTaskWithoutWakeTimeRunsOnlyInFramePasses)
{
    TTaskList list;
    auto* task = new Counter();
    task->Suspend();
    task->SetPerFrame(true);
    list.Add(task);
    list.RunAll(kPassFrame);
    list.RunAll(kPassIdle);
    gNow += 5000;
    list.RunAll(kPassIdle);
    list.RunAll(kPassFrame);
    EXPECT_EQ(task->updates, 2);
    EXPECT_EQ(task->GetWakeTime(), TAnimTask::kNever);
    EXPECT_EQ(task->Elapsed(), -1);
}

TEST_F(TaskTest, SuspendedTaskRunsAgainOnlyAfterANewTimer)
{
    TTaskList list;
    auto* task = new Counter();
    task->SetPerFrame(true);
    task->Suspend();
    list.Add(task);
    gNow += 10000;
    list.RunAll(kPassIdle);
    list.RunAll(kPassFrame);
    EXPECT_EQ(task->updates, 0);
    task->SetTimer(10, false, false, false); // no wake time: counted from now
    EXPECT_EQ(task->GetWakeTime(), gNow + 10);
    gNow += 10;
    list.RunAll(kPassIdle);
    EXPECT_EQ(task->updates, 1);
}

TEST_F(TaskTest, TimerWithoutRepeatStaysDueUntilUpdateEnds)
{
    Journal j;
    TTaskList list;
    auto* task = new Counter();
    task->SetTimer(20, false, false, true); // catch up with period 0: no endless loop
    EXPECT_EQ(task->GetPeriod(), 0u);
    list.Add(task);
    list.RunAll(kPassIdle);
    EXPECT_EQ(task->updates, 0);
    gNow += 20;
    list.RunAll(kPassIdle);
    list.RunAll(kPassIdle);
    EXPECT_EQ(task->updates, 2);
    task->keep = false;
    list.RunAll(kPassIdle);
    EXPECT_EQ(list.GetCount(), 0u); // ended and deleted
}

TEST_F(TaskTest, AnimTaskRunsOnItsClock)
{
    TClock clock;
    clock.Start(); // 0 now
    Counter task(&clock);
    EXPECT_EQ(task.Now(), 0u);
    task.SetTimer(100, true, true, false);
    gNow += 60;
    clock.Pause();
    gNow += 1000; // a paused clock does not move
    EXPECT_FALSE(task.IsReady(kPassIdle));
    EXPECT_EQ(task.Elapsed(), -40);
    clock.Start();
    gNow += 40;
    EXPECT_TRUE(task.IsReady(kPassIdle));

    // Another clock: the time still to wait is kept.
    task.SetTimer(100, true, true, false); // wakes at 200 on `clock`
    gNow += 30;                            // `clock` shows 130: 70 to wait
    TClock other;
    other.Start();
    other.SetTime(5000);
    task.SetClock(&other);
    EXPECT_EQ(task.GetClock(), &other);
    EXPECT_EQ(task.GetWakeTime(), 5070u);
    task.SetClock(nullptr); // the application time
    EXPECT_EQ(task.GetWakeTime(), gNow + 70);
}

} // namespace
