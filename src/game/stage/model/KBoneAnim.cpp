#include "game/stage/model/KBoneAnim.h"

#include <algorithm>

#include "game/stage/model/KAnimEntry.h"
#include "game/stage/model/XElem.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace KScene {

namespace {

void Redraw()
{
    if (TWindowManager* windows = GetWindowManager())
        windows->Invalidate();
}

// The bone and all bones under it, each before its children.
void Collect(XBone* bone, std::vector<XBone*>& bones)
{
    std::vector<XBone*> stack{bone};
    while (!stack.empty()) {
        XBone* next = stack.back();
        stack.pop_back();
        bones.push_back(next);
        const std::vector<XBone*>& children = next->GetChildren();
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            stack.push_back(*child);
    }
}

} // namespace

KBoneAnim::KBoneAnim(const std::shared_ptr<XElem>& frame, const KAnimEntry& entry)
    : mFrame(frame), mFrames(entry.frames), mTransform(entry.transform)
{
    const size_t count = std::min(entry.frames.size(), entry.durations.size());
    mFrames.resize(count);
    mEnds.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        mTotal += entry.durations[i];
        mEnds.push_back(mTotal);
    }
    if (mFrame)
        mRoot = mFrame->GetBones().Root();
    if (mRoot)
        Collect(mRoot, mBones);
    else
        WriteLog("Bone animations: \"%s\" on %s: the model has no linked bones; nothing plays", entry.name.c_str(),
                 mFrame ? mFrame->GetName().c_str() : "no frame");
    SetName(StrFormat("eBoneAnim on %s", mFrame ? mFrame->GetName().c_str() : ""));
}

void KBoneAnim::Start()
{
    if (!mRoot) {
        KEvent::Event::Start();
        Finish();
        return;
    }
    mFrame->SetTransform(mTransform);
    mClock.Reset();
    mClock.Start();
    mLastShown = kNothingShown;
    KEvent::Event::Start();
}

size_t KBoneAnim::StepAt(uint64_t t) const
{
    return size_t(std::upper_bound(mEnds.begin(), mEnds.end(), t) - mEnds.begin());
}

void KBoneAnim::Update()
{
    if (!mRoot || IsFinished())
        return;
    const uint64_t t = mClock.GetTime();
    // The work below is not playing time.
    mClock.Pause();

    if (mFrames.empty()) {
        mClock.Start();
        Finish();
        return;
    }
    if (t >= mTotal) {
        mFrame->SetFrame(mFrames.back());
        mClock.Start();
        Redraw();
        Finish();
        return;
    }

    const uint16_t frame = mFrames[StepAt(t)];
    for (XBone* bone : mBones)
        bone->PickKey(frame);
    if (frame != mLastShown) {
        mLastShown = frame;
        mRoot->Refresh(TMat4());
        mFrame->Skin();
    }
    mClock.Start();
    Redraw();
}

} // namespace KScene
