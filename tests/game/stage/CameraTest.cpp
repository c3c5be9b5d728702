// The camera: angle helpers, the animator's moves, returns and resets over
// a hand-moved clock, the camera event in event chains, and the scene's
// camera commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "game/show/EventTestSupport.h"
#include "game/stage/camera/CameraAngles.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/camera/CameraEvent.h"
#include "game/stage/scene/SceneSet.h"
#include "support/TempFolder.h"

namespace {

using namespace eventtest;
using KScene::CameraAnimator;
using KScene::CameraRecord;

constexpr float kTwoPi = 6.2831855f;

// Shots of the show: a classmate close-up and the question board.
const CameraRecord kClassmate(-3.017f, 4.006f, -7.726f, 6.283f, 4.614f, 0.105f, 0.785f);
const CameraRecord kBoard(1.002f, 4.986f, -10.054f, 0.0f, 6.279f, 0.0f, 0.245f);

// How far apart two angles are, whole turns apart counting as the same.
float AngleApart(float a, float b)
{
    const float apart = std::fmod(std::fabs(a - b), kTwoPi);
    return std::min(apart, kTwoPi - apart);
}

void ExpectCamera(const CameraRecord& actual, const CameraRecord& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_LE(AngleApart(actual.pitch, expected.pitch), tolerance) << actual.pitch << " " << expected.pitch;
    EXPECT_LE(AngleApart(actual.yaw, expected.yaw), tolerance) << actual.yaw << " " << expected.yaw;
    EXPECT_LE(AngleApart(actual.roll, expected.roll), tolerance) << actual.roll << " " << expected.roll;
    EXPECT_NEAR(actual.fov, expected.fov, tolerance);
}

class CameraTest : public EventFixture {
protected:
    void SetUp() override
    {
        EventFixture::SetUp();
        CameraAnimator::Destroy();
        KScene::KSceneSet::Destroy();
        Animator().ResetToDefault();
    }
    void TearDown() override
    {
        CameraAnimator::Destroy();
        KScene::KSceneSet::Destroy();
        EventFixture::TearDown();
    }

    static CameraAnimator& Animator() { return *CameraAnimator::Get(); }
    static CameraRecord& Camera() { return KScene::KSceneSet::Get()->GetCamera(); }
    static void Wait(uint32_t ms) { gNow += ms; }

    TTempLogFolder mLog{"quillory-camera"};
};

TEST(CameraAngles, NearestAndWrap)
{
    const float pi = 3.1415927f;
    const struct {
        float from, to, nearest;
    } nearest[] = {
        {6.0f, 0.5f, 6.7831855f},
        {0.5f, 6.0f, -0.2831855f},
        {1.0f, 2.0f, 2.0f},
        {0.0f, pi, pi},                // tie between to and to - 2*pi: to
        {6.07f, 0.1f, 6.3831855f},     // up through 2*pi
        {0.0f, 0.0f, 0.0f},
        {3.0f, 3.0f + kTwoPi, 3.0f},   // a whole turn away: the same angle
    };
    for (const auto& c : nearest)
        EXPECT_FLOAT_EQ(KScene::NearestAngle(c.from, c.to), c.nearest) << c.from << " -> " << c.to;

    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float angle, wrapped;
    } wrap[] = {
        {1.0f, 1.0f},
        {kTwoPi, kTwoPi}, // stays
        {0.0f, 0.0f},
        {-0.5f, kTwoPi - 0.5f},
        {6.4f, 6.4f - kTwoPi},
        {-20.0f, -20.0f + 4 * kTwoPi},
        {20.0f, 20.0f - 3 * kTwoPi},
        {1e30f, -1.0f},  // only its range is checked
        {inf, 0.0f},     // no angle: 0
        {-inf, 0.0f},
        {std::nanf(""), 0.0f},
    };
    TTempLogFolder log{"quillory-angles"};
    for (const auto& c : wrap) {
        const float wrapped = KScene::WrapAngle(c.angle);
        if (c.wrapped < 0) {
            EXPECT_GE(wrapped, 0.0f);
            EXPECT_LE(wrapped, kTwoPi);
        } else {
            EXPECT_NEAR(wrapped, c.wrapped, 1e-5f) << c.angle;
        }
    }
}

