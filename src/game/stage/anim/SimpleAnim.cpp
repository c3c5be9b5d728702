#include "game/stage/anim/SimpleAnim.h"

#include "game/stage/anim/AnimEvent.h"
#include "game/stage/anim/AnimManager.h"
#include "platform/Log.h"

namespace KAnim {

SimpleAnim::SimpleAnim(const TDrawParams& params, int32_t loops) : mParams(params), mLoops(loops) {}

SimpleAnim::SimpleAnim(const TDrawParams& params, std::shared_ptr<KEvent::Event> owner)
    : mParams(params), mLoops(-1), mOwner(std::move(owner))
{
}

SimpleAnim::~SimpleAnim() = default;

std::shared_ptr<SimpleAnim> SimpleAnim::Create(const TString& file, const TDrawParams& params, int32_t loops,
                                               const TString& frameList, bool doRegister)
{
    std::shared_ptr<SimpleAnim> anim = KAnim::Create<SimpleAnim>(params, loops);
    anim->Attach(file, frameList, doRegister);
    return anim;
}

std::shared_ptr<SimpleAnim> SimpleAnim::CreateLooping(const TString& file, const TDrawParams& params,
                                                      const std::shared_ptr<KEvent::Event>& owner,
                                                      const TString& frameList, bool doRegister)
{
    std::shared_ptr<SimpleAnim> anim = KAnim::Create<SimpleAnim>(params, owner);
    anim->Attach(file, frameList, doRegister);
    return anim;
}

void SimpleAnim::Attach(const TString& file, const TString& frameList, bool doRegister)
{
    mTexture = TAnimatedTexture::Get(file);
    AnimPtr self = GetSelf();
    if (doRegister)
        AnimManager::Get()->Add(self);
    mEvent = MakeAnimEvent(self);
    mFrameList = FrameList(mTexture, frameList);
}

void SimpleAnim::Draw()
{
    if (!mRunning)
        return;
    const int32_t count = mFrameList.Count();
    if (!mTexture || count == 0) {
        // A texture that did not load was logged by its loader already.
        if (mTexture)
            WriteLog("Animation \"%.80s\" with frame list \"%.80s\" has no frames to show; it ends at once",
                     mTexture->GetDescription().descriptionName.c_str(), mFrameList.GetText().c_str());
        Stop();
        return;
    }
    // In 64 bits: a long-running clock times the rate must not wrap.
    int64_t position = int64_t(mClock.GetTime()) * mFps / 1000;
    if (position >= count) {
        if (mOwner && mOwner->IsFinished()) {
            Stop();
            return;
        }
        if (mLoops != 0) {
            position %= count;
            if (mLoops > 0)
                --mLoops;
            mClock.Reset();
        } else {
            Stop();
            position = count - 1;
        }
    }
    mTexture->SetFrame(mFrameList.At(int32_t(position)));
    mTexture->Draw(mParams);
    if (mRunning)
        mClock.Start();
}

std::shared_ptr<KEvent::Event> SimpleAnim::GetEvent()
{
    return mEvent;
}

void SimpleAnim::Start()
{
    mRunning = true;
    mClock.Reset();
}

void SimpleAnim::Stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    mClock.Pause();
    // Keeps the event alive through its own Finish (which calls Stop again,
    // to no effect).
    if (std::shared_ptr<eAnimBase> event = mEvent)
        event->Finish();
    if (AnimManager* manager = AnimManager::Existing())
        manager->Remove(GetSelf());
}

void SimpleAnim::SetFps(int32_t fps)
{
    if (fps < 0) {
        WriteLog("Animation frame rate %d is negative; 0 is used", int(fps));
        fps = 0;
    }
    mFps = fps;
}

} // namespace KAnim
