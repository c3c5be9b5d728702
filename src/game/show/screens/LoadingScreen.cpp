#include "game/show/screens/LoadingScreen.h"

#include "game/show/cast/KChildManager.h"
#include "game/show/question/QuestionDB.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/TaskList.h"
#include "sound/Sound.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"

namespace Quillory {

// Steps its loading screen once per run. The first step waits for a drawn
// frame (so the empty bar shows before anything loads); later steps run in
// frame and idle passes alike. A task whose screen is gone ends at its next
// run.
class LoadingTask : public TAnimTask {
public:
    explicit LoadingTask(LoadingScreen* screen) : mScreen(screen) { SetPerFrame(true); }
    ~LoadingTask() override
    {
        if (mScreen)
            mScreen->mTask = nullptr;
    }
    LoadingTask(const LoadingTask&) = delete;
    LoadingTask& operator=(const LoadingTask&) = delete;

    bool IsReady(int32_t pass) override
    {
        if (!mScreen)
            return true;
        if (pass == kPassIdle && !mScreen->IsStarted())
            return false;
        return TAnimTask::IsReady(pass);
    }
    bool Update() override { return mScreen && mScreen->Update(); }
    void Detach() { mScreen = nullptr; }

private:
    LoadingScreen* mScreen;
};

namespace {

constexpr int32_t kBarMin = 20;
constexpr float kBarRange = 560.0f;

// The application task list, as the window manager's host gives it.
TTaskList* AppTasks()
{
    TWindowManager* manager = GetWindowManager();
    TWindowManagerHost* host = manager ? manager->GetHost() : nullptr;
    return host ? host->GetAppTasks() : nullptr;
}

} // namespace

bool RegisterLoadingScreen(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("LoadingScreen"), &LoadingScreen::GetCreator);
}

TWindow* LoadingScreen::GetCreator()
{
    return new LoadingScreen();
}

LoadingScreen::LoadingScreen() = default;

LoadingScreen::~LoadingScreen()
{
    if (!mTask)
        return;
    mTask->Detach();
    // A list in the middle of its run deletes the detached task at its next
    // run instead.
    if (mTasks && !mTasks->IsRunning() && mTasks->Remove(mTask))
        delete mTask;
    mTask = nullptr;
}

int32_t LoadingScreen::BarWidth(float progress)
{
    if (!(progress > 0.0f))
        progress = 0.0f;
    else if (progress > 1.0f)
        progress = 1.0f;
    return int32_t(progress * kBarRange + float(kBarMin));
}

void LoadingScreen::SetProgress(float progress)
{
    if (TWindow* bar = FindChild(TString(kProgressBar)); bar && bar != this)
        bar->SetSize(BarWidth(progress), bar->GetHeight());
}

void LoadingScreen::PostInit(const TStyle& style)
{
    if (!FindChild(TString(kProgressBar)))
        WriteLog("LoadingScreen: no \"%s\" child; the progress is not shown", kProgressBar);
    SetProgress(0.0f);
    TWindow::PostInit(style);
    // A set that cannot be read is empty (with its own log line): the show
    // then opens on an empty studio.
    KScene::KSceneSet::Get()->Load(TString(kSetFile), true);

    mTasks = AppTasks();
    if (mTasks) {
        mTask = new LoadingTask(this);
        mTasks->Add(mTask);
    } else {
        WriteLog("LoadingScreen: no application task list; nothing is loaded");
    }
    mStarted = false;
    mMusic = TSound::Create(TString(kMusic), false, kSoundGroupMusic);
}

bool LoadingScreen::Update()
{
    if (!mStarted) {
        // One frame with the empty bar before anything loads.
        mStarted = true;
        return true;
    }
    KScene::KSceneSet* set = KScene::KSceneSet::Get();
    const uint32_t total = set->GetElementCount();
    bool remaining = mElementsLoaded < total;
    TClock watch;
    watch.Start();
    while (remaining) {
        remaining = set->LoadNextElement();
        ++mElementsLoaded;
        if (watch.GetTime() >= kBatchMs)
            break;
    }
    // An empty set counts as loaded.
    SetProgress(total ? kSetDone * float(mElementsLoaded) / float(total) : kSetDone);
    if (remaining)
        return true;
    FinishLoading();
    return false;
}

void LoadingScreen::FinishLoading()
{
    // The cast is read here unless a script read it already, so that the
    // stage opens with the classmates and the host in place.
    if (!KChildManager::Existing())
        KChildManager::Instance();
    SetProgress(kCastDone);
    KQuestion::QuestionDB::Instance();
    SetProgress(1.0f);
    TWindowManager* manager = GetWindowManager();
    TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
    if (!script)
        WriteLog("LoadingScreen: no window script; the stage is not opened");
    else if (!script->RunString(TString(kStageCode)))
        WriteLog("LoadingScreen: %s failed", kStageCode);
}

} // namespace Quillory
