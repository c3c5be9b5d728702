#include "game/show/GameLoop.h"

#include "game/show/GameSettings.h"
#include "game/show/ShowController.h"
#include "game/show/vo/VOBuilders.h"
#include "game/stage/scene/SceneSet.h"
#include "os/system/Time.h"
#include "platform/Log.h"
#include "render/AnimatedTexture.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

TGameLoop::TGameLoop(TWindowManager* windows) : mWindows(windows) {}

TGameLoop::~TGameLoop() = default;

void TGameLoop::Start()
{
    mLogo = TAnimatedTexture::Get(TString(kLogoName));
    if (mLogo)
        mLogo->SetFrame(kLogoRestFrame);
    else
        WriteLog("No studio logo \"%s\": the pedestal screen stays dark", kLogoName);
    mClock.Start();
}

int32_t TGameLoop::LogoFrameAt(uint32_t clockMs) const
{
    const int32_t count = mLogo ? mLogo->GetFrameCount() : 0;
    if (count <= 0)
        return -1;
    // In 32-bit signed arithmetic, the quotient truncated toward zero.
    const int32_t frame = int32_t(clockMs * uint32_t(kLogoFramesPerSecond)) / 1000;
    const int32_t wrapped = frame % count;
    return wrapped < 0 ? wrapped + count : wrapped;
}

void TGameLoop::AdvanceLogo()
{
    const int32_t frame = LogoFrameAt(mClock.GetTime());
    if (frame < 0)
        return;
    mLogo->SetFrame(frame);
    KScene::KSceneSet::Get()->ShowAnimationOnElement(TString("kid_pedestal_tv"), mLogo);
}

void TGameLoop::OnActivate(bool active)
{
    // Back while the player was facing a question: the host welcomes them
    // back (the line runs by itself).
    ShowController* show = ShowController::Existing();
    if (active && show && show->IsRunning() && show->GetRecord().previousState == ShowController::kQuestionState)
        KVO::VOResume();
    if (!mWindows)
        return;
    TModalWindow* top = mWindows->GetTopModal();
    if (!top)
        return;
    if (active)
        top->GetClock().Start();
    else
        top->GetClock().Pause();
}

bool TGameLoop::Handle(const TPlatformEvent& event)
{
    switch (event.type) {
    case kEventQuit:
    case kEventClose:
        return false;
    case kEventIdle:
        if (!mIdleSeen) {
            // On the monotonic clock, so that start-up can be timed from outside.
            WriteLog("First idle event at %u ms", OsTimeMs());
            mIdleSeen = true;
        }
        // The logo runs while a show does, and stands still between shows.
        if (ShowController::Instance()->IsRunning())
            AdvanceLogo();
        break;
    case kEventActivate:
        OnActivate(event.param == 1);
        break;
    case kEventFullScreen:
        // The display mode may have changed: the settings remember it.
        if (GameSettings* settings = GameSettings::Instance())
            settings->OnDisplayModeChanged();
        break;
    default:
        break;
    }
    if (mWindows) {
        mWindows->HandleEvent(event);
        ++mHanded;
    }
    return true;
}
