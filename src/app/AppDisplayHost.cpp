#include "app/AppDisplayHost.h"

#include "app/Application.h"
#include "app/PlatformApp.h"
#include "ui/WindowManager.h"

bool TAppDisplayHost::IsActive() const
{
    return mApp->GetWindowEvents().active.load();
}

OsWindow TAppDisplayHost::GetMainWindow() const
{
    return mApp->GetMainWindow();
}

OsWindow TAppDisplayHost::GetExternalParent() const
{
    return mApp->GetExternalParent();
}

bool TAppDisplayHost::IsHosted() const
{
    return mApp->IsHosted();
}

bool TAppDisplayHost::IsTestMode() const
{
    return mApp->IsTestMode();
}

bool TAppDisplayHost::GetScaleFactor(float& scale) const
{
    scale = mApp->GetScaleFactor();
    return mApp->IsHosted();
}

void TAppDisplayHost::Invalidate()
{
    if (TWindowManager* windows = mApp->GetWindowManager())
        windows->Invalidate();
}

bool TAppDisplayHost::IsMoviePlaying() const
{
    TWindowManager* windows = mApp->GetWindowManager();
    return windows && windows->IsMoviePlaying();
}

void TAppDisplayHost::DisplayChanged()
{
    mApp->GetWindowEvents().displayChanged = true;
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
