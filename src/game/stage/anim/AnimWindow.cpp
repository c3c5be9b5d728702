#include "game/stage/anim/AnimWindow.h"

#include "platform/Log.h"
#include "render/Renderer.h"
#include "ui/WindowManager.h"

namespace KAnim {

AnimWindow::AnimWindow(AnimPtr anim) : mAnim(std::move(anim))
{
    MoveTo(0, 0);
    SetSize(800, 600);
}

AnimWindow::~AnimWindow()
{
    if (AnimPtr anim = std::move(mAnim))
        anim->Stop();
}

AnimWindow* AnimWindow::Create(AnimBase& anim)
{
    AnimPtr self = anim.GetSelf();
    if (!self) {
        WriteLog("AnimWindow asked for an animation that no shared pointer owns; no window made");
        return nullptr;
    }
    return new AnimWindow(std::move(self));
}

void AnimWindow::Draw()
{
    if (!mAnim)
        return;
    {
        T2dGuard pass;
        pass.Begin2d();
        mAnim->Draw();
    }
    // The animation moves on with time: while it shows, every frame is
    // drawn (the window manager otherwise draws only after a change).
    if (TWindowManager* windows = GetWindowManager())
        windows->Invalidate();
}

} // namespace KAnim
