#include "app/AppDisplayHost.h"

#include "app/Application.h"
#include "app/PlatformApp.h"
#include "ui/WindowManager.h"

bool TAppDisplayHost::IsActive() const
{
    return mApp->mActive.load();
}

OsWindow TAppDisplayHost::GetMainWindow() const
{
    return mApp->mMainWindow;
}

OsWindow TAppDisplayHost::GetExternalParent() const
{
    return mApp->mExternalWindowParent;
}

bool TAppDisplayHost::IsHosted() const
{
    return mApp->mHosted;
}

bool TAppDisplayHost::IsTestMode() const
{
    return mApp->mTest;
}

bool TAppDisplayHost::GetScaleFactor(float& scale) const
{
    scale = mApp->mScaleFactor.load();
    return mApp->mHosted;
}

void TAppDisplayHost::Invalidate()
{
    if (mApp->mWindowManager)
        mApp->mWindowManager->Invalidate();
}

bool TAppDisplayHost::IsMoviePlaying() const
{
    return mApp->mWindowManager && mApp->mWindowManager->IsMoviePlaying();
}

void TAppDisplayHost::DisplayChanged()
{
    mApp->mDisplayChanged = true;
}

TTaskList* TAppDisplayHost::GetRestoreTasks()
{
    TApplication* application = TApplication::Instance();
    return application ? application->GetRestoreTasks() : nullptr;
}

void TAppDisplayHost::SetDefaultCursor()
{
    mApp->SetCursorImage(TTextureRef(), 2, 2);
}

void TAppDisplayHost::Exit(int code, const char* reason)
{
    mApp->RequestExit(code, reason);
}
