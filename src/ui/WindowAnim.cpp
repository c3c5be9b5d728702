#include "ui/WindowAnim.h"

#include "ui/Window.h"

TWindowAnim::TWindowAnim(TWindow* window, TClock* clock) : TAnimTask(clock), mWindow(window)
{
}

TWindowAnim::~TWindowAnim()
{
    if (mWindow && mWindow->mAnim == this)
        mWindow->mAnim = nullptr;
}

bool TWindowAnim::Update()
{
    return mWindow ? mWindow->Update() : false;
}
