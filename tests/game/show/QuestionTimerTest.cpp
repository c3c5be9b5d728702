// The question timer on a modal window's clock and task list: the prompts it
// has the host say at 25, 35, 45 and 60 seconds, the time it keeps when
// stopped, and how long its record lives.
#include "VOBuilderSupport.h"

#include "game/show/QuestionTimer.h"
#include "platform/TaskList.h"
#include "ui/ModalWindow.h"

using Quillory::QuestionTimer;
using Strings = std::vector<std::string>;

namespace {

constexpr uint32_t kStep = 250;

class QuestionTimerTest : public votest::BuilderFixture {
protected:
    void SetUp() override
    {
        BuilderFixture::SetUp();
        mModal = std::make_unique<TModalWindow>();
        mModal->GetClock().Start();
        // Every prompt has something to say: three played, both helps left.
        SetPlayed(3);
        AskGrade(3);
    }
    void TearDown() override
    {
        mShow->SetQuestionTimer(nullptr);
        mModal.reset();
        BuilderFixture::TearDown();
    }

    // The modal window's clock (ms since the question).
    uint32_t Clock() { return mModal->GetClock().GetTime(); }

    // Steps the application time to the modal clock's ms, running the
    // window's tasks every step; notes each line said, with the clock then.
    void RunUntil(uint32_t ms)
    {
        while (Clock() < ms) {
            eventtest::gNow += kStep;
            const int32_t since = KEvent::Event::PeekNextId();
            mModal->RunTasks(kPassIdle);
            for (const auto& line : KVO::VOPlayer::Instance()->GetEvents())
                if (line->GetId() >= since)
                    mSaid.push_back(std::to_string(Clock()) + " " + votest::Describe(votest::LineId(*line)));
        }
    }

    std::shared_ptr<QuestionTimer> StartTimer()
    {
        auto timer = QuestionTimer::Create(mModal.get());
        mShow->SetQuestionTimer(timer);
        return timer;
    }

    uint32_t TaskCount() const { return mModal->GetTasks()->GetCount(); }

    std::unique_ptr<TModalWindow> mModal;
    Strings mSaid;
};

TEST_F(QuestionTimerTest, AnAnswerAfterTwelveSecondsHearsNoPromptAndKeepsItsTime)
{
    auto timer = StartTimer();
    EXPECT_TRUE(timer->IsTicking());
    EXPECT_EQ(TaskCount(), 1u);
    RunUntil(12000);
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 12000);
    EXPECT_EQ(timer->GetTicks(), 2);
    EXPECT_FALSE(timer->IsTicking());
    EXPECT_EQ(TaskCount(), 0u);
    RunUntil(80000);
    EXPECT_EQ(mSaid, Strings{});
    EXPECT_EQ(timer->GetTicks(), 2);
}

TEST_F(QuestionTimerTest, SeventySecondsUnansweredHearFourPromptsAndNoTickAfterSixtyFive)
{
    auto timer = StartTimer();
    RunUntil(64000);
    EXPECT_EQ(timer->GetTicks(), 12);
    EXPECT_TRUE(timer->IsTicking());
    RunUntil(70000);
    EXPECT_EQ(timer->GetTicks(), 13);
    EXPECT_FALSE(timer->IsTicking()) << "the task ended on its thirteenth tick";
    EXPECT_EQ(TaskCount(), 0u);
    EXPECT_EQ(timer->GetElapsed(), 0) << "not stopped yet";

    // The first and the last prompt may add a follow-up line.
    Strings said = mSaid;
    said.erase(std::remove(said.begin(), said.end(), "25000 cat 100"), said.end());
    said.erase(std::remove(said.begin(), said.end(), "60000 cat 100"), said.end());
    ASSERT_EQ(said.size(), 4u) << ::testing::PrintToString(mSaid);
    EXPECT_TRUE(said[0] == "25000 cat 5103" || said[0] == "25000 cat 5001" || said[0] == "25000 cat 93") << said[0];
    EXPECT_EQ(said[1], "35000 cat 5803");
    EXPECT_EQ(said[2], "45000 row 199");
    EXPECT_TRUE(said[3] == "60000 cat 5002" || said[3] == "60000 cat 93") << said[3];

    RunUntil(200000);
    EXPECT_EQ(timer->GetTicks(), 13);
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 200000) << "a stop measures however long it was";
}

