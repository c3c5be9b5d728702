#pragma once
#include <cstddef>
#include <memory>
#include <vector>

#include "game/stage/anim/AnimBase.h"
#include "platform/Task.h"

namespace KAnim {

// The registered 2D animations and their two passes: the Update pass runs
// after each event pass (no frame open), the Draw pass inside the stage's
// 2D pass. Update picks the pass from TRenderer::IsDrawing.
//
// Removal is deferred: Remove only queues, and the purges before and after
// each pass take every running entry of a queued animation out (all its
// duplicates), calling its Stop once per entry. An animation added during a
// pass is appended at once and is called in that pass too. The manager is a
// task by kind but is never put on a task list; its Update is called
// directly. Main thread only.
class AnimManager : public TAnimTask {
public:
    // The manager, made on first use.
    static AnimManager* Get();
    // The manager when one exists, else null (never makes one).
    static AnimManager* Existing();
    // Deletes the manager (which stops what is still registered).
    static void Destroy();

    AnimManager(const AnimManager&) = delete;
    AnimManager& operator=(const AnimManager&) = delete;

    // Appends to the running list; no duplicate check. Null is ignored.
    void Add(const AnimPtr& anim);
    // Queues the animation for the next purge; an unregistered one (or
    // null) comes to nothing.
    void Remove(const AnimPtr& anim);
    // Always true: DrawAll while the renderer draws, else UpdateAll.
    bool Update() override;
    void DrawAll();
    void UpdateAll();
    // Takes the queued animations out of the running list.
    void Purge();

    // Running entries, duplicates counted.
    size_t GetCount() const { return mRunning.size(); }
    // Running entries holding this animation.
    size_t CountOf(const AnimBase* anim) const;

private:
    AnimManager();
    ~AnimManager() override;

    template <class Call>
    void Pass(Call call);

    std::vector<AnimPtr> mRunning;
    std::vector<AnimPtr> mRemoval;
};

} // namespace KAnim