TEST_F(CameraTest, ResetPutsTheCameraAtTheDefaultShot)
{
    Camera() = kBoard;
    Animator().ResetToDefault();
    ExpectCamera(Camera(), CameraRecord(-3.0089f, 3.3058f, -10.0544f, 0.0f, 6.07f, 0.0f, 0.715f), 0.0f);
    EXPECT_FALSE(Animator().IsActive());
}

TEST_F(CameraTest, MoveTurnsTheShortWayThroughTwoPi)
{
    CameraRecord from = Camera();
    CameraRecord to = from;
    to.yaw = 0.1f;
    Animator().MoveTo(from, to, 1000);
    std::vector<float> unwrapped;
    for (int step = 0; step <= 20; ++step) {
        Animator().Advance();
        const float yaw = Camera().yaw;
        ASSERT_GE(yaw, 0.0f);
        ASSERT_LE(yaw, kTwoPi);
        // Only the arc from 6.07 up through 2*pi to 0.1 may be crossed.
        ASSERT_TRUE(yaw >= 6.07f - 1e-5f || yaw <= 0.1f + 1e-5f) << yaw;
        unwrapped.push_back(yaw < 1.0f ? yaw + kTwoPi : yaw);
        Wait(50);
    }
    for (size_t i = 1; i < unwrapped.size(); ++i)
        EXPECT_GE(unwrapped[i], unwrapped[i - 1] - 1e-6f);
    EXPECT_NEAR(Camera().yaw, 0.1f, 1e-5f);
    EXPECT_LT(unwrapped[10], kTwoPi); // half-way it is still below 2*pi
    // A move out holds its shot and stays active.
    EXPECT_TRUE(Animator().IsActive());
}

TEST_F(CameraTest, TwoMovesThenOneReturnGoBackToTheFirstHome)
{
    const CameraRecord start = Camera();
    Animator().MoveTo(Camera(), kClassmate, 1000);
    Wait(400);
    Animator().Advance();
    const CameraRecord midway = Camera();
    EXPECT_GT(midway.y, start.y + 0.1f); // on its way
    EXPECT_LT(midway.y, kClassmate.y - 0.1f);
    Animator().MoveTo(Camera(), kBoard, 1000);
    Wait(1000);
    Animator().Advance();
    ExpectCamera(Camera(), kBoard);
    ExpectCamera(Animator().GetHome(), start, 0.0f);

    Animator().Return(100);
    EXPECT_TRUE(Animator().IsReturning());
    Wait(50);
    Animator().Advance();
    EXPECT_TRUE(Animator().IsActive());
    Wait(50);
    Animator().Advance();
    ExpectCamera(Camera(), start);
    EXPECT_FALSE(Animator().IsActive());
    // Idle, the animator leaves the camera to the stage.
    Camera().yaw = 5.0f;
    Animator().Advance();
    EXPECT_EQ(Camera().yaw, 5.0f);
}

TEST_F(CameraTest, ZeroMillisecondMoveEndsOnItsFirstAdvance)
{
    auto move = KScene::MakeCameraMove(kBoard, 0);
    EXPECT_EQ(move->GetName(), TString("eCameraEvent"));
    move->Then(Instant("after"));
    Pass(); // starts
    EXPECT_TRUE(move->IsStarted());
    EXPECT_FALSE(move->IsFinished());
    Animator().Advance(); // the stage's frame, no time passed
    EXPECT_TRUE(move->IsFinished());
    ExpectCamera(Camera(), kBoard, 0.0f);
    EXPECT_FALSE(std::isnan(Camera().yaw));
    Pass(2);
    EXPECT_EQ(Only("start"), (std::vector<std::string>{"2:after"}));
    EXPECT_EQ(Animator().GetEvent(), nullptr);
}

