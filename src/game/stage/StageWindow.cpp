#include "game/stage/StageWindow.h"

#include <algorithm>

#include "game/show/ShowController.h"
#include "game/show/event/ShowLinks.h"
#include "game/stage/StageLinks.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/effects/Confetti.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/SceneSet.h"
#include "render/Renderer.h"
#include "ui/WindowManager.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

void Redraw()
{
    if (TWindowManager* windows = GetWindowManager())
        windows->Invalidate();
}

} // namespace

TWindow* KDemo::GetCreator()
{
    return new KDemo();
}

KDemo::KDemo()
{
    ShowController* show = ShowController::Instance();
    show->SetStage(this);
    if (!show->IsStudioTour())
        show->AdvanceNextFrame();
    mScene = KScene::KSceneSet::Get();
    KScene::CameraAnimator::Get()->ResetToDefault();
    KAnim::SetMoneyDisplayParent(this);
}

KDemo::~KDemo()
{
    mConfetti.reset();
    // The controller outlives stages; a later show event must not reach
    // this one.
    if (ShowController* show = ShowController::Existing(); show && show->GetStage() == this)
        show->SetStage(nullptr);
    if (KAnim::GetMoneyDisplayParent() == this)
        KAnim::SetMoneyDisplayParent(nullptr);
    if (KScene::SubtitleHost* subtitles = KScene::GetSubtitleHost(); subtitles && subtitles->GetSubtitleParent() == this)
        subtitles->SetSubtitleParent(nullptr);
}

void KDemo::PostInit(const TStyle& style)
{
    if (KScene::SubtitleHost* subtitles = KScene::GetSubtitleHost())
        subtitles->SetSubtitleParent(this);
    TWindow::PostInit(style);
}

bool KDemo::OnMouseMove(TPoint point)
{
    const int32_t fromRight = GetWidth() - point.x;
    if (point.x < kEdgeZone)
        mOrbitSpeed = float(double(kEdgeZone - point.x) * double(kOrbitRate));
    else if (fromRight < kEdgeZone)
        mOrbitSpeed = float(-double(kEdgeZone - fromRight) * double(kOrbitRate));
    else
        mOrbitSpeed = 0;
    Redraw();
    return false;
}

void KDemo::ShowQuestionWindow(TWindow* window)
{
    if (!window)
        return;
    mQuestionWindow = window;
    AddChild(window, true);
}

TWindow* KDemo::GetQuestionWindow() const
{
    const std::vector<TWindow*>& children = GetChildren();
    if (!mQuestionWindow || std::find(children.begin(), children.end(), mQuestionWindow) == children.end())
        return nullptr;
    return mQuestionWindow;
}

void KDemo::ClearQuestionWindow(const TWindow* window)
{
    if (window && window == mQuestionWindow)
        mQuestionWindow = nullptr;
}

void KDemo::Draw()
{
    ++mFrameCount;
    MoveCamera();
    mScene->Draw();
    DrawEffects();
    DrawOverlay();
}

void KDemo::MoveCamera()
{
    KScene::CameraAnimator* animator = KScene::CameraAnimator::Get();
    KScene::CameraRecord& camera = mScene->GetCamera();
    if (animator->IsActive()) {
        animator->Advance();
        Redraw();
    } else {
        if (mOrbitSpeed != 0) {
            Redraw();
            mScene->CameraCommand(mOrbitSpeed, 9);
        }
        camera.yaw = std::clamp(camera.yaw, mYawMin, mYawMax);
    }
    if (camera.yaw > kTwoPi)
        camera.yaw -= kTwoPi;
    if (camera.yaw < 0)
        camera.yaw += kTwoPi;
}

void KDemo::DrawEffects()
{
    TRenderer* renderer = TRenderer::Get();
    T3dGuard pass;
    pass.Begin3d();
    KScene::LensFlare::Get()->Draw();
    if (KScene::StageCast* cast = KScene::GetStageCast())
        cast->Draw(renderer);
    if (mConfetti) {
        auto* canon = dynamic_cast<ConfettiCanon*>(mConfetti.get());
        if (canon)
            canon->Draw(renderer);
        if (!canon || !canon->IsAlive())
            mConfetti.reset();
    }
}

void KDemo::DrawOverlay()
{
    T2dGuard pass;
    pass.Begin2d();
    if (TWindow* button = FindChild(TString("btn_mainmenu"))) {
        ShowController* show = ShowController::Instance();
        button->SetFlags(show->GetRecord().mainMenuButtonShown ? uint32_t(kWindowShown) : 0u);
    }
    TWindow::Draw();
    KAnim::AnimManager::Get()->Update();
    Redraw();
}
