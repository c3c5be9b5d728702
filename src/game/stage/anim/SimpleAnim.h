#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/anim/AnimBase.h"
#include "game/stage/anim/FrameList.h"
#include "platform/Clock.h"
#include "platform/TString.h"
#include "render/AnimatedTexture.h"
#include "render/DrawParams.h"

namespace KEvent {
class Event;
}

namespace KAnim {

class eAnimBase;

// Plays one animated texture at fixed draw parameters, following a frame
// list at a number of frames per second (30 unless set): once, a number of
// extra passes, without end, or until an owner event has finished. Its
// event (eAnimBase) finishes when it stops.
//
// Time starts at the first drawn frame after Start (or after a wrap), so an
// animation that is started but never drawn does not advance. A pass through
// the list takes Count * 1000 / fps ms. At the end of a pass:
//   owner event finished  -> stop, nothing drawn in that call;
//   loops < 0             -> wrap and go on;
//   loops > 0             -> wrap, one loop fewer;
//   loops == 0            -> the last entry is drawn once more, then stop.
// An animation with nothing to show (no texture, an empty list) stops at its
// first draw with one log line, so chains waiting for it go on.
class SimpleAnim : public AnimBase {
public:
    // Loops: < 0 endless, 0 once, n > 0 n more passes.
    SimpleAnim(const TDrawParams& params, int32_t loops);
    // Endless until the owner event has finished.
    SimpleAnim(const TDrawParams& params, std::shared_ptr<KEvent::Event> owner);
    ~SimpleAnim() override;

    // The animation of file (an animated-texture description) with its
    // event and frame list; registered with the animation manager when
    // doRegister. A file that does not load gives an animation that shows
    // nothing and stops at its first draw.
    static std::shared_ptr<SimpleAnim> Create(const TString& file, const TDrawParams& params, int32_t loops,
                                              const TString& frameList, bool doRegister);
    // The same, playing until owner has finished (the current pass ends
    // first).
    static std::shared_ptr<SimpleAnim> CreateLooping(const TString& file, const TDrawParams& params,
                                                     const std::shared_ptr<KEvent::Event>& owner,
                                                     const TString& frameList, bool doRegister);

    void Draw() override;
    std::shared_ptr<KEvent::Event> GetEvent() override;
    // Running from the first entry (again, when already running); the clock
    // waits for the first drawn frame.
    void Start() override;
    void Stop() override;
    // A negative value counts as 0 (the first entry stays), with a log line.
    void SetFps(int32_t fps) override;

    bool IsRunning() const { return mRunning; }
    int32_t GetFps() const { return mFps; }
    int32_t GetLoopsRemaining() const { return mLoops; }
    const FrameList& GetFrameList() const { return mFrameList; }
    const TAnimatedTextureRef& GetTexture() const { return mTexture; }
    const TDrawParams& GetDrawParams() const { return mParams; }
    const std::shared_ptr<KEvent::Event>& GetOwnerEvent() const { return mOwner; }

protected:
    // The factories' steps once the owning pointer exists (subclasses made
    // with KAnim::Create call it the same way): the texture of file, the
    // manager's registration when doRegister, the event, the frame list.
    void Attach(const TString& file, const TString& frameList, bool doRegister);

private:
    TAnimatedTextureRef mTexture;
    TDrawParams mParams;
    bool mRunning = false;
    int32_t mLoops;
    TClock mClock;
    int32_t mFps = 30;
    std::shared_ptr<eAnimBase> mEvent;
    std::shared_ptr<KEvent::Event> mOwner;
    FrameList mFrameList;
};

} // namespace KAnim