TEST_F(CameraTest, MoveEventFinishesWhenTheMoveIsDone)
{
    auto move = KScene::MakeCameraMove(kClassmate, 1000);
    move->Then(KScene::MakeCameraReturn(100))->Then(Instant("after"));
    Pass(); // move starts
    Wait(600);
    Pass(); // update: on its way
    EXPECT_FALSE(move->IsFinished());
    EXPECT_TRUE(Animator().IsActive());
    Wait(400);
    Pass(); // done: finished by its update
    EXPECT_TRUE(move->IsFinished());
    ExpectCamera(Camera(), kClassmate);
    Pass(); // the return starts
    EXPECT_TRUE(Animator().IsReturning());
    Wait(100);
    Pass(); // back home
    EXPECT_FALSE(Animator().IsActive());
    ExpectCamera(Camera(), CameraAnimator::DefaultShot());
    Pass(2);
    EXPECT_EQ(Only("start"), (std::vector<std::string>{"6:after"}));
}

TEST_F(CameraTest, SkippedMoveFinishesAtOnceAndTheMoveGoesOn)
{
    auto move = KScene::MakeCameraMove(kBoard, 1000);
    move->Then(Instant("after"));
    Pass();
    move->Skip();
    EXPECT_TRUE(move->IsFinished());
    Pass(2);
    EXPECT_EQ(Only("start"), (std::vector<std::string>{"2:after"}));
    // The move still runs to its end; its event is not finished again.
    Wait(1000);
    Animator().Advance();
    ExpectCamera(Camera(), kBoard);
    EXPECT_EQ(Animator().GetEvent(), nullptr);
    Pass(2);
    EXPECT_EQ(Only("start").size(), 1u);
    EXPECT_EQ(Manager().GetRunningCount(), 0u);
}

TEST_F(CameraTest, ReturnWhileIdleFinishesWithoutMovingTheCamera)
{
    auto back = KScene::MakeCameraReturn(100);
    back->Then(Instant("after"));
    Pass(); // starts; nothing to return from
    EXPECT_FALSE(Animator().IsActive());
    Pass(); // its update ends it
    EXPECT_TRUE(back->IsFinished());
    ExpectCamera(Camera(), CameraAnimator::DefaultShot(), 0.0f);
    Pass();
    EXPECT_EQ(Only("start"), (std::vector<std::string>{"3:after"}));
}

TEST_F(CameraTest, ResetDuringAMoveFreesTheCameraAndKeepsItsEvent)
{
    auto move = KScene::MakeCameraMove(kBoard, 1000);
    Pass();
    Wait(500);
    Pass();
    Animator().ResetToDefault();
    EXPECT_FALSE(Animator().IsActive());
    ExpectCamera(Camera(), CameraAnimator::DefaultShot(), 0.0f);
    // The camera commands (the stage's orbit) work at once, and the
    // interrupted move's updates leave the camera alone.
    KScene::KSceneSet::Get()->CameraCommand(-0.01f, 9);
    Wait(600);
    Pass(3);
    EXPECT_NEAR(Camera().yaw, 6.06f, 1e-5f);
    EXPECT_FALSE(move->IsFinished());
    EXPECT_EQ(Animator().GetEvent(), move);
}

TEST_F(CameraTest, NewMoveFinishesTheEventItReplaces)
{
    auto first = KScene::MakeCameraMove(kClassmate, 1000);
    first->Then(Instant("after first"));
    Pass();
    Wait(300);
    Pass();
    auto second = KScene::MakeCameraMove(kBoard, 1000);
    second->Then(Instant("after second"));
    Pass(); // second starts; the first would otherwise wait for ever
    EXPECT_TRUE(first->IsFinished());
    EXPECT_FALSE(second->IsFinished());
    EXPECT_EQ(Animator().GetEvent(), second);
    Wait(1000);
    Pass(3);
    EXPECT_TRUE(second->IsFinished());
    ExpectCamera(Camera(), kBoard);
    EXPECT_EQ(Only("start"), (std::vector<std::string>{"4:after first", "5:after second"}));
    // Both moves return to the shot before the first.
    ExpectCamera(Animator().GetHome(), CameraAnimator::DefaultShot(), 0.0f);
}

