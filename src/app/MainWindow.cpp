#include "app/MainWindow.h"

#include <cstdlib>

#include "app/AppIcon.h"
#include "app/AppText.h"
#include "app/HostBridge.h"
#include "app/PlatformApp.h"
#include "os/window/Clipboard.h"
#include "os/window/MessageQueue.h"
#include "os/window/Timer.h"
#include "platform/CommandLine.h"
#include "platform/Log.h"
#include "platform/Timer.h"
#include "render/CursorImage.h"
#include "render/Platform.h"
#include "render/Renderer.h"
#include "sound/SoundManager.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace {

// Hit-test results that would let the user resize or maximise the window:
// the size box and the borders and maximise button (9 to 18).
bool IsResizeHit(intptr_t hit)
{
    return hit == 4 || (hit >= 9 && hit <= 18);
}

TPlatformApp* AppOf(OsWindow window)
{
    return static_cast<TPlatformApp*>(OsGetWindowUserData(window));
}

// Minimise (false) or restore (true): the sound follows at once, and a
// change of state toggles the pending activation event, so a minimise and a
// restore before the next pump step report nothing.
void ChangeActivity(TPlatformApp& app, bool active)
{
    if (TSoundManager* sound = app.GetSoundManager())
        sound->SetEnabled(active);
    TWindowEvents& events = app.GetWindowEvents();
    if (active != events.active) {
        events.active = active;
        events.activationPending = !events.activationPending;
    }
}

} // namespace

intptr_t MainWndProc(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == OsMsg::Destroy) {
        OsPostQuitMessage(0);
        return 0;
    }
    TPlatformApp* app = AppOf(window);
    if (!app)
        return OsDefWindowProc(window, message, wParam, lParam);

    TWindowEvents& events = app->GetWindowEvents();
    switch (message) {
    case OsMsg::Size:
        if (wParam == OsSize::Minimized)
            ChangeActivity(*app, false);
        else if (wParam == OsSize::Restored)
            ChangeActivity(*app, true);
        break;
    case OsMsg::Paint:
        if (TWindowManager* windows = app->GetWindowManager())
            windows->Invalidate();
        break;
    case OsMsg::Close:
        // The game decides; the window stays.
        events.closeRequested = true;
        return 0;
    case OsMsg::EraseBkgnd:
        return 1;
    case OsMsg::ActivateApp: {
        bool active = wParam == 1;
        if (active != events.appActive) {
            events.appActive = active;
            events.appActivationPending = true;
            if (TSoundManager* sound = app->GetSoundManager())
                sound->SetEnabled(active);
        }
        break;
    }
    case OsMsg::SetCursor:
        if (int32_t(int16_t(OsLoWord(uintptr_t(lParam)))) == OsHit::Client) {
            TPlatform* platform = GetPlatform();
            if (platform && platform->OnSetCursor())
                return 1;
        }
        break;
    case OsMsg::MouseActivate:
        if (!app->IsHosted()) {
            events.clickGuard = true;
            events.clickGuardTime = GetTimer();
        }
        break;
    case OsMsg::DisplayChange:
        if (!events.active) {
            if (TPlatform* platform = GetPlatform())
                platform->UpdateDesktopMode();
        }
        break;
    case OsMsg::NcHitTest: {
        intptr_t hit = OsDefWindowProc(window, message, wParam, lParam);
        return IsResizeHit(hit) ? intptr_t(OsHit::Nowhere) : hit;
    }
    case OsMsg::Timer:
    case OsMsg::InitMenu:
        return 0;
    case OsMsg::MouseMove:
        if (TPlatform* platform = GetPlatform()) {
            platform->SyncMouse();
            TMousePos pos = platform->MoveMouse(OsLParamX(lParam), OsLParamY(lParam));
            lParam = OsMakeLParam(pos.x, pos.y);
        }
        break;
    case OsMsg::MouseLeave:
        if (TPlatform* platform = GetPlatform())
            platform->MouseLeft();
        events.hoverArmed = false;
        events.mouseLeftPending = true;
        events.leaveArmed = false;
        return 0;
    case OsMsg::User:
        HostCommand(uint32_t(wParam), lParam);
        return 1;
    case OsMsg::User + 2:
        ForwardToHost(message, wParam, lParam);
        return 1;
    default:
        break;
    }
    return OsDefWindowProc(window, message, wParam, lParam);
}

void TPlatformApp::CreateMainWindow()
{
    if (mExternalWindowParent && !OsIsWindow(mExternalWindowParent)) {
        WriteError("Error: mExternalWindowParent is lost, exiting!");
        return;
    }
    if (!OsInitVideo()) {
        WriteError("Error: the video system cannot be started, exiting! (Is DISPLAY set?)");
        return;
    }
    OsWindowParams params;
    params.title = kMainWindowTitle;
    params.width = 480;
    params.height = 360;
    params.proc = MainWndProc;
    mMainWindow = OsCreateWindow(params);
    if (!mMainWindow) {
        WriteError("Error: the main window cannot be created, exiting!");
        return;
    }
    RecordParentWindow(mMainWindow);
    SetAppIcon(mMainWindow);
    // Test mode: the window is shown at once with a 480 x 360 client area
    // (the size it was made with).
    if (mTest)
        OsShowWindow(mMainWindow, OsShow::Show);
    OsSetWindowUserData(mMainWindow, this);
    if (OsIsWindowVisible(mMainWindow))
        OsSetForegroundWindow(mMainWindow);
}

