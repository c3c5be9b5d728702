#include "ui/FlashPlayer.h"

#include <string_view>

#include "platform/AssetNames.h"
#include "platform/Log.h"
#include "render/Platform.h"
#include "render/Renderer.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/WindowManager.h"

namespace {

constexpr std::string_view kFlashPrefix = "FLASH_";

class TNullMovieControl : public TMovieControl {
public:
    bool Init() override { return false; }
    bool Create(const TRect&, bool) override { return false; }
    bool Load(const TString&) override { return false; }
    bool StopPlayback() override { return false; }
    bool Play() override { return false; }
    bool GetVariable(const TString&, TString&) override { return false; }
    bool SetVariable(const TString&, const TString&) override { return false; }
    bool IsPlaying() override { return false; }
    void Destroy() override {}
};

// The names of a ";"-ended list; empty names are skipped, a last name
// without its ";" still counts.
std::vector<TString> SplitNames(const TString& list)
{
    std::vector<TString> names;
    std::string_view rest(list.c_str(), list.Length());
    while (!rest.empty()) {
        size_t end = rest.find(';');
        std::string_view name = rest.substr(0, end);
        if (!name.empty())
            names.emplace_back(name.data(), uint32_t(name.size()));
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return names;
}

} // namespace

std::unique_ptr<TMovieControl> MakeNullMovieControl()
{
    return std::make_unique<TNullMovieControl>();
}

TFlashPlayer::TFlashPlayer(std::unique_ptr<TMovieControl> control, TMoviePlayerHost* host)
    : mControl(std::move(control)), mHost(host)
{
    if (!mControl)
        mControl = MakeNullMovieControl();
}

TFlashPlayer::~TFlashPlayer()
{
    Stop();
}

TString TFlashPlayer::FindMovie(const TString& file)
{
    if (file.IsEmpty())
        return TString();
    TString inAssets = ResolveAssetPath(TString("assets/") + file, true);
    if (!inAssets.IsEmpty())
        return inAssets;
    return ResolveAssetPath(TString("::") + file, true);
}

bool TFlashPlayer::Start(const TString& file, bool translate, bool allowInput, bool blockInput)
{
    if (mStarted)
        Stop();
    if (mHost) {
        mSavedCursor = mHost->IsCursorShown();
        mHost->ShowCursor(false);
    }
    if (!mControl->Init()) {
        WriteLog("Movie %s: no movie player on this platform", file.c_str());
        if (mHost)
            mHost->ShowCursor(mSavedCursor);
        return false;
    }

    TWindowManager* manager = GetWindowManager();
    TModalWindow* root = manager ? manager->GetRootWindow() : nullptr;
    TRect area = root ? root->GetScreenRect() : TRect();
    if (blockInput && manager) {
        manager->SetInputCovered(true);
        mCovered = true;
    }
    if (!mControl->Create(area, translate)) {
        WriteLog("Movie %s: the movie control cannot be created", file.c_str());
        Undo();
        return false;
    }
    TString path = FindMovie(file);
    if (path.IsEmpty() || !Load(path, translate)) {
        WriteLog("Movie %s: %s", file.c_str(), path.IsEmpty() ? "no such file" : "it does not play");
        Undo();
        return false;
    }

    mStarted = true;
    if (manager) {
        manager->SetMoviePlaying(true);
        if (allowInput) {
            mTookInput = true;
            manager->SetMovieInput(true);
        }
    }
    if (TPlatform* platform = GetPlatform())
        platform->FlipToGDISurface();
    return true;
}

bool TFlashPlayer::Load(const TString& path, bool translate)
{
    if (!mControl->Load(path))
        return false;
    if (!translate)
        return true;
    if (!mControl->StopPlayback())
        return false;
    TString list;
    if (!mControl->GetVariable("textvarnames", list))
        return false;
    for (const TString& name : SplitNames(list))
        if (!mControl->SetVariable(name, mHost ? mHost->GetText(name) : name))
            return false;
    std::vector<TString> labels;
    if (mHost)
        mHost->GetFlashLabels(labels);
    for (const TString& label : labels) {
        std::string_view text(label.c_str(), label.Length());
        if (!text.starts_with(kFlashPrefix))
            continue;
        text.remove_prefix(kFlashPrefix.size());
        if (!mControl->SetVariable(TString(text.data(), uint32_t(text.size())), mHost->GetText(label)))
            return false;
    }
    return mControl->Play();
}

bool TFlashPlayer::IsPlaying()
{
    return mStarted && mControl->IsPlaying();
}

void TFlashPlayer::Undo()
{
    mControl->Destroy();
    if (mCovered) {
        if (TWindowManager* manager = GetWindowManager())
            manager->SetInputCovered(false);
        mCovered = false;
    }
    if (mHost)
        mHost->ShowCursor(mSavedCursor);
}

void TFlashPlayer::Stop()
{
    if (!mStarted)
        return;
    mStarted = false;
    TWindowManager* manager = GetWindowManager();
    mControl->Destroy();
    if (manager)
        manager->SetMoviePlaying(false);
    if (mCovered) {
        if (manager)
            manager->SetInputCovered(false);
        mCovered = false;
    }
    TPlatform* platform = GetPlatform();
    if (platform)
        platform->ResetMouse();
    ClearScreen();
    if (platform)
        platform->ResetMouse();
    if (mTookInput) {
        if (manager)
            manager->SetMovieInput(false);
        mTookInput = false;
    }
    if (mHost)
        mHost->ShowCursor(mSavedCursor);
}

void TFlashPlayer::ClearScreen()
{
    // The movie's last picture goes: one frame of the screen's fill colour.
    TWindowManager* manager = GetWindowManager();
    TModalWindow* root = manager ? manager->GetRootWindow() : nullptr;
    if (!root)
        return;
    TRenderer* renderer = TRenderer::Get();
    if (!renderer->BeginDraw(false))
        return;
    static const float kBlack[4] = {0, 0, 0, 1};
    const TScreen* screen = TWindow::Cast<TScreen>(root);
    renderer->FillRect(root->GetRect(), screen ? screen->GetFillColour() : kBlack);
    renderer->EndDraw(true);
}
