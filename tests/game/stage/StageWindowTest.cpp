// The stage window: the pointer's orbit and the yaw limits, the camera
// animator taking over, the main-menu button following the show's record,
// the confetti it lets go of, and its place in the show controller.
#include <gtest/gtest.h>

#include <cmath>

#include "AnimTestSupport.h"
#include "game/show/ShowController.h"
#include "game/show/event/ShowLinks.h"
#include "game/stage/StageLinks.h"
#include "game/stage/StageWindow.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/camera/CameraShots.h"
#include "game/stage/effects/Confetti.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Renderer.h"
#include "ui/Style.h"

namespace {

class StageWindowTest : public animtest::AnimFixture {
protected:
    void SetUp() override
    {
        AnimFixture::SetUp();
        mStage = new KDemo();
        mStage->SetSize(800, 600);
    }

    void TearDown() override
    {
        delete mStage;
        KScene::LensFlare::Destroy();
        KScene::CameraAnimator::Destroy();
        KScene::KSceneSet::Destroy();
        ShowController::Destroy();
        AnimFixture::TearDown();
    }

    // One frame of the stage's own drawing.
    void DrawStage(int frames = 1)
    {
        TRenderer* renderer = TRenderer::Get();
        for (int i = 0; i < frames; ++i) {
            ASSERT_TRUE(renderer->BeginDraw(false));
            mStage->Draw();
            renderer->EndDraw(false);
        }
    }

    static KScene::CameraRecord& Camera() { return KScene::KSceneSet::Get()->GetCamera(); }