TEST_F(CameraTest, CameraCommands)
{
    const float pi = 3.1415927f;
    const float quarter = 1.5707964f;
    // The camera looks along (-sin yaw, 0, cos yaw); its right is
    // (cos yaw, 0, sin yaw). At a quarter turn: forward -x, right +z.
    const struct {
        CameraRecord before;
        float amount;
        uint32_t command;
        CameraRecord after;
    } cases[] = {
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 0, CameraRecord(-1, 2, 3, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 1, CameraRecord(3, 2, 3, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 2, CameraRecord(1, 2, 1, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 3, CameraRecord(1, 2, 5, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 4, CameraRecord(1, 4, 3, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, 0, 0, 1), 2.0f, 5, CameraRecord(1, 0, 3, 0, 0, 0, 1)},
        {CameraRecord(1, 2, 3, 0, quarter, 0, 1), 2.0f, 3, CameraRecord(-1, 2, 3, 0, quarter, 0, 1)},
        {CameraRecord(1, 2, 3, 0, quarter, 0, 1), 2.0f, 1, CameraRecord(1, 2, 5, 0, quarter, 0, 1)},
        {CameraRecord(1, 2, 3, 0.3f, quarter, 0.2f, 1), 1.0f, 4, CameraRecord(1, 3, 3, 0.3f, quarter, 0.2f, 1)},
        {CameraRecord(0, 0, 0, 0, 0, 0, 0.5f), 0.2f, 6, CameraRecord(0, 0, 0, 0, 0, 0, 0.3f)},
        {CameraRecord(0, 0, 0, 0, 0, 0, 0.5f), 1.0f, 6, CameraRecord(0, 0, 0, 0, 0, 0, 0.0f)},
        {CameraRecord(0, 0, 0, 0, 0, 0, 3.0f), 1.0f, 7, CameraRecord(0, 0, 0, 0, 0, 0, pi)},
        {CameraRecord(0, 0, 0, 0.2f, 0, 0, 1), -0.5f, 8, CameraRecord(0, 0, 0, 5.9831855f, 0, 0, 1)},
        {CameraRecord(0, 0, 0, 0, 6.2f, 0, 1), 0.2f, 9, CameraRecord(0, 0, 0, 0, 0.1168141f, 0, 1)},
        {CameraRecord(0, 0, 0, 0, 0, 6.0f, 1), 0.5f, 10, CameraRecord(0, 0, 0, 0, 0, 0.2168145f, 1)},
        {CameraRecord(1, 2, 3, 4, 5, 6, 1), 1.0f, 11, CameraRecord(1, 2, 3, 4, 5, 6, 1)},
        {CameraRecord(1, 2, 3, 4, 5, 6, 1), std::nanf(""), 1, CameraRecord(1, 2, 3, 4, 5, 6, 1)},
    };
    KScene::KSceneSet* scene = KScene::KSceneSet::Get();
    for (const auto& c : cases) {
        SCOPED_TRACE("command " + std::to_string(c.command) + " amount " + std::to_string(c.amount));
        Camera() = c.before;
        scene->CameraCommand(c.amount, c.command);
        ExpectCamera(Camera(), c.after, 1e-5f);
    }

    // While the animator moves the camera the commands do nothing.
    Animator().MoveTo(Camera(), kBoard, 1000);
    const CameraRecord before = Camera();
    scene->CameraCommand(0.5f, 9);
    scene->CameraCommand(1.0f, 3);
    ExpectCamera(Camera(), before, 0.0f);
}

} // namespace
