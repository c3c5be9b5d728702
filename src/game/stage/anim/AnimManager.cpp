#include "game/stage/anim/AnimManager.h"

#include <algorithm>

#include "render/Renderer.h"

namespace KAnim {

namespace {
AnimManager* gManager = nullptr;
}

AnimManager* AnimManager::Get()
{
    if (!gManager)
        gManager = new AnimManager();
    return gManager;
}

AnimManager* AnimManager::Existing()
{
    return gManager;
}

void AnimManager::Destroy()
{
    // The destructor runs while the pointer still names the manager, so the
    // removals that Stop asks for land in the manager being deleted.
    delete gManager;
    gManager = nullptr;
}

AnimManager::AnimManager() : TAnimTask(nullptr)
{
    SetPerFrame(false);
}

AnimManager::~AnimManager()
{
    // By index: a Stop may add to the list.
    for (size_t i = 0; i < mRunning.size(); ++i) {
        AnimPtr anim = mRunning[i];
        anim->Stop();
    }
}

void AnimManager::Add(const AnimPtr& anim)
{
    if (anim)
        mRunning.push_back(anim);
}

void AnimManager::Remove(const AnimPtr& anim)
{
    if (anim)
        mRemoval.push_back(anim);
}

size_t AnimManager::CountOf(const AnimBase* anim) const
{
    return size_t(std::count_if(mRunning.begin(), mRunning.end(),
                                [anim](const AnimPtr& entry) { return entry.get() == anim; }));
}

void AnimManager::Purge()
{
    // By index over the live lists: a Stop may queue another removal (seen
    // in this purge) or add an animation.
    for (size_t r = 0; r < mRemoval.size(); ++r) {
        const AnimBase* target = mRemoval[r].get();
        size_t i = 0;
        while (i < mRunning.size()) {
            if (mRunning[i].get() != target) {
                ++i;
                continue;
            }
            AnimPtr anim = std::move(mRunning[i]);
            mRunning.erase(mRunning.begin() + std::ptrdiff_t(i));
            anim->Stop();
        }
    }
    mRemoval.clear();
}

template <class Call>
void AnimManager::Pass(Call call)
{
    Purge();
    // By index: an animation added during the pass is appended and called
    // in this pass as well; nothing is erased until the purge.
    for (size_t i = 0; i < mRunning.size(); ++i) {
        AnimPtr anim = mRunning[i];
        call(*anim);
    }
    Purge();
}

void AnimManager::DrawAll()
{
    Pass([](AnimBase& anim) { anim.Draw(); });
}

void AnimManager::UpdateAll()
{
    Pass([](AnimBase& anim) { anim.Update(); });
}

bool AnimManager::Update()
{
    if (TRenderer::Get()->IsDrawing())
        DrawAll();
    else
        UpdateAll();
    return true;
}

} // namespace KAnim