    KDemo* mStage = nullptr;
};

TEST_F(StageWindowTest, MakingTheStageRegistersItStartsTheShowAndResetsTheCamera)
{
    ShowController* show = ShowController::Instance();
    EXPECT_EQ(show->GetStage(), mStage);
    EXPECT_GE(KEvent::EventManager::Instance()->GetCount(), 1u) << "no advance event queued";
    EXPECT_FLOAT_EQ(Camera().yaw, 6.07f);
    EXPECT_FLOAT_EQ(Camera().fov, 0.715f);
    EXPECT_TRUE(mStage->IsKindOf(KDemo::TypeId()));
    EXPECT_TRUE(mStage->IsKindOf(TWindow::TypeId()));
    EXPECT_STREQ(mStage->GetClassName(), "KDemo");

    // Gone, the stage is no longer the controller's: a later drop-out
    // must not reach it.
    delete mStage;
    mStage = nullptr;
    EXPECT_EQ(show->GetStage(), nullptr);
    show->DropOut();
}

TEST_F(StageWindowTest, ThePointerNearAnEdgeSetsTheOrbitSpeed)
{
    const struct {
        int32_t x;
        float speed;
    } cases[] = {
        {0, 0.015f}, {99, 0.00015f}, {100, 0.0f}, {400, 0.0f},
        {700, 0.0f}, {701, -0.00015f}, {799, -0.01485f}, {-20, 0.018f},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(mStage->OnMouseMove(TPoint{c.x, 300}));
        EXPECT_NEAR(mStage->GetOrbitSpeed(), c.speed, 1e-7f) << "x = " << c.x;
    }
}

TEST_F(StageWindowTest, HeldAtAnEdgeTheYawTurnsUpToItsLimitAndStays)
{
    mStage->OnMouseMove(TPoint{0, 300});
    DrawStage();
    EXPECT_NEAR(Camera().yaw, 6.07f + 0.015f, 1e-5f);
    DrawStage(10);
    EXPECT_FLOAT_EQ(Camera().yaw, KDemo::kYawMax);

    mStage->OnMouseMove(TPoint{799, 300});
    DrawStage(200);
    EXPECT_FLOAT_EQ(Camera().yaw, KDemo::kYawMin);
    EXPECT_EQ(mStage->GetFrameCount(), 211);
}

TEST_F(StageWindowTest, ACameraMoveTurnsTheOrbitOffUntilTheCameraIsBackAndIdle)
{
    KScene::CameraAnimator* animator = KScene::CameraAnimator::Get();
    mStage->OnMouseMove(TPoint{0, 300});
    KScene::CameraRecord away = KScene::kDefaultShot;
    away.yaw = 0.1f;
    animator->MoveTo(Camera(), away, 0);
    DrawStage(3);
    EXPECT_NEAR(Camera().yaw, 0.1f, 1e-5f) << "the move's yaw is kept outside the limits";

    animator->Return(0);
    DrawStage();
    EXPECT_FALSE(animator->IsActive());
    Camera().yaw = 0.5f;
    DrawStage();
    EXPECT_FLOAT_EQ(Camera().yaw, KDemo::kYawMin) << "idle again: turned, then clamped";
}

TEST_F(StageWindowTest, TheMainMenuButtonFollowsTheRecordEveryFrame)
{
    auto* button = new TWindow();
    button->SetName(TString("btn_mainmenu"));
    auto* holder = new TWindow();
    holder->AddChild(button, true);
    mStage->AddChild(holder, true);
    GameRecord& record = ShowController::Instance()->GetRecord();

    record.mainMenuButtonShown = false;
    DrawStage();
    EXPECT_FALSE(button->HasFlags(kWindowShown));
    button->SetFlags(kWindowShown);
    DrawStage();
    EXPECT_FALSE(button->HasFlags(kWindowShown)) << "a script's change lasts one frame";

    record.mainMenuButtonShown = true;
    DrawStage();
    EXPECT_TRUE(button->HasFlags(kWindowShown));
}

TEST_F(StageWindowTest, QuestionWindowsGoOnTheStageAndDropOutHidesThem)
{
    ShowController* show = ShowController::Instance();
    mStage->ShowQuestionWindow(nullptr);
    EXPECT_TRUE(mStage->GetChildren().empty());

    auto* question = new TWindow();
    show->ShowQuestionWindow(question);
    ASSERT_EQ(mStage->GetQuestionWindow(), question);
    EXPECT_EQ(question->GetParent(), mStage);
    show->DropOut();
    EXPECT_FALSE(question->HasFlags(kWindowShown));

    mStage->ClearQuestionWindow(question);
    EXPECT_EQ(mStage->GetQuestionWindow(), nullptr);
    // A question window deleted by its own close is not handed out again.
    auto* second = new TWindow();
    mStage->ShowQuestionWindow(second);
    delete second;
    EXPECT_EQ(mStage->GetQuestionWindow(), nullptr);
}

TEST_F(StageWindowTest, TheStageLetsGoOfTheConfettiOnceEveryPieceHasFallen)
{
    std::shared_ptr<ConfettiCanon> canon = ConfettiCanon::Create(3);
    std::weak_ptr<ConfettiCanon> watch = canon;
    mStage->Confetti() = canon;
    canon->Start();
    canon->StopRespawn();
    DrawStage();
    EXPECT_TRUE(mStage->Confetti()) << "still falling";
    while (canon->Tick()) {
    }
    canon.reset();
    DrawStage();
    EXPECT_FALSE(mStage->Confetti());

    // A later start stores a new canon.
    std::shared_ptr<KEvent::ConfettiControl> next = ConfettiCanon::Create(1);
    mStage->Confetti() = next;
    DrawStage();
    EXPECT_EQ(mStage->Confetti(), next);
}

// The cast and the subtitles reach the stage through what they register.
class RecordingCast : public KScene::StageCast, public KScene::SubtitleHost {
public:
    void Draw(TRenderer* renderer) override
    {
        ++draws;
        inPass = renderer && renderer->IsIn3d();
    }
    void SetSubtitleParent(TWindow* window) override { parent = window; }
    TWindow* GetSubtitleParent() const override { return parent; }
    int draws = 0;
    bool inPass = false;
    TWindow* parent = nullptr;
};

TEST_F(StageWindowTest, TheCastIsDrawnInTheThreeDPassAndSubtitlesGoUnderTheStage)
{
    RecordingCast cast;
    KScene::SetStageCast(&cast);
    KScene::SetSubtitleHost(&cast);
    mStage->PostInit(TValueStyle());
    EXPECT_EQ(cast.parent, mStage);
    DrawStage(2);
    EXPECT_EQ(cast.draws, 2);
    EXPECT_TRUE(cast.inPass);
    delete mStage;
    mStage = nullptr;
    EXPECT_EQ(cast.parent, nullptr);

    // A stage going after another took the subtitles leaves them there.
    TWindow other;
    cast.parent = &other;
    mStage = new KDemo();
    delete mStage;
    mStage = nullptr;
    EXPECT_EQ(cast.parent, &other);
    KScene::SetStageCast(nullptr);
    KScene::SetSubtitleHost(nullptr);
}

} // namespace