void TPlatformApp::ClearRootWindow()
{
    TModalWindow* root = mWindowManager ? mWindowManager->GetRootWindow() : nullptr;
    if (!root)
        return;
    const float clear[4] = {0, 0, 0, 0};
    TRenderer::Get()->FillRect(root->GetRect(), clear);
}

void TPlatformApp::AdoptMainWindow(OsWindow window)
{
    mMainWindow = window;
    if (window)
        OsSetWindowUserData(window, this);
}

void TPlatformApp::SetupDisplay(int32_t width, int32_t height, bool fullScreen)
{
    if (HasPqSwitch()) {
        NotifyHostFullScreen(fullScreen);
        fullScreen = false;
    }
    mScaleFactor = 1.0f;
    if (mHosted) {
        int32_t parentWidth = 0, parentHeight = 0;
        if (width > 0 && OsGetClientSize(mExternalWindowParent, &parentWidth, &parentHeight))
            mScaleFactor = float(parentWidth) / float(width);
        fullScreen = false;
    }

    TPlatform* platform = GetPlatform();
    if (!platform)
        platform = new TPlatform();
    InstallPlatformRenderDevice();
    platform->SetWindow(mMainWindow);
    platform->SetDisplay(width, height, fullScreen, false, false, mExternalWindowParent != nullptr);
    if (mText->MakeRasteriser())
        ClearRootWindow();
    platform->CalibratePixelOffset();

    if (mMainWindow)
        OsSetTimer(mMainWindow, 0, 250);
}

// The stored texture, or the built-in arrow when it is empty (registered as
// a memory file and read by the display layer). Without any image the
// system arrow stays.
void TPlatformApp::ApplyCursorImage()
{
    TPlatform* platform = GetPlatform();
    bool shown = false;
    if (platform) {
        if (mCursorTexture) {
            platform->SetCursorImage(mCursorTexture, mHotSpotX, mHotSpotY);
            shown = platform->GetCursorTexture() != nullptr;
        } else {
            RegisterSystemCursor();
            shown = platform->SetCursorImageFile(kSystemCursorName, mHotSpotX, mHotSpotY);
        }
        platform->SetSystemCursorWanted(!shown);
    }
    if (mMainWindow)
        OsSetClassCursor(mMainWindow, !shown);
    OsShowSystemCursor(!shown);
}

void TPlatformApp::SetCursorImage(TTextureRef texture, int32_t hotX, int32_t hotY)
{
    mCursorTexture = std::move(texture);
    mHotSpotX = hotX;
    mHotSpotY = hotY;
    if (mCursorShown)
        ApplyCursorImage();
}

void TPlatformApp::ShowCursor(bool show)
{
    if (show == mCursorShown)
        return;
    mCursorShown = show;
    if (show) {
        ApplyCursorImage();
        return;
    }
    if (TPlatform* platform = GetPlatform()) {
        platform->SetCursorImage(TTextureRef(), 0, 0);
        platform->SetSystemCursorWanted(false);
    }
    if (mMainWindow)
        OsSetClassCursor(mMainWindow, false);
    OsShowSystemCursor(false);
}

void TPlatformApp::SetWindowTitle(const TString& title)
{
    if (mMainWindow)
        OsSetWindowTitle(mMainWindow, title.c_str());
}

bool TPlatformApp::IsActive() const
{
    OsWindow foreground = OsGetForegroundWindow();
    if (!foreground || !mMainWindow)
        return false;
    if (!HasPqSwitch())
        return foreground == mMainWindow;
    for (OsWindow w = mMainWindow; w; w = OsGetParent(w)) {
        if (w == foreground)
            return true;
    }
    return false;
}

bool TPlatformApp::IsFullScreen() const
{
    if (HasPqSwitch())
        return IsHostFullScreen();
    TPlatform* platform = GetPlatform();
    return platform && platform->IsFullScreen();
}

bool TPlatformApp::SetFullScreen(bool fullScreen)
{
    TPlatform* platform = GetPlatform();
    if (HasPqSwitch()) {
        NotifyHostFullScreen(fullScreen);
        if (platform && platform->IsFullScreen())
            platform->SetFullScreen(false);
        return true;
    }
    return platform && platform->SetFullScreen(fullScreen);
}

bool TPlatformApp::StringToClipboard(const TString& text)
{
    return OsSetClipboardText(std::string_view(text.c_str(), text.Length()));
}

TString TPlatformApp::GetClipboardString(char replacement) const
{
    if (!OsHasClipboardText())
        return TString();
    std::string text = OsGetClipboardText(replacement);
    return TString(text.c_str(), uint32_t(text.size()));
}