TEST_F(QuestionTimerTest, StoppingTwiceKeepsTheLaterTime)
{
    auto timer = StartTimer();
    // Another task on the list: the second stop must leave it alone.
    struct Idle : TTask {
        bool Run() override { return true; }
    };
    mModal->AddTask(new Idle());
    RunUntil(12000);
    timer->Stop();
    EXPECT_EQ(TaskCount(), 1u);
    RunUntil(20000);
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 20000);
    EXPECT_EQ(TaskCount(), 1u);
}

TEST_F(QuestionTimerTest, AReplacedTimerTicksOnUntilItsTaskEnds)
{
    std::weak_ptr<QuestionTimer> first = StartTimer();
    RunUntil(10000);
    auto second = StartTimer(); // the controller lets go of the first
    ASSERT_FALSE(first.expired()) << "its task holds it";
    EXPECT_EQ(TaskCount(), 2u);

    RunUntil(30000);
    // The first timer's prompt at 25 s; the second's comes at 35 s.
    ASSERT_FALSE(mSaid.empty());
    EXPECT_EQ(mSaid[0].substr(0, 6), "25000 ");
    EXPECT_EQ(first.lock()->GetTicks(), 6);
    EXPECT_EQ(second->GetTicks(), 4);

    RunUntil(65000);
    EXPECT_TRUE(first.expired()) << "freed when its task ended, its last holder";
    EXPECT_EQ(TaskCount(), 1u);
    EXPECT_TRUE(second->IsTicking());
    second->Stop();
    EXPECT_EQ(second->GetElapsed(), 55000);
}

TEST_F(QuestionTimerTest, APausedClockPausesThePrompts)
{
    auto timer = StartTimer();
    RunUntil(20000);
    mModal->GetClock().Pause();
    eventtest::gNow += 60000;
    mModal->RunTasks(kPassIdle);
    EXPECT_EQ(timer->GetTicks(), 4);
    EXPECT_TRUE(mSaid.empty());
    mModal->GetClock().Start();
    RunUntil(26000);
    EXPECT_EQ(timer->GetTicks(), 5);
    EXPECT_FALSE(mSaid.empty()) << "the first prompt at 25 s of the window's time";
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 26000);
}

TEST_F(QuestionTimerTest, AWindowThatGoesFirstLeavesTheTimeItHadReached)
{
    auto timer = StartTimer();
    RunUntil(8000);
    // The modal window is popped: its list deletes the task.
    mModal.reset();
    EXPECT_FALSE(timer->IsTicking());
    eventtest::gNow += 30000;
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 8000);
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 8000);
}

// After its last tick the timer no longer needs the window: the window may
// go, and a later stop measures on from where the clock was.
TEST_F(QuestionTimerTest, AWindowThatGoesAfterTheLastTickLeavesTheTimeRunning)
{
    auto timer = StartTimer();
    RunUntil(70000);
    ASSERT_FALSE(timer->IsTicking());
    mModal.reset();
    eventtest::gNow += 5000;
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 75000);
}

// A stopped timer lets the window go (the show's end pops it): a later stop
// measures on the application time and never reads the window's clock.
TEST_F(QuestionTimerTest, AWindowThatGoesAfterAStopLeavesTheTimeRunning)
{
    auto timer = StartTimer();
    RunUntil(12000);
    timer->Stop();
    EXPECT_FALSE(timer->IsTicking());
    mModal.reset();
    eventtest::gNow += 5000;
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 17000);
}

TEST_F(QuestionTimerTest, WithoutAWindowTheTimerOnlyMeasures)
{
    auto timer = QuestionTimer::Create(nullptr);
    EXPECT_FALSE(timer->IsTicking());
    eventtest::gNow += 70000;
    timer->Stop();
    EXPECT_EQ(timer->GetElapsed(), 70000);
    EXPECT_EQ(timer->GetTicks(), 0);
}

} // namespace
