#pragma once
#include <cstdint>
#include <memory>

#include "ui/Window.h"

class TSound;
class TTaskList;
class TWindowManager;

namespace Quillory {

class LoadingTask;

// The window between the menus and the show ("LoadingScreen" in scripts).
// A task on the application task list steps it: the first step only lets
// the empty bar be drawn; then each step loads elements of the studio set
// ("mesh/set/Set.xml", read at initialisation with the loads deferred)
// until none remain or 50 ms have passed, filling 60% of the child
// "progress_bar"; the last step reads the cast and the question database,
// fills the bar and opens the stage ("scripts/demo.lua") through the window
// script. The window stays under the show until the show pops it. It holds
// the loading music (made, never played) while it lives. Main thread only.
class LoadingScreen : public TWindow {
public:
    static constexpr const char* kSetFile = "mesh/set/Set.xml";
    static constexpr const char* kMusic = "music/playdv.ogg?group=";
    static constexpr const char* kProgressBar = "progress_bar";
    static constexpr const char* kStageCode = "DoModal(\"scripts/demo.lua\");";
    // Longest batch of element loads in one step, in ms (the batch ends
    // with the first element that finishes after it).
    static constexpr uint32_t kBatchMs = 50;
    // Parts of the bar: the set fills it to kSetDone, the cast to kCastDone.
    static constexpr float kSetDone = 0.6f;
    static constexpr float kCastDone = 0.8f;

    LoadingScreen();
    ~LoadingScreen() override;

    const char* GetClassName() const override { return "LoadingScreen"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&LoadingScreen::GetCreator); }

    // Empties the bar, applies the geometry keys, reads the set file and
    // puts the loader task on the application task list.
    void PostInit(const TStyle& style) override;
    // One loading step; false once the stage has been opened.
    bool Update() override;

    // The bar's width for a progress (clamped to 0..1; NaN counts as 0).
    static int32_t BarWidth(float progress);
    // Sets the width of "progress_bar", its height kept; nothing without one.
    void SetProgress(float progress);

    bool IsStarted() const { return mStarted; }
    // The loader task is still scheduled.
    bool IsLoading() const { return mTask != nullptr; }
    uint32_t GetElementsLoaded() const { return mElementsLoaded; }
    const std::shared_ptr<TSound>& GetMusic() const { return mMusic; }

private:
    friend class LoadingTask;

    // The cast, the questions, the full bar and the stage.
    void FinishLoading();

    uint32_t mElementsLoaded = 0;
    // Owned by the task list; cleared when the task goes.
    LoadingTask* mTask = nullptr;
    TTaskList* mTasks = nullptr;
    bool mStarted = false;
    std::shared_ptr<TSound> mMusic;
};

// Makes "LoadingScreen" a window type of the manager's scripts; false
// without a manager or when the script refuses it.
bool RegisterLoadingScreen(TWindowManager* windows);

} // namespace Quillory
