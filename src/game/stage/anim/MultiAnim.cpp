#include "game/stage/anim/MultiAnim.h"

#include "game/show/event/CoreEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/stage/anim/AnimWindow.h"
#include "platform/Log.h"

namespace KAnim {

MultiAnim::Track::Track() : mEnd(KEvent::MakeDummy()), mStart(KEvent::MakeDummy())
{
    mStart->Then(mEnd);
}

MultiAnim::Track::~Track()
{
    StopAll();
}

void MultiAnim::Track::AppendAnim(const AnimPtr& anim)
{
    if (!anim)
        return;
    if (std::shared_ptr<KEvent::Event> event = anim->GetEvent()) {
        mStart->Then(event);
        event->Then(mEnd);
    }
    mAnims.push_back(anim);
}

bool MultiAnim::Track::Draw()
{
    if (mAnims.empty())
        return false;
    size_t i = 0;
    while (i < mAnims.size()) {
        AnimPtr anim = mAnims[i];
        anim->Draw();
        const std::shared_ptr<KEvent::Event> event = anim->GetEvent();
        if (event && event->IsFinished())
            mAnims.erase(mAnims.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
    return true;
}

void MultiAnim::Track::StopAll()
{
    // Taken out first: a Stop may reach back into this track.
    std::vector<AnimPtr> anims;
    anims.swap(mAnims);
    for (const AnimPtr& anim : anims)
        anim->Stop();
}

MultiAnim::MultiAnim() : mStart(KEvent::MakeDummy()), mEnd(KEvent::MakeDummy())
{
    mStart->Then(mEnd);
}

MultiAnim::~MultiAnim()
{
    if (mRunning)
        ClearTracks();
}

std::shared_ptr<MultiAnim> MultiAnim::Create()
{
    return KAnim::Create<MultiAnim>();
}

void MultiAnim::Create(std::shared_ptr<MultiAnim>& out, MultiAnim*& plain)
{
    out = Create();
    plain = out.get();
}

MultiAnim::Track* MultiAnim::AddTrack()
{
    auto track = std::make_unique<Track>();
    track->GetEndEvent()->Then(mEnd);
    mStart->Then(track->GetStartEvent());
    mTracks.push_back(std::move(track));
    return mTracks.back().get();
}

void MultiAnim::ShowInWindow(std::shared_ptr<KEvent::Event>& out, TWindow* parent)
{
    out = mStart;
    if (!parent)
        return;
    AnimWindow* window = AnimWindow::Create(*this);
    if (!window)
        return;
    std::shared_ptr<KEvent::Event> show = KEvent::MakeShowWindow(parent, window);
    std::shared_ptr<KEvent::Event> close = KEvent::MakeCloseWindow(window);
    show->Then(mStart);
    mEnd->Then(close);
    out = show;
}

void MultiAnim::Draw()
{
    size_t i = 0;
    while (i < mTracks.size()) {
        Track* track = mTracks[i].get();
        if (track->Draw()) {
            ++i;
            continue;
        }
        // Out of the list before it is destroyed (its destructor stops what
        // it holds, which may reach back here).
        std::unique_ptr<Track> gone = std::move(mTracks[i]);
        mTracks.erase(mTracks.begin() + std::ptrdiff_t(i));
    }
    if (mTracks.empty())
        Stop();
}

std::shared_ptr<KEvent::Event> MultiAnim::GetEvent()
{
    return mEnd;
}

void MultiAnim::Start()
{
    mRunning = true;
}

void MultiAnim::Stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    ClearTracks();
}

void MultiAnim::ClearTracks()
{
    std::vector<std::unique_ptr<Track>> tracks;
    tracks.swap(mTracks);
    for (std::unique_ptr<Track>& track : tracks) {
        track->StopAll();
        track.reset();
    }
}

} // namespace KAnim
